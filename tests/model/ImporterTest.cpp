#include <gtest/gtest.h>

#include <QDate>
#include <QDir>
#include <QImage>

#include "model/Importer.h"
#include "platform/Exception.h"
#include "tests/support/JpegBuilder.h"
#include "tests/support/TestFolder.h"

namespace {

const QDate Day(2024, 5, 7);

QSize JpegSize(const QString& path) {
    QImage image;
    return image.load(path, "JPEG") ? image.size() : QSize();
}

QStringList Listed(const QString& dir) {
    return QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

template <typename TAction>
QString MessageOf(TAction action) {
    try {
        action();
    } catch (const Exception& error) {
        return error.Message();
    }
    return {};
}

class ImporterTest : public ::testing::Test {
protected:
    QString Source(const QString& name, int width, int height) {
        return TJpegBuilder(width, height).WriteTo(Folder.MakeDir(QStringLiteral("in/")) + name);
    }

    TTestFolder Folder;
    QString SaveDir = Folder.MakeDir(QStringLiteral("data/photo/"));
    QString DateDir = SaveDir + QStringLiteral("20240507/");
};

TEST_F(ImporterTest, StoresTheCopyTheReducedCopyAndTheThumbnailFromOneDecoding) {
    struct TCase {
        QString Name;
        QSize Size, Reduced, Thumbnail;
    };
    const TCase cases[] = {
        {QStringLiteral("横.jpg"), {1200, 900}, {600, 450}, {130, 98}},
        {QStringLiteral("IMG_0002.JPG"), {900, 1200}, {450, 600}, {98, 130}},
        {QStringLiteral("small.jpeg"), {200, 100}, {200, 100}, {130, 65}},
    };
    TPhotoImporter importer(SaveDir, Day, 600, 600);
    EXPECT_EQ(importer.DateDirName(), QStringLiteral("20240507"));
    EXPECT_TRUE(importer.PrepareDateDir());
    for (const TCase& c : cases) {
        const QString path = Source(c.Name, c.Size.width(), c.Size.height());
        EXPECT_EQ(importer.Decode(path).Width(), c.Size.width());
        EXPECT_FALSE(importer.Holds(c.Name));
        importer.Store(path, c.Name);
        EXPECT_TRUE(importer.Holds(c.Name));
        EXPECT_EQ(Folder.ReadFile(QStringLiteral("data/photo/20240507/") + c.Name),
                  Folder.ReadFile(QStringLiteral("in/") + c.Name))
            << "the full-size copy is byte-identical";
        EXPECT_EQ(JpegSize(DateDir + QStringLiteral("reduce/") + c.Name), c.Reduced);
        EXPECT_EQ(JpegSize(DateDir + QStringLiteral("thumbnail/") + c.Name), c.Thumbnail);
    }
    // A new name takes all three files under it; the decoded picture is the last one.
    importer.Store(Folder.FilePath(QStringLiteral("in/small.jpeg")), QStringLiteral("b.jpg"));
    EXPECT_EQ(JpegSize(DateDir + QStringLiteral("reduce/b.jpg")), QSize(200, 100));
    EXPECT_EQ(Folder.ReadFile(QStringLiteral("data/photo/20240507/b.jpg")),
              Folder.ReadFile(QStringLiteral("in/small.jpeg")));
}

TEST_F(ImporterTest, PrepareDateDirMakesWhatIsMissingAndTellsWhetherTheFolderWasNew) {
    struct TCase {
        const char* Existing;  // made before, relative to the save folder; empty for none
        bool Created;
    };
    for (const TCase& c :
         {TCase{"", true}, TCase{"20240507/reduce", false}, TCase{"20240507/thumbnail", false}}) {
        QDir(DateDir).removeRecursively();
        if (*c.Existing)
            QDir().mkpath(SaveDir + QLatin1String(c.Existing));
        TPhotoImporter importer(SaveDir, Day, 600, 600);
        EXPECT_EQ(importer.PrepareDateDir(), c.Created) << c.Existing;
        EXPECT_TRUE(QFileInfo(DateDir + QStringLiteral("reduce")).isDir()) << c.Existing;
        EXPECT_TRUE(QFileInfo(DateDir + QStringLiteral("thumbnail")).isDir()) << c.Existing;
    }
}

TEST_F(ImporterTest, FailuresNameWhatCouldNotBeMade) {
    // A save folder that is a file: the dated folder cannot be made under it.
    const QString notAFolder = Folder.WriteFile(QStringLiteral("file"), "x") + u'/';
    EXPECT_TRUE(MessageOf([&] { TPhotoImporter(notAFolder, Day, 600, 600).PrepareDateDir(); })
                    .startsWith(QStringLiteral("フォルダ \"") + notAFolder +
                                QStringLiteral("20240507/\" を作成できません。")));

    // A folder where the copy must go: nothing is written for that photo.
    TPhotoImporter importer(SaveDir, Day, 600, 600);
    importer.PrepareDateDir();
    const QString path = Source(QStringLiteral("a.jpg"), 100, 100);
    importer.Decode(path);
    QDir().mkpath(DateDir + QStringLiteral("a.jpg"));
    EXPECT_TRUE(MessageOf([&] { importer.Store(path, QStringLiteral("a.jpg")); })
                    .startsWith(QStringLiteral("ファイル \"") + DateDir +
                                QStringLiteral("a.jpg\" を作成できません。")));
    EXPECT_TRUE(Listed(DateDir + QStringLiteral("reduce")).isEmpty());
    EXPECT_TRUE(Listed(DateDir + QStringLiteral("thumbnail")).isEmpty());

    // A name that would lead out of the dated folder is refused before anything is written.
    for (const QString& name : {QStringLiteral("../b.jpg"), QStringLiteral(".."), QString()}) {
        EXPECT_FALSE(MessageOf([&] { importer.Store(path, name); }).isEmpty())
            << name.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(SaveDir + QStringLiteral("b.jpg")));
    EXPECT_EQ(Listed(DateDir), QStringList());
}

TEST_F(ImporterTest, AnUnusableReduceBoxIsRefusedBeforeAnythingIsMade) {
    EXPECT_TRUE(MessageOf([&] {
                    TPhotoImporter(SaveDir, Day, 0, 600);
                }).startsWith(QStringLiteral("縮小サイズ")));
    EXPECT_FALSE(QFileInfo::exists(DateDir));
}

TEST(ImportFailureText, NamesTheFileAndTellsWhatWasNotImported) {
    EXPECT_EQ(ImportFailureText(QStringLiteral("/in/b.jpg"), QStringLiteral("JPEG エラー #42"), 2),
              QStringLiteral("ファイル \"/in/b.jpg\" を取り込めませんでした。\nJPEG エラー #42\n"
                             "このファイルより後の 2 個のファイルは取り込まれていません。"));
    EXPECT_EQ(ImportFailureText(QStringLiteral("/in/b.jpg"), QStringLiteral("JPEG エラー #42"), 0),
              QStringLiteral("ファイル \"/in/b.jpg\" を取り込めませんでした。\nJPEG エラー #42"));
}

}  // namespace
