#include "platform/SingleInstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>

namespace {

// The folder of the lock in the user's cache folder. One name for every program of the family,
// so that each of them finds the same lock.
const QString LockFolderName = QStringLiteral("Kavro");

// A folder in which only the user can create files. A folder of the same name made by another
// user, or a link put in its place, is never used: whoever made it could hold the lock first.
bool MakePrivateFolder(const QByteArray& path) {
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != ::geteuid()) {
        return false;
    }
    return (info.st_mode & 077) == 0 || ::chmod(path.constData(), 0700) == 0;
}

// Opens the lock file, which must be a plain file of the user's own: one that someone else left
// while the folder was open to others is replaced, so that its maker cannot hold the lock.
int OpenOwnLockFile(const QByteArray& path) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int handle =
            ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (handle >= 0) {
            struct stat info {};
            if (::fstat(handle, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid())
                return handle;
            ::close(handle);
        } else if (errno != ELOOP) {
            return -1;
        }
        ::unlink(path.constData());
    }
    return -1;
}

}  // namespace

TSingleInstanceLock::TSingleInstanceLock(QString name)
    : TSingleInstanceLock(std::move(name), qEnvironmentVariable("XDG_RUNTIME_DIR"),
                          QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)) {}

TSingleInstanceLock::TSingleInstanceLock(QString name, QString runtimeDir, QString cacheDir)
    : FName(std::move(name)), FRuntimeDir(std::move(runtimeDir)), FCacheDir(std::move(cacheDir)) {}

TSingleInstanceLock::~TSingleInstanceLock() {
    if (FHandle >= 0)
        ::close(FHandle);
}

QString TSingleInstanceLock::LockFilePath(const QString& name, const QString& runtimeDir,
                                          const QString& cacheDir) {
    if (!runtimeDir.isEmpty() && QFileInfo(runtimeDir).isDir())
        return runtimeDir + u'/' + name;
    // Without a home there is no cache folder; a relative path would put the lock wherever the
    // program happened to start.
    if (cacheDir.isEmpty() || !QDir::isAbsolutePath(cacheDir) || !QDir().mkpath(cacheDir))
        return {};
    const QString folder = QDir::cleanPath(cacheDir) + u'/' + LockFolderName;
    if (!MakePrivateFolder(QFile::encodeName(folder)))
        return {};
    return folder + u'/' + name;
}

bool TSingleInstanceLock::TryAcquire() {
    if (FHeld)
        return true;
    if (FHandle < 0) {
        const QString path = LockFilePath(FName, FRuntimeDir, FCacheDir);
        if (!path.isEmpty())
            FHandle = OpenOwnLockFile(QFile::encodeName(path));
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
