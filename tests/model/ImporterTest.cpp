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

TEST(NameRefusal, RefusesWhatTheFileSystemOrTheStoresCannotHold) {
    const struct {
        QString Name;
        bool Refused;
    } cases[] = {
        {QStringLiteral("IMG_0001a.JPG"), false},
        {QString(255, u'a'), false},
        {QString(85, u'長'), false},  // 255 bytes in UTF-8
        {QString(256, u'a'), true},
        {QString(86, u'長'), true},
        {QStringLiteral("a/b.jpg"), true},
        {QStringLiteral("a") + QChar(0) + QStringLiteral(".jpg"), true},
        {QStringLiteral("a\x01.jpg"), true},
        {QStringLiteral(".."), true},
        {QString(), true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(!NameRefusal(c.Name).isEmpty(), c.Refused) << c.Name.toStdString();
}

TEST(ImportReportText, TellsWhyTheImportStoppedAndListsThePassedOverFiles) {
    QList<TImportFailure> many;
    for (int i = 1; i <= 22; ++i)
        many.append({QStringLiteral("/in/%1.jpg").arg(i), QStringLiteral("理由")});
    QString listed = QStringLiteral("次の 22 個のファイルは取り込めませんでした。");
    for (int i = 1; i <= 20; ++i)
        listed += QStringLiteral("\n%1.jpg：理由").arg(i);
    listed += QStringLiteral("\nほか 2 件");
    struct TCase {
        QString StopReason;
        qsizetype NotImported;
        QList<TImportFailure> Failures;
        QString Text;
    };
    const TCase cases[] = {
        {{}, 0, {}, {}},
        {{},
         0,
         {{QStringLiteral("/in/b.jpg"), QStringLiteral("JPEG エラー #42")}},
         QStringLiteral("次の 1 個のファイルは取り込めませんでした。\nb.jpg：JPEG エラー #42")},
        {{}, 0, many, listed},
        {QStringLiteral("止まった。"),
         3,
         {{QStringLiteral("/in/b.jpg"), QStringLiteral("理由")}},
         QStringLiteral("止まった。\n残りの 3 個のファイルは取り込まれていません。\n\n"
                        "次の 1 個のファイルは取り込めませんでした。\nb.jpg：理由")},
        {QStringLiteral("止まった。"), 0, {}, QStringLiteral("止まった。")},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(ImportReportText(c.StopReason, c.NotImported, c.Failures), c.Text)
            << c.Text.toStdString();
    }
}

TEST_F(ImporterTest, AFailedWriteRemovesWhatItMadeAndStopsWhenEveryPhotoWouldFail) {
    TPhotoImporter importer(SaveDir, Day, 600, 600);
    importer.PrepareDateDir();
    const QString path = Source(QStringLiteral("a.jpg"), 100, 100);
    importer.Decode(path);

    // The thumbnail's place is taken by a folder: this photo alone fails, and leaves nothing.
    QDir().mkpath(DateDir + QStringLiteral("thumbnail/a.jpg"));
    try {
        importer.Store(path, QStringLiteral("a.jpg"));
        FAIL() << "no error";
    } catch (const EImportStopped&) {
        FAIL() << "one photo's failure stopped the import";
    } catch (const EWriteError&) {
    }
    EXPECT_EQ(Listed(DateDir), QStringList());
    EXPECT_EQ(Listed(DateDir + QStringLiteral("reduce")), QStringList());

    // The reduced copies' folder is gone: no photo can be stored.
    QDir(DateDir + QStringLiteral("reduce")).removeRecursively();
    EXPECT_THROW(importer.Store(path, QStringLiteral("b.jpg")), EImportStopped);
    EXPECT_EQ(Listed(DateDir), QStringList());
}

}  // namespace
