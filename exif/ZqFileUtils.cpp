#include "exif/ZqFileUtils.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <exception>

#include "platform/AtomicFile.h"
#include "platform/Exception.h"

namespace {

QByteArray NativePath(const QString& path) {
    return QFile::encodeName(path);
}

int OpenFlags(quint16 mode) {
    switch (mode & 0x3) {
        case 0:
            return O_RDONLY;
        case 1:
            return O_WRONLY;
        case 2:
            return O_RDWR;
        default:
            return -1;
    }
}

// The flock() operation that stands for the sharing bits, or -1 for an invalid value.
int LockOperation(quint16 mode) {
    const int sharing = (mode >> 4) & 0xF;
    if (sharing <= 1)
        return LOCK_EX | LOCK_NB;
    if (sharing <= 4)
        return LOCK_SH | LOCK_NB;
    return -1;
}

bool Lock(int handle, int operation) {
    int result;
    do {
        result = ::flock(handle, operation);
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

void CloseKeepingErrno(int handle) {
    const int error = errno;
    ::close(handle);
    errno = error;
}

// O_NONBLOCK keeps a FIFO from blocking the open; it changes nothing for regular files.
int OpenLocked(const QString& path, int flags, int lockOperation) {
    const int handle = ::open(NativePath(path).constData(), flags | O_CLOEXEC | O_NONBLOCK, 0666);
    if (handle < 0)
        return -1;
    if (!Lock(handle, lockOperation)) {
        CloseKeepingErrno(handle);
        return -1;
    }
    return handle;
}

}  // namespace

namespace ZqFileUtils {

int WideFileCreate(const QString& path) {
    // Locked before it is emptied, so a file that another stream holds keeps its bytes.
    const int handle = OpenLocked(path, O_RDWR | O_CREAT, LOCK_EX | LOCK_NB);
    if (handle < 0)
        return -1;
    if (::ftruncate(handle, 0) != 0) {
        CloseKeepingErrno(handle);
        return -1;
    }
    return handle;
}

int WideFileOpen(const QString& path, quint16 mode) {
    const int flags = OpenFlags(mode);
    const int lockOperation = LockOperation(mode);
    if (flags < 0 || lockOperation < 0) {
        errno = EINVAL;
        return -1;
    }
    return OpenLocked(path, flags, lockOperation);
}

bool WideFileExists(const QString& path) {
    struct stat info;
    return ::stat(NativePath(path).constData(), &info) == 0 && !S_ISDIR(info.st_mode);
}

}  // namespace ZqFileUtils

TZqWideFileStream::TZqWideFileStream(const QString& path, quint16 mode) {
    Open(path, mode);
    if (FHandle < 0)
        RaiseOpenError(path, FOpenError);
}

void TZqWideFileStream::RaiseOpenError(const QString& path, int error) {
    throw EFOpenError(QFileInfo(path).absoluteFilePath(), SystemErrorText(error));
}

TZqWideFileStream::TZqWideFileStream(const QString& path, quint16 mode, std::nothrow_t) {
    Open(path, mode);
}

void TZqWideFileStream::Open(const QString& path, quint16 mode) {
    if (mode != ZqFileUtils::fmCreate) {
        FHandle = ZqFileUtils::WideFileOpen(path, mode);
        if (FHandle < 0)
            FOpenError = errno;
        else
            FFileName = path;
        return;
    }
    // Nobody may hold the old file while it is replaced, as when it is opened exclusively.
    if (ZqFileUtils::WideFileExists(path)) {
        FTargetLock = OpenLocked(path, O_RDONLY, LOCK_EX | LOCK_NB);
        if (FTargetLock < 0) {
            FOpenError = errno;
            return;
        }
    }
    try {
        FAtomic = std::make_unique<TAtomicFile>(path);
    } catch (const ESystemError& error) {
        if (FTargetLock >= 0)
            ::close(FTargetLock);
        FTargetLock = -1;
        FOpenError = error.ErrorNumber();
        return;
    }
    FHandle = FAtomic->Handle();
    FUncaughtAtOpen = std::uncaught_exceptions();
    FFileName = path;
}

TZqWideFileStream::~TZqWideFileStream() {
    if (FAtomic) {
        // Destroyed by an exception that passes through: the writing did not finish.
        if (std::uncaught_exceptions() <= FUncaughtAtOpen) {
            try {
                Commit();
            } catch (const Exception&) {
                // The old file stays; callers that must know call Commit() themselves.
            }
        }
    } else if (FHandle >= 0) {
        ::close(FHandle);
    }
    if (FTargetLock >= 0)
        ::close(FTargetLock);
}

namespace {

// Repeats a read or write call until count bytes are done, the end is reached or it fails.
template <typename Byte, typename Call>
qint64 TransferAll(Byte* bytes, qint64 count, Call call) {
    qint64 done = 0;
    while (done < count) {
        const ssize_t result = call(bytes + done, static_cast<size_t>(count - done));
        if (result < 0 && errno == EINTR)
            continue;
        if (result <= 0)
            break;
        done += result;
    }
    return done;
}

}  // namespace

qint64 TZqWideFileStream::Read(void* buffer, qint64 count) {
    return TransferAll(static_cast<char*>(buffer), count,
                       [this](char* at, size_t size) { return ::read(FHandle, at, size); });
}

qint64 TZqWideFileStream::Write(const void* buffer, qint64 count) {
    return TransferAll(static_cast<const char*>(buffer), count,
                       [this](const char* at, size_t size) { return ::write(FHandle, at, size); });
}

void TZqWideFileStream::ReadBuffer(void* buffer, qint64 count) {
    if (count > 0 && Read(buffer, count) != count)
        throw EReadError();
}

qint64 TZqWideFileStream::Seek(qint64 offset, TSeekOrigin origin) {
    const int whence = origin == TSeekOrigin::Beginning ? SEEK_SET
                       : origin == TSeekOrigin::Current ? SEEK_CUR
                                                        : SEEK_END;
    return ::lseek(FHandle, offset, whence);
}

qint64 TZqWideFileStream::Position() const {
    return ::lseek(FHandle, 0, SEEK_CUR);
}

qint64 TZqWideFileStream::Size() const {
    struct stat info;
    return ::fstat(FHandle, &info) == 0 ? info.st_size : 0;
}

void TZqWideFileStream::Commit() {
    if (!FAtomic)
        return;
    const std::unique_ptr<TAtomicFile> atomic = std::move(FAtomic);
    FHandle = -1;
    atomic->Commit();
}
