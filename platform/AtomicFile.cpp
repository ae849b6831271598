#include "platform/AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <QDateTime>
#include <QFile>
#include <QRegularExpression>
#include <cerrno>
#include <cstdio>
#include <map>
#include <mutex>
#include <set>
#include <utility>

#include "platform/FileErrors.h"
#include "platform/FileHandle.h"
#include "platform/Messages.h"

namespace {

constexpr char TempPrefix[] = ".kavro-";
constexpr char TempSuffix[] = ".tmp";
constexpr int MaxLinkHops = 40;  // as many as the kernel follows before it gives ELOOP

// The moment the program started (close enough: before main runs). A temporary file last
// changed before it cannot belong to a write of this run.
const timespec ProgramStart = [] {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return now;
}();

// mkstemp creates files readable by the owner only; a data file gets the usual mode instead.
mode_t DefaultFileMode() {
    static const mode_t mode = [] {
        const mode_t mask = umask(0);
        umask(mask);
        return static_cast<mode_t>(0666 & ~mask);
    }();
    return mode;
}

QByteArray FolderOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray() : path.left(slash + 1);
}

// The file that a plain open for writing would reach: symbolic links followed, also one that
// names a file that does not exist yet (the write then creates that file).
QByteArray FollowLinks(QByteArray path) {
    for (int hop = 0; hop < MaxLinkHops; ++hop) {
        char buffer[PATH_MAX];
        const ssize_t length = ::readlink(path.constData(), buffer, sizeof buffer);
        if (length < 0)
            return path;  // not a link, or nothing there: the path is the file
        const QByteArray link(buffer, length);
        path = link.startsWith('/') ? link : FolderOf(path) + link;
    }
    throw ESystemError(ELOOP);
}

bool OlderThanTheProgram(const struct stat& info) {
    return info.st_mtim.tv_sec < ProgramStart.tv_sec ||
           (info.st_mtim.tv_sec == ProgramStart.tv_sec &&
            info.st_mtim.tv_nsec < ProgramStart.tv_nsec);
}

// Removes the temporary files that a run which crashed or was killed while writing left in the
// folder. A writer holds a lock on its temporary file until it is renamed or removed, so a file
// still being written by another process is never taken away.
void RemoveLeftovers(const QByteArray& folder) {
    DIR* dir = ::opendir(folder.isEmpty() ? "." : folder.constData());
    if (dir == nullptr)
        return;
    const int dirHandle = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        if (!IsAtomicTempName(QFile::decodeName(entry->d_name)))
            continue;
        struct stat info {};
        if (::fstatat(dirHandle, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(info.st_mode) || !OlderThanTheProgram(info)) {
            continue;
        }
        const TFileHandle file(
            ::openat(dirHandle, entry->d_name, O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
        if (file.Get() >= 0 && ::flock(file.Get(), LOCK_EX | LOCK_NB) == 0)
            ::unlinkat(dirHandle, entry->d_name, 0);
    }
    ::closedir(dir);
}

// Each folder is cleaned at the first write into it; later leftovers can only come from a
// crash of this run, after which there is no later write.
void RemoveLeftoversOnce(const QByteArray& folder) {
    static std::mutex mutex;
    static std::set<QByteArray> cleaned;
    {
        const std::lock_guard<std::mutex> lock(mutex);
        if (!cleaned.insert(folder).second)
            return;
    }
    RemoveLeftovers(folder);
}

// Root passes every permission check, yet a file whose write bits are all off was made
// read-only on purpose; writing over it must be refused for root as for anyone.
bool MayWrite(const QByteArray& path, const struct stat& info) {
    return (info.st_mode & 0222) != 0 &&
           ::faccessat(AT_FDCWD, path.constData(), W_OK, AT_EACCESS) == 0;
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

// The files marked unreadable, by the path a write reaches them under, with the identity of the
// file that was read.
struct TFileIdentity {
    dev_t Device;
    ino_t Inode;
};

std::mutex UnreadableMutex;
std::map<QByteArray, TFileIdentity>& UnreadableFiles() {
    static std::map<QByteArray, TFileIdentity> files;
    return files;
}

// Gives the file a second name that is new: a hard link, so that the target stays in place until
// the rename replaces it; where the file system has no hard links, a rename that never replaces.
// Returns the new name.
QByteArray KeepAside(const QByteArray& target) {
    const QByteArray stem =
        target + ".unreadable-" +
        QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")).toLatin1();
    for (int attempt = 1; attempt < 1000; ++attempt) {
        const QByteArray name = attempt == 1 ? stem : stem + '-' + QByteArray::number(attempt);
        if (::link(target.constData(), name.constData()) == 0)
            return name;
        if (errno == EEXIST)
            continue;
        if (errno != EPERM && errno != EOPNOTSUPP && errno != EMLINK && errno != EXDEV)
            throw ESystemError(errno);
        if (::renameat2(AT_FDCWD, target.constData(), AT_FDCWD, name.constData(),
                        RENAME_NOREPLACE) == 0)
            return name;
        if (errno != EEXIST)
            throw ESystemError(errno);
    }
    throw ESystemError(EEXIST);
}

// Moves a file that was marked unreadable aside before it is replaced, and tells the user.
void KeepUnreadableAside(const QByteArray& target) {
    const std::lock_guard<std::mutex> lock(UnreadableMutex);
    auto& files = UnreadableFiles();
    const auto found = files.find(target);
    if (found == files.end())
        return;
    struct stat info {};
    if (::stat(target.constData(), &info) != 0 || info.st_dev != found->second.Device ||
        info.st_ino != found->second.Inode) {
        files.erase(found);  // not the file that was read
        return;
    }
    const QByteArray copy = KeepAside(target);
    files.erase(found);
    Messages::Show(UnreadableFileMovedText(QFile::decodeName(target), QFile::decodeName(copy)));
}

TFlushFunction& FlushFunction() {
    static TFlushFunction flush;
    return flush;
}

// Flushes a file or folder; a file system that cannot flush (EINVAL) has nothing to flush.
int Flush(int handle, TFlushKind kind) {
    const TFlushFunction& flush = FlushFunction();
    const int result = flush ? flush(handle, kind) : ::fsync(handle);
    return result != 0 && errno == EINVAL ? 0 : result;
}

// Flushes the folder after a rename, so that the new name survives a power cut. Its failure is
// not the write's: the new contents are on the disk already and the rename is done, so a power
// cut leaves the old file or the new one either way.
void FlushFolder(const QByteArray& folder) {
    const TFileHandle handle(
        ::open(folder.isEmpty() ? "." : folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (handle.Get() >= 0)
        static_cast<void>(Flush(handle.Get(), TFlushKind::Folder));
}

}  // namespace

TFlushFunction SetFlushFunction(TFlushFunction flush) {
    return std::exchange(FlushFunction(), std::move(flush));
}

void MarkUnreadable(const QString& path) {
    try {
        const QByteArray target = FollowLinks(QFile::encodeName(path));
        struct stat info {};
        if (::stat(target.constData(), &info) != 0 || !S_ISREG(info.st_mode))
            return;  // nothing there to lose
        const std::lock_guard<std::mutex> lock(UnreadableMutex);
        UnreadableFiles()[target] = TFileIdentity{info.st_dev, info.st_ino};
    } catch (const ESystemError&) {
        // A loop of links: no write can reach a file there either.
    }
}

void ForgetUnreadable(const QString& path) {
    try {
        const QByteArray target = FollowLinks(QFile::encodeName(path));
        const std::lock_guard<std::mutex> lock(UnreadableMutex);
        UnreadableFiles().erase(target);
    } catch (const ESystemError&) {
    }
}

ESystemError::ESystemError(int errorNumber)
    : Exception(SystemErrorText(errorNumber)), FErrorNumber(errorNumber) {}

bool IsAtomicTempName(const QString& fileName) {
    static const QRegularExpression pattern(QStringLiteral("^\\.kavro-[A-Za-z0-9]{6}\\.tmp$"));
    return pattern.match(fileName).hasMatch();
}

TAtomicFile::TAtomicFile(QString path) : FPath(std::move(path)) {
    FTarget = FollowLinks(QFile::encodeName(FPath));
    struct stat existing {};
    const bool exists = ::stat(FTarget.constData(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode))
        throw ESystemError(EISDIR);
    if (exists && !MayWrite(FTarget, existing))
        throw ESystemError(EACCES);
    const QByteArray folder = FolderOf(FTarget);
    RemoveLeftoversOnce(folder);
    FTempName = folder + TempPrefix + "XXXXXX" + TempSuffix;
    FHandle = mkostemps(FTempName.data(), int(sizeof TempSuffix - 1), O_CLOEXEC);
    if (FHandle < 0)
        throw ESystemError(errno);
    // Held until the file is renamed or removed: it tells a live write from a leftover.
    ::flock(FHandle, LOCK_EX | LOCK_NB);
    if (exists && (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid())) {
        // Only root may give a file away; anyone else keeps what a new file gets.
        static_cast<void>(::fchown(FHandle, existing.st_uid, existing.st_gid));
    }
    const mode_t mode = exists ? (existing.st_mode & 07777) : DefaultFileMode();
    if (::fchmod(FHandle, mode) != 0) {
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
    if (FHandle < 0 || FPrepared)
        throw ESystemError(EBADF);
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

void TAtomicFile::Prepare() {
    if (FPrepared)
        return;
    if (FHandle < 0)
        throw ESystemError(EBADF);
    // The new contents reach the disk before their name does, and the name after the rename.
    if (Flush(FHandle, TFlushKind::File) != 0) {
        const int error = errno;
        Discard();
        throw ESystemError(error);
    }
    FPrepared = true;
}

void TAtomicFile::Commit() {
    Place();
    FlushFolder();
}

void TAtomicFile::FlushFolder() const {
    ::FlushFolder(FolderOf(FTarget));
}

void TAtomicFile::Place() {
    Prepare();
    const int handle = FHandle;
    FHandle = -1;
    if (::close(handle) != 0) {
        const int error = errno;
        ::unlink(FTempName.constData());
        throw ESystemError(error);
    }
    try {
        KeepUnreadableAside(FTarget);
    } catch (...) {
        ::unlink(FTempName.constData());
        throw;
    }
    // The replaced file lives on until the folder is flushed: freeing its blocks (and telling a
    // thin-provisioned disk about them) then falls in a later commit of the file system, not in
    // the flush that the caller waits for.
    const TFileHandle replaced(::open(FTarget.constData(), O_PATH | O_CLOEXEC));
    if (::rename(FTempName.constData(), FTarget.constData()) != 0) {
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
