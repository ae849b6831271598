#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>
#include <functional>
#include <optional>

#include "platform/SingleInstanceLock.h"
#include "tests/support/TestFolder.h"

namespace {

// Sets an environment variable (a null value removes it) and puts it back when it goes.
class TEnvironmentGuard {
public:
    TEnvironmentGuard(const char* name, const QByteArray& value)
        : FName(name), FOld(qgetenv(name)), FWasSet(qEnvironmentVariableIsSet(name)) {
        Set(value.isNull() ? std::nullopt : std::optional(value));
    }
    ~TEnvironmentGuard() { Set(FWasSet ? std::optional(FOld) : std::nullopt); }

private:
    void Set(const std::optional<QByteArray>& value) const {
        if (value)
            qputenv(FName, *value);
        else
            qunsetenv(FName);
    }
    const char* FName;
    QByteArray FOld;
    bool FWasSet;
};

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
    // Prepares the cache folder and the lock's folder in it; false when the test cannot run
    // (only root can chown).
    std::function<bool(const QByteArray& cache, const QByteArray& folder,
                       const QByteArray& elsewhere)>
        Prepare;
    bool Held;  // the lock is taken there; else the start goes on without it
};

void PrintTo(const TPlaceCase& c, std::ostream* out) {
    *out << c.Name;
}

class SingleInstanceLockPlace : public ::testing::TestWithParam<TPlaceCase> {};

TEST_P(SingleInstanceLockPlace, IsAFolderOfTheUsersOwnInTheCacheOrNone) {
    TTestFolder tmp;
    const QString cache = tmp.FilePath(QStringLiteral("home/.cache"));
    const QByteArray folder = QFile::encodeName(cache + QStringLiteral("/Kavro"));
    const QString elsewhere = tmp.MakeDir(QStringLiteral("elsewhere"));
    if (!GetParam().Prepare(QFile::encodeName(cache), folder, QFile::encodeName(elsewhere)))
        GTEST_SKIP() << "only root can make files of another user";
    TSingleInstanceLock lock(QStringLiteral("Kavro"), QString(), cache);
    EXPECT_TRUE(lock.TryAcquire());
    EXPECT_EQ(lock.IsHeld(), GetParam().Held);
    EXPECT_TRUE(QDir(elsewhere).isEmpty());
    struct stat info {};
    if (GetParam().Held) {
        ASSERT_EQ(::lstat(folder.constData(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0700u);
        ASSERT_EQ(::stat((folder + "/Kavro").constData(), &info), 0);
        EXPECT_EQ(info.st_uid, ::geteuid());
        EXPECT_FALSE(TSingleInstanceLock(QStringLiteral("Kavro"), QString(), cache).TryAcquire());
        // A runtime folder given but missing is no place either.
        EXPECT_FALSE(TSingleInstanceLock(QStringLiteral("Kavro"),
                                         tmp.FilePath(QStringLiteral("none")), cache)
                         .TryAcquire());
    }
}

bool MakeCache(const QByteArray& cache) {
    return QDir().mkpath(QFile::decodeName(cache));
}

INSTANTIATE_TEST_SUITE_P(
    SingleInstanceLock, SingleInstanceLockPlace,
    ::testing::Values(
        // A first start in a new home: neither the cache folder nor the lock's folder exists.
        TPlaceCase{"CacheMissing",
                   [](const QByteArray&, const QByteArray&, const QByteArray&) { return true; },
                   true},
        TPlaceCase{"OwnFolderOpenToOthers",
                   [](const QByteArray& cache, const QByteArray& folder, const QByteArray&) {
                       return MakeCache(cache) && ::mkdir(folder.constData(), 0777) == 0 &&
                              ::chmod(folder.constData(), 0777) == 0;
                   },
                   true},
        // Left while the folder was open: its maker could hold it and keep the program out.
        TPlaceCase{"OtherUsersLockFileInside",
                   [](const QByteArray& cache, const QByteArray& folder, const QByteArray&) {
                       const QByteArray file = folder + "/Kavro";
                       return MakeCache(cache) && ::mkdir(folder.constData(), 0700) == 0 &&
                              ::close(::open(file.constData(), O_CREAT | O_WRONLY, 0666)) == 0 &&
                              ::chown(file.constData(), OtherUser, OtherUser) == 0;
                   },
                   true},
        TPlaceCase{"OtherUsersFolder",
                   [](const QByteArray& cache, const QByteArray& folder, const QByteArray&) {
                       return MakeCache(cache) && ::mkdir(folder.constData(), 0777) == 0 &&
                              ::chown(folder.constData(), OtherUser, OtherUser) == 0;
                   },
                   false},
        TPlaceCase{
            "LinkToAFolder",
            [](const QByteArray& cache, const QByteArray& folder, const QByteArray& elsewhere) {
                return MakeCache(cache) &&
                       ::symlink(elsewhere.constData(), folder.constData()) == 0;
            },
            false},
        // The cache folder cannot be made (a file stands where its parent should be).
        TPlaceCase{"CacheCannotBeMade",
                   [](const QByteArray& cache, const QByteArray&, const QByteArray&) {
                       const QByteArray home = cache.left(cache.lastIndexOf('/'));
                       return ::close(::open(home.constData(), O_CREAT | O_WRONLY, 0600)) == 0;
                   },
                   false}),
    [](const auto& info) { return std::string(info.param.Name); });

// Without a runtime folder every start finds the lock in the user's cache folder, whatever
// other users have put into the shared temporary folder.
TEST(SingleInstanceLock, WithoutARuntimeFolderLivesInTheUsersCacheFolder) {
    TTestFolder home;
    const TEnvironmentGuard runtime("XDG_RUNTIME_DIR", QByteArray());
    const TEnvironmentGuard cache("XDG_CACHE_HOME",
                                  QFile::encodeName(home.FilePath(QStringLiteral(".cache"))));
    const QString name = UniqueName();
    TSingleInstanceLock first(name);
    EXPECT_TRUE(first.TryAcquire());
    EXPECT_TRUE(first.IsHeld());
    EXPECT_TRUE(QFileInfo(home.FilePath(QStringLiteral(".cache/Kavro/")) + name).isFile());
    EXPECT_FALSE(TSingleInstanceLock(name).TryAcquire());
}

}  // namespace
