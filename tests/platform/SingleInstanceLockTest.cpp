#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QUuid>

#include "platform/SingleInstanceLock.h"

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

}  // namespace
