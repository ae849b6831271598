#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QUuid>
#include <functional>

#include "platform/SingleInstanceLock.h"
#include "tests/support/TestFolder.h"

namespace {

QString UniqueName() {
    return QStringLiteral("KavroTest-") + QUuid::createUuid().toString(QUuid::Id128);
}

TEST(SingleInstanceLock, SecondHolderIsRefusedUntilTheFirstIsGone) {
    const QString name = UniqueName();
    {
        TSingleInstanceLock first(name);
        ASSERT_TRUE(first.TryAcquire());
        TSingleInstanceLock second(name);
        EXPECT_FALSE(second.TryAcquire());
        EXPECT_FALSE(second.IsHeld());
    }
    TSingleInstanceLock third(name);
    EXPECT_TRUE(third.TryAcquire());
}

// A holder that dies without releasing (like a crash) leaves the lock free.
TEST(SingleInstanceLock, KilledHolderReleasesTheLock) {
    const QString name = UniqueName();
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        TSingleInstanceLock lock(name);
        const char answer = lock.TryAcquire() ? 'y' : 'n';
        (void)!write(ready[1], &answer, 1);
        pause();
        _exit(0);
    }
    char answer = 0;
    ASSERT_EQ(read(ready[0], &answer, 1), 1);
    ASSERT_EQ(answer, 'y');
    TSingleInstanceLock blocked(name);
    EXPECT_FALSE(blocked.TryAcquire());
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    EXPECT_TRUE(blocked.TryAcquire());
    close(ready[0]);
    close(ready[1]);
}

// --- Where the lock lives without a runtime folder ------------------------------------------

constexpr uid_t OtherUser = 65534;

struct TPlaceCase {
    const char* Name;
    // Prepares the lock's folder; false when the test cannot run (only root can chown).
    std::function<bool(const QByteArray& folder, const QByteArray& elsewhere)> Prepare;
    bool Held;  // the lock is taken there; else the start goes on without it
};

class SingleInstanceLockPlace : public ::testing::TestWithParam<TPlaceCase> {};

TEST_P(SingleInstanceLockPlace, IsAFolderOfTheUsersOwnOrNone) {
    TTestFolder tmp;
    const QByteArray folder =
        QFile::encodeName(tmp.FilePath(QStringLiteral("kavro-%1").arg(::geteuid())));
    const QString elsewhere = tmp.MakeDir(QStringLiteral("elsewhere"));
    if (!GetParam().Prepare(folder, QFile::encodeName(elsewhere)))
        GTEST_SKIP() << "only root can make files of another user";
    TSingleInstanceLock lock(QStringLiteral("Kavro"), QString(), tmp.Path());
    EXPECT_TRUE(lock.TryAcquire());
    EXPECT_EQ(lock.IsHeld(), GetParam().Held);
    EXPECT_TRUE(QDir(elsewhere).isEmpty());
    struct stat info {};
    if (GetParam().Held) {
        ASSERT_EQ(::lstat(folder.constData(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0700u);
        ASSERT_EQ(::stat((folder + "/Kavro").constData(), &info), 0);
        EXPECT_EQ(info.st_uid, ::geteuid());
        EXPECT_FALSE(
            TSingleInstanceLock(QStringLiteral("Kavro"), QString(), tmp.Path()).TryAcquire());
    }
}

INSTANTIATE_TEST_SUITE_P(
    SingleInstanceLock, SingleInstanceLockPlace,
    ::testing::Values(
        TPlaceCase{"Missing", [](const QByteArray&, const QByteArray&) { return true; }, true},
        TPlaceCase{"OwnFolderOpenToOthers",
                   [](const QByteArray& folder, const QByteArray&) {
                       return ::mkdir(folder.constData(), 0777) == 0 &&
                              ::chmod(folder.constData(), 0777) == 0;
                   },
                   true},
        // Left while the folder was open: its maker could hold it and keep the program out.
        TPlaceCase{"OtherUsersLockFileInside",
                   [](const QByteArray& folder, const QByteArray&) {
                       const QByteArray file = folder + "/Kavro";
                       return ::mkdir(folder.constData(), 0700) == 0 &&
                              ::close(::open(file.constData(), O_CREAT | O_WRONLY, 0666)) == 0 &&
                              ::chown(file.constData(), OtherUser, OtherUser) == 0;
                   },
                   true},
        TPlaceCase{"OtherUsersFolder",
                   [](const QByteArray& folder, const QByteArray&) {
                       return ::mkdir(folder.constData(), 0777) == 0 &&
                              ::chown(folder.constData(), OtherUser, OtherUser) == 0;
                   },
                   false},
        TPlaceCase{"LinkToAFolder",
                   [](const QByteArray& folder, const QByteArray& elsewhere) {
                       return ::symlink(elsewhere.constData(), folder.constData()) == 0;
                   },
                   false}),
    [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
