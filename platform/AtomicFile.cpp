#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>

#include "platform/FileHandle.h"

namespace {

// mkstemp creates files readable by the owner only; a data file gets the usual mode instead.
mode_t DefaultFileMode() {
    static const mode_t mode = [] {
        const mode_t mask = umask(0);
        umask(mask);
        return static_cast<mode_t>(0666 & ~mask);
    }();
    return mode;
}

// Reads the descriptor to its end in blocks, handing each block to the sink.
template <typename Sink>
void ReadToEnd(int handle, Sink sink) {
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(handle, buffer, sizeof buffer);
        if (got == 0)
            return;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw ESystemError(errno);
        }
        sink(buffer, got);
    }
}

}  // namespace

ESystemError::ESystemError(int errorNumber)
    : Exception(SystemErrorText(errorNumber)), FErrorNumber(errorNumber) {}

TAtomicFile::TAtomicFile(QString path) : FPath(std::move(path)) {
    const QByteArray target = QFile::encodeName(FPath);
    const qsizetype slash = target.lastIndexOf('/');
    FTempName = target.left(slash + 1) + '.' + target.mid(slash + 1) + ".XXXXXX";
    FHandle = mkostemp(FTempName.data(), O_CLOEXEC);
    if (FHandle < 0)
        throw ESystemError(errno);
    if (fchmod(FHandle, DefaultFileMode()) != 0) {
        const int error = errno;
        Discard();
        throw ESystemError(error);
    }
}

TAtomicFile::~TAtomicFile() {
    if (FHandle >= 0)
        Discard();
}

void TAtomicFile::Write(const void* data, size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = ::write(FHandle, bytes, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            throw ESystemError(errno);
        }
        bytes += written;
        size -= static_cast<size_t>(written);
    }
}

void TAtomicFile::Commit() {
    // Without an fsync a power cut may still lose the new contents, but the rename means a crash
    // of the program never leaves a cut-short file, and the import stays as fast as a plain copy.
    const int handle = FHandle;
    FHandle = -1;
    if (::close(handle) != 0) {
        const int error = errno;
        ::unlink(FTempName.constData());
        throw ESystemError(error);
    }
    if (::rename(FTempName.constData(), QFile::encodeName(FPath).constData()) != 0) {
        const int error = errno;
        ::unlink(FTempName.constData());
        throw ESystemError(error);
    }
}

void TAtomicFile::Discard() {
    ::close(FHandle);
    FHandle = -1;
    ::unlink(FTempName.constData());
}

void WriteFileAtomically(const QString& path, const QByteArray& bytes) {
    TAtomicFile file(path);
    file.Write(bytes);
    file.Commit();
}

void CopyFileAtomically(const QString& from, const QString& to) {
    TFileHandle source(::open(QFile::encodeName(from).constData(), O_RDONLY | O_CLOEXEC));
    if (source.Get() < 0)
        throw ESystemError(errno);
    TAtomicFile target(to);
    for (;;) {
        // copy_file_range lets the kernel copy without a trip through user space.
        const ssize_t copied =
            copy_file_range(source.Get(), nullptr, target.Handle(), nullptr, size_t{1} << 30, 0);
        if (copied == 0)
            break;
        if (copied > 0)
            continue;
        if (errno == EINTR)
            continue;
        if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
            throw ESystemError(errno);
        }
        // Some file systems refuse copy_file_range: copy through a buffer from where it stopped.
        ReadToEnd(source.Get(), [&](const char* data, ssize_t size) {
            target.Write(data, static_cast<size_t>(size));
        });
        break;
    }
    target.Commit();
}

QByteArray ReadWholeFile(const QString& path) {
    TFileHandle file(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC));
    if (file.Get() < 0)
        throw ESystemError(errno);
    QByteArray bytes;
    struct stat info {};
    if (fstat(file.Get(), &info) == 0 && info.st_size > 0)
        bytes.reserve(info.st_size);
    ReadToEnd(file.Get(), [&](const char* data, ssize_t size) { bytes.append(data, size); });
    return bytes;
}
