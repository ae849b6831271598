#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>

#include "platform/AtomicFile.h"
#include "tests/support/TestFolder.h"

namespace {

QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

TEST(AtomicFile, ReplacesTheTargetAndLeavesNoTemporaryFile) {
    TTestFolder folder;
    folder.WriteFile(QStringLiteral("f.txt"), "old");
    WriteFileAtomically(folder.FilePath(QStringLiteral("f.txt")), "new contents");
    EXPECT_EQ(folder.ReadFile(QStringLiteral("f.txt")), QByteArray("new contents"));
    EXPECT_EQ(Entries(folder.Path()), QStringList{QStringLiteral("f.txt")});
    struct stat info {};
    ASSERT_EQ(stat(folder.FilePath(QStringLiteral("f.txt")).toUtf8().constData(), &info), 0);
    EXPECT_NE(info.st_mode & 0044, 0u) << "a data file is readable by others, not 0600";
}

TEST(AtomicFile, AbandonedWriteKeepsTheOldFile) {
    TTestFolder folder;
    folder.WriteFile(QStringLiteral("f.txt"), "old");
    {
        TAtomicFile file(folder.FilePath(QStringLiteral("f.txt")));
        file.Write(QByteArray("half"));
    }
    EXPECT_EQ(folder.ReadFile(QStringLiteral("f.txt")), QByteArray("old"));
    EXPECT_EQ(Entries(folder.Path()), QStringList{QStringLiteral("f.txt")});
}

TEST(AtomicFile, MissingFolderRaises) {
    TTestFolder folder;
    EXPECT_THROW(WriteFileAtomically(folder.FilePath(QStringLiteral("no/f.txt")), "x"),
                 ESystemError);
}

TEST(AtomicFile, CopyIsByteIdentical) {
    TTestFolder folder;
    QByteArray bytes;
    for (int i = 0; i < 300000; ++i)
        bytes.append(char(i * 7));
    folder.WriteFile(QStringLiteral("写真.jpg"), bytes);
    folder.WriteFile(QStringLiteral("copy.jpg"), "old");
    CopyFileAtomically(folder.FilePath(QStringLiteral("写真.jpg")),
                       folder.FilePath(QStringLiteral("copy.jpg")));
    EXPECT_EQ(folder.ReadFile(QStringLiteral("copy.jpg")), bytes);
    EXPECT_THROW(CopyFileAtomically(folder.FilePath(QStringLiteral("none.jpg")),
                                    folder.FilePath(QStringLiteral("copy.jpg"))),
                 ESystemError);
    EXPECT_EQ(folder.ReadFile(QStringLiteral("copy.jpg")), bytes);
}

}  // namespace
