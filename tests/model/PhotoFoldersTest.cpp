#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <algorithm>

#include "model/PhotoFolders.h"
#include "tests/support/RecordedMessages.h"
#include "tests/support/TestFolder.h"

namespace {

const QStringList JpegExtensions{QStringLiteral(".JPG"), QStringLiteral(".JPE"),
                                 QStringLiteral(".JPEG")};

TEST(ListFiles, ListsTheJpegFilesOfOneFolderOnly) {
    TTestFolder folder;
    for (const char* name : {"c.JPG", "a.jpeg", "b.JPE", "d.png", "e.JPG.bak", "f", ".hidden.jpg",
                             "g.jpg.JPG", "sub/x.jpg"}) {
        folder.WriteFile(QStringLiteral("reduce/") + QString::fromUtf8(name), "x");
    }
    folder.MakeDir(QStringLiteral("reduce/folder.jpg"));
    QStringList files{QStringLiteral("kept")};
    ListFiles(folder.FilePath(QStringLiteral("reduce/")), JpegExtensions, files);
    const QString reduce = folder.FilePath(QStringLiteral("reduce/"));
    EXPECT_EQ(files, (QStringList{
                         QStringLiteral("kept"), reduce + QStringLiteral(".hidden.jpg"),
                         reduce + QStringLiteral("a.jpeg"), reduce + QStringLiteral("b.JPE"),
                         reduce + QStringLiteral("c.JPG"), reduce + QStringLiteral("g.jpg.JPG")}));
}

// By name, letter case ignored as QString::compare ignores it, then exactly: for ASCII, accented
// and full-width letters, kana, and characters beyond the basic plane.
TEST(ListFiles, OrdersNamesAsTheCaseInsensitiveComparisonDoes) {
    TTestFolder folder;
    const QStringList names{
        "b.jpg",  "B.JPG",      "a_b.JPG",     "aB.jpg",  "A.jpeg",  "_x.JPG",     "[x].JPG",
        "Z.JPG",  "~.jpg",      "a.JPG",       "A.JPG",   "ab.JPG",  "トマト.JPG", "とまと.jpg",
        "Ａ.JPG", "ａ.jpg",     "Ä.jpg",       "ä.JPG",   "Ω.jpg",   "ω.JPG",      "𐐀.jpg",
        "𐐨.JPG",  "\uFF5E.jpg", "IMG.JPG.JPG", "IMG.JPG", "IMG_.JPG"};
    for (const QString& name : names)
        folder.WriteFile(QStringLiteral("reduce/") + name, "x");
    QStringList expected = names;
    std::sort(expected.begin(), expected.end(), [](const QString& a, const QString& b) {
        const int folded = a.compare(b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a < b;
    });
    EXPECT_EQ(ListFileNames(folder.FilePath(QStringLiteral("reduce/")), JpegExtensions), expected);
}

TEST(ListFiles, AMissingFolderAddsNothing) {
    TTestFolder folder;
    QStringList files;
    ListFiles(folder.FilePath(QStringLiteral("20240101/reduce/")), JpegExtensions, files);
    ListSubdirs(folder.FilePath(QStringLiteral("none/")), files);
    EXPECT_TRUE(files.isEmpty());
}

TEST(PhotoDirList, LoadsTheSubfoldersAndSortsThemByNumber) {
    TTestFolder folder;
    folder.MakeDir(QStringLiteral("20240315/reduce"));
    folder.MakeDir(QStringLiteral("misc"));
    folder.MakeDir(QStringLiteral("20231102"));
    folder.WriteFile(QStringLiteral("tag.xml"), "<data/>");
    folder.WriteFile(QStringLiteral("20991231"), "a file, not a folder");
    TPhotoDirList list;
    list.Add(std::make_unique<TPhotoDir>(TPhotoDir{QStringLiteral("stale")}));
    list.Load(folder.Path());
    ASSERT_EQ(list.Count(), 3);
    list.Sort(CompareDirNumber);
    QStringList names;
    for (const TPhotoDir* dir : list)
        names.append(dir->Name);
    EXPECT_EQ(names, (QStringList{QStringLiteral("misc"), QStringLiteral("20231102"),
                                  QStringLiteral("20240315")}));
}

struct TNumberCase {
    const char* A;
    const char* B;
    int Sign;
};

class CompareDirNumberTable : public ::testing::TestWithParam<TNumberCase> {};

TEST_P(CompareDirNumberTable, ComparesTheDecimalValues) {
    const TNumberCase c = GetParam();
    const TPhotoDir a{QString::fromUtf8(c.A)};
    const TPhotoDir b{QString::fromUtf8(c.B)};
    const int result = CompareDirNumber(&a, &b);
    EXPECT_EQ((result > 0) - (result < 0), c.Sign) << c.A << " vs " << c.B;
    const int reverse = CompareDirNumber(&b, &a);
    EXPECT_EQ((reverse > 0) - (reverse < 0), -c.Sign);
}

INSTANTIATE_TEST_SUITE_P(
    Names, CompareDirNumberTable,
    ::testing::Values(TNumberCase{"20240101", "20231231", 1}, TNumberCase{"misc", "0", 0},
                      TNumberCase{"misc", "1", -1}, TNumberCase{"-5", "misc", -1},
                      TNumberCase{"+7", "7", 0}, TNumberCase{"007", "7", 0},
                      TNumberCase{"1a", "0", 0}, TNumberCase{"", "0", 0},
                      TNumberCase{"0x10", "0", 0}, TNumberCase{" 5", "0", 0},
                      TNumberCase{"2147483647", "-2147483648", 1},
                      TNumberCase{"2147483648", "0", 0},  // beyond 32 bits: not an integer
                      TNumberCase{"99999999999999999999", "1", -1}));

TEST(CountFiles, CountsEverythingButPlainFolders) {
    TTestFolder folder;
    folder.WriteFile(QStringLiteral("d/a.jpg"), "x");
    folder.WriteFile(QStringLiteral("d/.hidden"), "x");
    folder.WriteFile(QStringLiteral("d/plain/inner.jpg"), "x");  // a plain folder: not counted
    folder.MakeDir(QStringLiteral("d/.hiddendir"));
    folder.MakeDir(QStringLiteral("d/readonly"));
    ASSERT_EQ(
        chmod(QFile::encodeName(folder.FilePath(QStringLiteral("d/readonly"))).constData(), 0555),
        0);
    ASSERT_EQ(
        symlink("plain", QFile::encodeName(folder.FilePath(QStringLiteral("d/link"))).constData()),
        0);
    TRecordedMessages messages;
    EXPECT_EQ(CountFiles(folder.FilePath(QStringLiteral("d"))), 5);
    EXPECT_EQ(CountFiles(folder.FilePath(QStringLiteral("d/plain/"))), 1);
    EXPECT_EQ(CountFiles(folder.FilePath(QStringLiteral("none/"))), 0);
    EXPECT_TRUE(messages.MessageTexts().isEmpty());
    chmod(QFile::encodeName(folder.FilePath(QStringLiteral("d/readonly"))).constData(), 0755);
}

// The folder is read a few entries first and then in larger reads; none is lost in between.
TEST(CountFiles, AFolderOfManyPhotosIsReadWhole) {
    TTestFolder folder;
    QStringList names;
    for (int i = 0; i < 300; ++i) {
        names.append(QStringLiteral("IMG_%1.JPG").arg(i, 4, 10, QLatin1Char('0')));
        folder.WriteFile(QStringLiteral("reduce/") + names.last(), "");
    }
    const QString reduce = folder.FilePath(QStringLiteral("reduce/"));
    EXPECT_EQ(ListFileNames(reduce, JpegExtensions), names);
    EXPECT_EQ(CountFiles(reduce), 300);
    EXPECT_EQ(CountFiles(reduce, 1), 1);
    EXPECT_TRUE(HoldsOnly(reduce, names));
    EXPECT_FALSE(HoldsOnly(reduce, names.mid(1)));
    EXPECT_TRUE(HoldsOnly(folder.FilePath(QStringLiteral("none/")), {}));
}

TEST(CountFiles, AFolderThatCannotBeReadIsReported) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads every folder";
    TTestFolder folder;
    folder.WriteFile(QStringLiteral("locked/a.jpg"), "x");
    const QByteArray locked = QFile::encodeName(folder.FilePath(QStringLiteral("locked")));
    ASSERT_EQ(chmod(locked.constData(), 0), 0);
    TRecordedMessages messages;
    EXPECT_EQ(CountFiles(folder.FilePath(QStringLiteral("locked/"))), 0);
    EXPECT_EQ(messages.MessageTexts(),
              QStringList{QStringLiteral("ファイル数の取得に失敗しました。")});
    chmod(locked.constData(), 0755);
}

}  // namespace
