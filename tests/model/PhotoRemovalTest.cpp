#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>

#include "model/KavroUtils.h"
#include "tests/support/TestFolder.h"

namespace {

QString FailureText(const std::exception_ptr& failure) {
    try {
        if (failure)
            std::rethrow_exception(failure);
    } catch (const Exception& error) {
        return error.Message();
    }
    return {};
}

struct TRemovalCase {
    const char* Name;
    QStringList Beside;  // more entries of the dated folder; a name ending in '/' is a folder
    bool Removed;
    QString Failure;   // a part of the failure's text; empty: no failure
    QStringList Left;  // what the dated folder holds afterwards; empty: the folder is gone
};

class PhotoRemoval : public ::testing::TestWithParam<TRemovalCase> {};

TEST_P(PhotoRemoval, KeepsWhatElseTheFolderHoldsAndTellsWhenThePhotoStays) {
    const TRemovalCase& c = GetParam();
    TTestFolder folder;
    for (const char* file : {"p.JPG", "reduce/p.JPG", "thumbnail/p.JPG"}) {
        if (!c.Beside.contains(QString::fromLatin1(file) + u'/'))
            folder.WriteFile(QStringLiteral("20240501/") + QString::fromLatin1(file), "jpeg");
    }
    for (const QString& entry : c.Beside) {
        if (entry.endsWith(u'/'))
            folder.MakeDir(QStringLiteral("20240501/") + entry + QStringLiteral("inside/"));
        else
            folder.WriteFile(QStringLiteral("20240501/") + entry, "other");
    }
    TPhoto photo;
    photo.InitFromFile(folder.FilePath(QStringLiteral("20240501/")), QStringLiteral("p.JPG"), false,
                       false);

    const TPhotoFilesRemoval removal = RemovePhotoFiles(photo);

    EXPECT_EQ(removal.Removed, c.Removed);
    EXPECT_TRUE(FailureText(removal.Failure).contains(c.Failure))
        << FailureText(removal.Failure).toStdString();
    EXPECT_EQ(removal.Failure == nullptr, c.Failure.isEmpty());
    QStringList left;
    const QString dated = folder.FilePath(QStringLiteral("20240501/"));
    for (QDirIterator it(dated, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                         QDirIterator::Subdirectories);
         it.hasNext();) {
        left.append(it.next().mid(dated.size()));
    }
    left.sort();
    EXPECT_EQ(left, c.Left);
    EXPECT_EQ(QDir(dated).exists(), !c.Left.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Folders, PhotoRemoval,
    ::testing::Values(TRemovalCase{"OnlyPhoto", {}, true, {}, {}},
                      TRemovalCase{"FileOfTheUser", {"memo.txt"}, true, {}, {"memo.txt"}},
                      TRemovalCase{"StrayThumbnail",
                                   {"thumbnail/old.JPG"},
                                   true,
                                   {},
                                   {"reduce", "thumbnail", "thumbnail/old.JPG"}},
                      TRemovalCase{"ReducedCopyCannotGo",
                                   {"reduce/p.JPG/"},
                                   false,
                                   QStringLiteral("20240501/reduce/p.JPG を削除できません。"),
                                   {"reduce", "reduce/p.JPG", "reduce/p.JPG/inside"}}),
    [](const ::testing::TestParamInfo<TRemovalCase>& info) { return info.param.Name; });

}  // namespace
