#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>

#include "platform/AtomicFile.h"
#include "tests/support/TestFolder.h"

namespace {

QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
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

// What the disk is asked to keep, seen through the flush seam: the whole new contents under the
// temporary name while the target still holds the old ones, then the folder once the new name is
// in place.
struct TFlushSeen {
    TFlushKind Kind;
    QString Handle;  // what the descriptor is open on
    QByteArray Target;
    QByteArray Flushed;  // the descriptor's contents, for a file
};

class TFlushRecorder {
public:
    TFlushRecorder(QString target, int failWith = 0) : FTarget(std::move(target)) {
        FOld = SetFlushFunction([this, failWith](int handle, TFlushKind kind) {
            char name[4096] = {};
            const QByteArray link = "/proc/self/fd/" + QByteArray::number(handle);
            static_cast<void>(::readlink(link.constData(), name, sizeof name - 1));
            QFile target(FTarget);
            QByteArray flushed;
            if (kind == TFlushKind::File) {
                flushed.resize(4096);
                flushed.resize(qsizetype(::pread(handle, flushed.data(), 4096, 0)));
            }
            Seen.append({kind, QFile::decodeName(name),
                         target.open(QIODevice::ReadOnly) ? target.readAll() : QByteArray(),
                         flushed});
            if (failWith != 0) {
                errno = failWith;
                return -1;
            }
            return ::fsync(handle);
        });
    }
    ~TFlushRecorder() { SetFlushFunction(std::move(FOld)); }

    QList<TFlushSeen> Seen;

private:
    QString FTarget;
    TFlushFunction FOld;
};

TEST(AtomicFile, FlushesTheFileBeforeTheRenameAndTheFolderAfterIt) {
    TTestFolder folder;
    const QString path = folder.WriteFile(QStringLiteral("tag.xml"), "old");
    const QString copied = folder.WriteFile(QStringLiteral("in.jpg"), "photo");
    {
        TFlushRecorder recorder(path);
        WriteFileAtomically(path, "new contents");
        ASSERT_EQ(recorder.Seen.size(), 2);
        EXPECT_EQ(recorder.Seen[0].Kind, TFlushKind::File);
        EXPECT_TRUE(IsAtomicTempName(recorder.Seen[0].Handle.section(u'/', -1)))
            << recorder.Seen[0].Handle.toStdString();
        EXPECT_EQ(recorder.Seen[0].Flushed, QByteArray("new contents"));
        EXPECT_EQ(recorder.Seen[0].Target, QByteArray("old"));
        EXPECT_EQ(recorder.Seen[1].Kind, TFlushKind::Folder);
        EXPECT_EQ(recorder.Seen[1].Handle + u'/', folder.Path());
        EXPECT_EQ(recorder.Seen[1].Target, QByteArray("new contents"));
    }
    {
        // The copy of an imported photo goes the same way.
        TFlushRecorder recorder(folder.FilePath(QStringLiteral("out.jpg")));
        CopyFileAtomically(copied, folder.FilePath(QStringLiteral("out.jpg")));
        ASSERT_EQ(recorder.Seen.size(), 2);
        EXPECT_EQ(recorder.Seen[0].Flushed, QByteArray("photo"));
        EXPECT_EQ(recorder.Seen[1].Kind, TFlushKind::Folder);
        EXPECT_EQ(recorder.Seen[1].Target, QByteArray("photo"));
    }
}

TEST(AtomicFile, AFailedFlushKeepsTheOldFile) {
    TTestFolder folder;
    const QString path = folder.WriteFile(QStringLiteral("tag.xml"), "old");
    TFlushRecorder recorder(path, EIO);
    try {
        WriteFileAtomically(path, "new");
        ADD_FAILURE() << "no error";
    } catch (const ESystemError& error) {
        EXPECT_EQ(error.ErrorNumber(), EIO);
    }
    EXPECT_EQ(recorder.Seen.size(), 1);
    EXPECT_EQ(folder.ReadFile(QStringLiteral("tag.xml")), QByteArray("old"));
    EXPECT_EQ(Entries(folder.Path()), QStringList{QStringLiteral("tag.xml")});
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

// A file of the given mode written over: a file without write bits is refused (also for root,
// who may write anything), any other is replaced and keeps its mode.
class AtomicFileMode : public ::testing::TestWithParam<mode_t> {};

TEST_P(AtomicFileMode, ReadOnlyIsRefusedAndAReplacedFileKeepsItsMode) {
    TTestFolder folder;
    const QString path = folder.WriteFile(QStringLiteral("tag.xml"), "old");
    ASSERT_EQ(::chmod(Native(path).constData(), GetParam()), 0);
    const bool readOnly = (GetParam() & 0222) == 0;
    try {
        WriteFileAtomically(path, "new");
        EXPECT_FALSE(readOnly) << "replaced a read-only file";
    } catch (const ESystemError& error) {
        EXPECT_TRUE(readOnly && error.ErrorNumber() == EACCES) << error.ErrorNumber();
    }
    EXPECT_EQ(folder.ReadFile(QStringLiteral("tag.xml")), QByteArray(readOnly ? "old" : "new"));
    EXPECT_EQ(ModeOf(path), GetParam());
    EXPECT_EQ(Entries(folder.Path()), QStringList{QStringLiteral("tag.xml")});
}

INSTANTIATE_TEST_SUITE_P(AtomicFile, AtomicFileMode,
                         ::testing::Values(0444, 0400, 0555, 0640, 0600, 0666, 0750));

struct TLinkCase {
    const char* Name;
    const char* LinkText;  // what the link a/l.xml names; a/m.xml names ../b/t.xml
    const char* Target;    // the file that receives the bytes
    bool TargetExists;
};

class AtomicFileLink : public ::testing::TestWithParam<TLinkCase> {};

TEST_P(AtomicFileLink, IsWrittenThroughAndStaysALink) {
    const TLinkCase& c = GetParam();
    TTestFolder folder;
    folder.MakeDir(QStringLiteral("a"));
    folder.MakeDir(QStringLiteral("b"));
    if (c.TargetExists)
        folder.WriteFile(QString::fromLatin1(c.Target), "old");
    const QByteArray link = Native(folder.FilePath(QStringLiteral("a/l.xml")));
    ASSERT_EQ(::symlink(c.LinkText, link.constData()), 0);
    ASSERT_EQ(
        ::symlink("../b/t.xml", Native(folder.FilePath(QStringLiteral("a/m.xml"))).constData()), 0);
    WriteFileAtomically(QFile::decodeName(link), "new");
    EXPECT_EQ(folder.ReadFile(QString::fromLatin1(c.Target)), QByteArray("new"));
    char text[64] = {};
    EXPECT_EQ(QByteArray(text, int(::readlink(link.constData(), text, sizeof text))), c.LinkText);
    // The two links and the target, no temporary file left beside either.
    EXPECT_EQ(Entries(folder.FilePath(QStringLiteral("a"))).size() +
                  Entries(folder.FilePath(QStringLiteral("b"))).size(),
              3);
}

INSTANTIATE_TEST_SUITE_P(AtomicFile, AtomicFileLink,
                         ::testing::Values(TLinkCase{"OtherFolder", "../b/t.xml", "b/t.xml", true},
                                           TLinkCase{"SameFolder", "t.xml", "a/t.xml", true},
                                           TLinkCase{"Chain", "m.xml", "b/t.xml", true},
                                           TLinkCase{"NamesNoFileYet", "../b/t.xml", "b/t.xml",
                                                     false}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(AtomicFile, TemporaryFileBearsTheProgramsPattern) {
    TTestFolder folder;
    TAtomicFile file(folder.FilePath(QStringLiteral("big02.jpg")));
    const QStringList entries = Entries(folder.Path());
    ASSERT_EQ(entries.size(), 1);
    EXPECT_TRUE(IsAtomicTempName(entries[0])) << entries[0].toStdString();
}

struct TLeftoverCase {
    const char* Case;
    const char* Name;    // the entry in the folder
    int AgeSeconds;      // how long before now it was last changed
    bool HeldByAWriter;  // another write still holds it
    bool Removed;
};

class AtomicFileLeftovers : public ::testing::TestWithParam<TLeftoverCase> {};

TEST_P(AtomicFileLeftovers, FirstWriteIntoTheFolderRemovesOnlyDeadOldOnes) {
    const TLeftoverCase& c = GetParam();
    TTestFolder folder;
    const QString name = QString::fromLatin1(c.Name);
    const QString path = folder.WriteFile(name, "half-written");
    Age(path, c.AgeSeconds);
    const int holder = ::open(Native(path).constData(), O_RDONLY | O_CLOEXEC);
    if (c.HeldByAWriter) {
        ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    }
    WriteFileAtomically(folder.FilePath(QStringLiteral("okini.xml")), "new");
    EXPECT_EQ(folder.Exists(name), !c.Removed);
    ::close(holder);
}

INSTANTIATE_TEST_SUITE_P(
    AtomicFile, AtomicFileLeftovers,
    ::testing::Values(TLeftoverCase{"OfACrashedRun", ".kavro-a1B2c3.tmp", 3600, false, true},
                      TLeftoverCase{"StillBeingWritten", ".kavro-a1B2c3.tmp", 3600, true, false},
                      TLeftoverCase{"NewerThanTheProgram", ".kavro-a1B2c3.tmp", -5, false, false},
                      TLeftoverCase{"UsersHiddenFile", ".kavro-notes.txt", 3600, false, false},
                      TLeftoverCase{"OtherProgramsTemp", ".big02.jpg.a1B2c3", 3600, false, false}),
    [](const auto& info) { return std::string(info.param.Case); });

}  // namespace
