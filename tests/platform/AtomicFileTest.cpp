#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/AtomicFile.h"
#include "tests/support/TestFolder.h"

namespace {

QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

QByteArray Native(const QString& path) {
    return QFile::encodeName(path);
}

mode_t ModeOf(const QString& path) {
    struct stat info {};
    EXPECT_EQ(::stat(Native(path).constData(), &info), 0);
    return info.st_mode & 07777;
}

// Sets a file's last change that many seconds into the past.
void Age(const QString& path, int seconds) {
    timespec times[2];
    clock_gettime(CLOCK_REALTIME, &times[0]);
    times[0].tv_sec -= seconds;
    times[1] = times[0];
    ASSERT_EQ(::utimensat(AT_FDCWD, Native(path).constData(), times, AT_SYMLINK_NOFOLLOW), 0);
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

struct TModeCase {
    const char* Name;
    mode_t Mode;
};

// Parameterised tests show a case by its name.
void PrintTo(const TModeCase& c, std::ostream* out) {
    *out << c.Name;
}

class AtomicFileReadOnly : public ::testing::TestWithParam<TModeCase> {};

// Also for root, who may write anything: a file without write bits is the user's "read-only".
TEST_P(AtomicFileReadOnly, IsRefusedAndStaysAsItWas) {
    TTestFolder folder;
    const QString path = folder.WriteFile(QStringLiteral("tag.xml"), "old");
    ASSERT_EQ(::chmod(Native(path).constData(), GetParam().Mode), 0);
    try {
        WriteFileAtomically(path, "new");
        ADD_FAILURE() << "replaced a read-only file";
    } catch (const ESystemError& error) {
        EXPECT_EQ(error.ErrorNumber(), EACCES);
    }
    EXPECT_EQ(folder.ReadFile(QStringLiteral("tag.xml")), QByteArray("old"));
    EXPECT_EQ(ModeOf(path), GetParam().Mode);
    EXPECT_EQ(Entries(folder.Path()), QStringList{QStringLiteral("tag.xml")});
}

INSTANTIATE_TEST_SUITE_P(AtomicFile, AtomicFileReadOnly,
                         ::testing::Values(TModeCase{"ReadableByAll", 0444},
                                           TModeCase{"OwnerOnly", 0400},
                                           TModeCase{"ExecutableFile", 0555}),
                         [](const auto& info) { return std::string(info.param.Name); });

class AtomicFileMode : public ::testing::TestWithParam<TModeCase> {};

TEST_P(AtomicFileMode, ReplacedFileKeepsItsPermissions) {
    TTestFolder folder;
    const QString path = folder.WriteFile(QStringLiteral("KavroPhoto.ini"), "old");
    ASSERT_EQ(::chmod(Native(path).constData(), GetParam().Mode), 0);
    WriteFileAtomically(path, "new");
    EXPECT_EQ(folder.ReadFile(QStringLiteral("KavroPhoto.ini")), QByteArray("new"));
    EXPECT_EQ(ModeOf(path), GetParam().Mode);
}

INSTANTIATE_TEST_SUITE_P(AtomicFile, AtomicFileMode,
                         ::testing::Values(TModeCase{"GroupReadable", 0640},
                                           TModeCase{"Private", 0600},
                                           TModeCase{"OthersWrite", 0666},
                                           TModeCase{"Executable", 0750}),
                         [](const auto& info) { return std::string(info.param.Name); });

struct TLinkCase {
    const char* Name;
    const char* Link;       // the symbolic link, relative to the test folder
    const char* LinkText;   // what it names
    const char* Target;     // the file that finally receives the bytes
    const char* OtherLink;  // a second link the first one goes through, or nullptr
    const char* OtherText;
    bool TargetExists;
};

QByteArray LinkText(const QString& link) {
    char buffer[4096];
    const ssize_t length = ::readlink(Native(link).constData(), buffer, sizeof buffer);
    return length < 0 ? QByteArray() : QByteArray(buffer, length);
}

void PrintTo(const TLinkCase& c, std::ostream* out) {
    *out << c.Name;
}

class AtomicFileLink : public ::testing::TestWithParam<TLinkCase> {};

TEST_P(AtomicFileLink, IsWrittenThroughAndStaysALink) {
    const TLinkCase& c = GetParam();
    TTestFolder folder;
    folder.MakeDir(QStringLiteral("a"));
    folder.MakeDir(QStringLiteral("b"));
    if (c.TargetExists)
        folder.WriteFile(QString::fromUtf8(c.Target), "old");
    const QString link = folder.FilePath(QString::fromUtf8(c.Link));
    ASSERT_EQ(::symlink(c.LinkText, Native(link).constData()), 0);
    if (c.OtherLink != nullptr) {
        ASSERT_EQ(::symlink(c.OtherText,
                            Native(folder.FilePath(QString::fromUtf8(c.OtherLink))).constData()),
                  0);
    }
    WriteFileAtomically(link, "new");
    EXPECT_EQ(folder.ReadFile(QString::fromUtf8(c.Target)), QByteArray("new"));
    EXPECT_EQ(LinkText(link), QByteArray(c.LinkText));
    for (const QString& sub : {QStringLiteral("a"), QStringLiteral("b")}) {
        for (const QString& name : Entries(folder.FilePath(sub)))
            EXPECT_FALSE(IsAtomicTempName(name)) << name.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    AtomicFile, AtomicFileLink,
    ::testing::Values(
        TLinkCase{"OtherFolder", "a/l.xml", "../b/t.xml", "b/t.xml", nullptr, nullptr, true},
        TLinkCase{"SameFolder", "a/l.xml", "t.xml", "a/t.xml", nullptr, nullptr, true},
        TLinkCase{"Chain", "a/l.xml", "m.xml", "b/t.xml", "a/m.xml", "../b/t.xml", true},
        TLinkCase{"NamesNoFileYet", "a/l.xml", "../b/t.xml", "b/t.xml", nullptr, nullptr, false}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(AtomicFile, TemporaryFileBearsTheProgramsPattern) {
    TTestFolder folder;
    TAtomicFile file(folder.FilePath(QStringLiteral("big02.jpg")));
    const QStringList entries = Entries(folder.Path());
    ASSERT_EQ(entries.size(), 1);
    EXPECT_TRUE(IsAtomicTempName(entries[0])) << entries[0].toStdString();
    for (const char* other : {".big02.jpg.Ab12Cd", ".kavro-Ab12Cd.tmp~", "kavro-Ab12Cd.tmp",
                              ".kavro-Ab1.tmp", ".kavro-Ab12Cd.tmp.jpg"}) {
        EXPECT_FALSE(IsAtomicTempName(QString::fromLatin1(other))) << other;
    }
}

struct TLeftoverCase {
    const char* Case;
    const char* Name;    // the entry in the folder
    int AgeSeconds;      // how long before now it was last changed
    bool HeldByAWriter;  // another write still holds it
    bool Removed;
};

void PrintTo(const TLeftoverCase& c, std::ostream* out) {
    *out << c.Case;
}

class AtomicFileLeftovers : public ::testing::TestWithParam<TLeftoverCase> {};

TEST_P(AtomicFileLeftovers, FirstWriteIntoTheFolderRemovesOnlyDeadOldOnes) {
    const TLeftoverCase& c = GetParam();
    TTestFolder folder;
    const QString name = QString::fromLatin1(c.Name);
    const QString path = folder.WriteFile(name, "half-written");
    Age(path, c.AgeSeconds);
    int holder = -1;
    if (c.HeldByAWriter) {
        holder = ::open(Native(path).constData(), O_RDONLY | O_CLOEXEC);
        ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    }
    WriteFileAtomically(folder.FilePath(QStringLiteral("okini.xml")), "new");
    EXPECT_EQ(folder.Exists(name), !c.Removed);
    EXPECT_EQ(folder.ReadFile(QStringLiteral("okini.xml")), QByteArray("new"));
    if (holder >= 0)
        ::close(holder);
}

INSTANTIATE_TEST_SUITE_P(
    AtomicFile, AtomicFileLeftovers,
    ::testing::Values(TLeftoverCase{"OfACrashedRun", ".kavro-a1B2c3.tmp", 3600, false, true},
                      TLeftoverCase{"StillBeingWritten", ".kavro-a1B2c3.tmp", 3600, true, false},
                      TLeftoverCase{"NewerThanTheProgram", ".kavro-a1B2c3.tmp", -5, false, false},
                      TLeftoverCase{"UsersHiddenFile", ".kavro-notes.txt", 3600, false, false},
                      TLeftoverCase{"OtherProgramsTemp", ".big02.jpg.a1B2c3", 3600, false, false},
                      TLeftoverCase{"NotHidden", "kavro-a1B2c3.tmp", 3600, false, false}),
    [](const auto& info) { return std::string(info.param.Case); });

TEST(AtomicFile, LeftoverInTheLinkedFolderIsRemoved) {
    TTestFolder folder;
    const QString leftover = folder.WriteFile(QStringLiteral("b/.kavro-Zz9Yy8.tmp"), "x");
    Age(leftover, 600);
    folder.MakeDir(QStringLiteral("a"));
    ASSERT_EQ(
        ::symlink("../b/t.xml", Native(folder.FilePath(QStringLiteral("a/l.xml"))).constData()), 0);
    WriteFileAtomically(folder.FilePath(QStringLiteral("a/l.xml")), "new");
    EXPECT_FALSE(folder.Exists(QStringLiteral("b/.kavro-Zz9Yy8.tmp")));
}

}  // namespace
