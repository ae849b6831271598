#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>

#include "model/JpegListing.h"
#include "model/PhotoFolders.h"
#include "tests/support/TestFolder.h"

namespace {

QStringList Listed(const QString& dir) {
    TJpegListing listing(dir);
    QStringList names;
    for (qsizetype i = 0; i < listing.Count(); ++i)
        names.append(listing.TakeName(i));
    return names;
}

// What ListFiles gives, without the folder.
QStringList ByListFiles(const QString& dir) {
    QStringList files;
    ListFiles(dir, {QStringLiteral(".JPG"), QStringLiteral(".JPE"), QStringLiteral(".JPEG")},
              files);
    for (QString& file : files)
        file.remove(0, dir.size());
    return files;
}

struct TListingCase {
    const char* Name;
    QStringList Files;
    int Listed = -1;  // when some of the files are not JPEG files: how many are
};

class JpegListingTable : public ::testing::TestWithParam<TListingCase> {};

TEST_P(JpegListingTable, GivesTheNamesInTheOrderOfListFiles) {
    TTestFolder folder;
    const QString dir = folder.MakeDir(QStringLiteral("reduce")) + u'/';
    for (const QString& file : GetParam().Files)
        folder.WriteFile(QStringLiteral("reduce/") + file, "x");
    const QStringList expected = ByListFiles(dir);
    const int listed = GetParam().Listed < 0 ? int(GetParam().Files.size()) : GetParam().Listed;
    ASSERT_EQ(expected.size(), listed);
    EXPECT_EQ(Listed(dir), expected) << GetParam().Name;
}

QStringList Numbered(const QString& pattern, int count) {
    QStringList names;
    for (int i = count - 1; i >= 0; --i)
        names.append(pattern.arg(i));
    return names;
}

INSTANTIATE_TEST_SUITE_P(
    Folders, JpegListingTable,
    ::testing::Values(
        TListingCase{"empty", {}}, TListingCase{"one", {"a.JPG"}},
        TListingCase{"case and punctuation",
                     {"b.jpg", "B.JPG", "a_b.JPG", "aB.jpg", "A.jpeg", "a.JPE", "_x.JPG", "[x].JPG",
                      "Z.JPG", "~.jpg", ".hidden.JPG", "a.JPG", "A.JPG", "ab.JPG"}},
        TListingCase{"names that differ beyond eight bytes after their shared prefix",
                     {"IMG_2024_0401_aaaaX.JPG", "IMG_2024_0401_aaaab.JPG",
                      "img_2024_0401_aaaaa.JPG", "IMG_2024_0401_aaaa.JPG",
                      "IMG_2024_0401_aaaaa.JPG", "IMG_2024.JPG", "IMG_2024_0401_aaaaaaa.JPG"}},
        TListingCase{"a shared prefix that is a whole name",
                     {"IMG.JPG", "IMG.JPG.JPG", "IMG_.JPG"}},
        TListingCase{"camera numbers", Numbered(QStringLiteral("DSC%1.JPG"), 300)},
        TListingCase{"Japanese names among others",
                     {"トマト.JPG", "とまと.jpg", "Ａ.JPG", "ａ.jpg", "b.JPG", "A.JPG", "畑1.JPEG",
                      "畑.JPEG", "Ä.jpg", "ä.JPG", "z.JPG"}},
        TListingCase{"other files among them",
                     {"a.png", "b.JPG.bak", "c", "d.JPG", "e.jpgx", "f.jp", "g.JPEGG", "h.jpe"},
                     2}),
    [](const ::testing::TestParamInfo<TListingCase>& info) { return std::to_string(info.index); });

TEST(JpegListing, LeavesOutFoldersAndFollowsLinks) {
    TTestFolder folder;
    const QString dir = folder.MakeDir(QStringLiteral("reduce")) + u'/';
    folder.WriteFile(QStringLiteral("reduce/a.JPG"), "x");
    folder.MakeDir(QStringLiteral("reduce/folder.JPG"));
    folder.MakeDir(QStringLiteral("elsewhere"));
    ASSERT_EQ(::symlink("../elsewhere", QFile::encodeName(dir + "linked.JPG").constData()), 0);
    ASSERT_EQ(::symlink("a.JPG", QFile::encodeName(dir + "b.JPG").constData()), 0);
    ASSERT_EQ(::symlink("gone.JPG", QFile::encodeName(dir + "c.JPG").constData()), 0);
    EXPECT_EQ(Listed(dir), ByListFiles(dir));
    EXPECT_EQ(Listed(dir), (QStringList{"a.JPG", "b.JPG", "c.JPG"}));
    EXPECT_TRUE(Listed(folder.FilePath(QStringLiteral("missing/"))).isEmpty());
}

}  // namespace
