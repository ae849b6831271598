#include "platform/SingleInstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>

TSingleInstanceLock::TSingleInstanceLock(QString name) : FName(std::move(name)) {}

TSingleInstanceLock::~TSingleInstanceLock() {
    if (FHandle >= 0)
        ::close(FHandle);
}

QString TSingleInstanceLock::LockFilePath(const QString& name) {
    const QString runtimeDir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtimeDir.isEmpty() && QFile::exists(runtimeDir))
        return runtimeDir + u'/' + name;
    return QStringLiteral("/tmp/%1-%2").arg(name).arg(::getuid());
}

bool TSingleInstanceLock::TryAcquire() {
    if (FHeld)
        return true;
    if (FHandle < 0) {
        const QByteArray path = QFile::encodeName(LockFilePath(FName));
        FHandle = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        // Like a named mutex whose wait failed: the start goes on.
        if (FHandle < 0)
            return true;
    }
    int result;
    do {
        result = ::flock(FHandle, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result == 0) {
        FHeld = true;
        return true;
    }
    return errno != EWOULDBLOCK;
}
