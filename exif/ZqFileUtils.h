#pragma once

#include <QString>
#include <QtGlobal>
#include <memory>
#include <new>

class TAtomicFile;

// Files opened by a Unicode path. On Linux every path is Unicode by nature: the path goes to
// open() as it is (UTF-8), and the Windows long-path prefix "\\?\" has no meaning here.
//
// Open modes are 16-bit values. 0xFFFF creates the file (or empties an existing one) for reading
// and writing, shared with nobody. Any other value opens an existing file: bits 0-1 give the
// access (0 read, 1 write, 2 read and write, 3 invalid), bits 4-7 what other openers may do
// (0 and 1 nothing, 2 read, 3 write, 4 read and write, 5-15 invalid).
//
// Linux has no mandatory sharing modes, so they are held with advisory flock() locks: an
// exclusive mode takes LOCK_EX, a sharing mode LOCK_SH, both without waiting. A second open of
// the same file from this program therefore fails while an exclusive stream on it exists, and an
// exclusive open fails while any other stream holds it. Programs that do not lock are not kept
// out.
namespace ZqFileUtils {

inline constexpr quint16 fmCreate = 0xFFFF;
inline constexpr quint16 fmOpenRead = 0x0000;
inline constexpr quint16 fmOpenWrite = 0x0001;
inline constexpr quint16 fmOpenReadWrite = 0x0002;
inline constexpr quint16 fmShareExclusive = 0x0010;
inline constexpr quint16 fmShareDenyWrite = 0x0020;
inline constexpr quint16 fmShareDenyRead = 0x0030;
inline constexpr quint16 fmShareDenyNone = 0x0040;

// Creates the file or empties an existing one, for reading and writing, shared with nobody.
// Returns the handle, or -1 with errno set. Emptying happens in one step (the file is either as
// it was or empty); whatever is written through the handle afterwards goes into the file in
// place, so content that must never be seen half-written goes through TZqWideFileStream's
// create mode instead.
int WideFileCreate(const QString& path);

// Opens an existing file with the access and sharing of the mode. Returns the handle, or -1 with
// errno set: EINVAL for an invalid mode (nothing on disk is touched), EISDIR for a folder,
// EWOULDBLOCK when the sharing lock is held elsewhere.
int WideFileOpen(const QString& path, quint16 mode);

// True when the path names an existing file that is not a folder.
bool WideFileExists(const QString& path);

}  // namespace ZqFileUtils

enum class TSeekOrigin { Beginning, Current, End };

// A stream over a file handle that it owns. Opening fails with EFOpenError
// "ファイル %s は開けません。 %s " (the absolute path and the system's reason).
//
// In create mode the bytes go to a temporary file beside the target (TAtomicFile), which
// replaces the target when the stream is committed: explicitly with Commit(), or when it is
// destroyed normally. A stream destroyed while an exception unwinds leaves the old file as it was.
class TZqWideFileStream {
public:
    TZqWideFileStream(const QString& path, quint16 mode);
    // Opens without raising: on failure Handle() is -1 and OpenError() holds the errno value.
    TZqWideFileStream(const QString& path, quint16 mode, std::nothrow_t);
    ~TZqWideFileStream();
    TZqWideFileStream(const TZqWideFileStream&) = delete;
    TZqWideFileStream& operator=(const TZqWideFileStream&) = delete;

    const QString& FileName() const { return FFileName; }
    int Handle() const { return FHandle; }

    // The number of bytes read or written; 0 on a failure or at the end of the file.
    qint64 Read(void* buffer, qint64 count);
    qint64 Write(const void* buffer, qint64 count);
    // Reads exactly count bytes or raises EReadError "ストリームからの読み込みエラー".
    void ReadBuffer(void* buffer, qint64 count);

    // The new position, or -1 when the platform refuses (the position then stays).
    qint64 Seek(qint64 offset, TSeekOrigin origin);
    qint64 Position() const;
    void SetPosition(qint64 position) { Seek(position, TSeekOrigin::Beginning); }
    qint64 Size() const;
    int OpenError() const { return FOpenError; }
    // The error of a failed open: "ファイル %s は開けません。 %s " with the absolute path and the
    // system's text for the errno value.
    [[noreturn]] static void RaiseOpenError(const QString& path, int error);

    // Create mode only: puts the written bytes in place of the target. Raises ESystemError.
    void Commit();

private:
    void Open(const QString& path, quint16 mode);

    QString FFileName;
    int FHandle = -1;
    int FOpenError = 0;
    // Create mode: the temporary file, and the target held locked while it is replaced.
    std::unique_ptr<TAtomicFile> FAtomic;
    int FTargetLock = -1;
    int FUncaughtAtOpen = 0;
};
