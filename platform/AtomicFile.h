#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

#include "platform/Exception.h"

// A failed system call, with its errno and the system's reason text as the message.
class ESystemError : public Exception {
public:
    explicit ESystemError(int errorNumber);
    int ErrorNumber() const noexcept { return FErrorNumber; }

private:
    int FErrorNumber;
};

// Writes a file so that it is never seen half-written, not even after a power cut: the bytes go
// to a temporary file in the target's folder, which Commit flushes to the disk, renames over the
// target, and then flushes the folder, so that the disk holds the old file or the whole new one.
// A writer destroyed without Commit removes its temporary file and leaves the old target as it
// was. Failures raise ESystemError; callers turn it into their own message.
//
// Files that must change together (a photo's reduced copy and thumbnail) are each written and
// Prepared before any is Committed: what can fail for want of permission or room (creating the
// temporary file, writing it, flushing it) has then failed already, and only the renames are
// left, so that a failure leaves every target as it was.
//
// Apart from never cutting a file short, the result is what a plain overwrite would give: a
// target that exists but may not be written is refused (EACCES) and stays as it was, a replaced
// file keeps its permissions and owner, and a symbolic link is written through to the file it
// names and stays a link. Temporary files are named ".kavro-XXXXXX.tmp"; the first write into a
// folder removes such files that a crashed or killed earlier run left there.
class TAtomicFile {
public:
    explicit TAtomicFile(QString path);
    ~TAtomicFile();
    TAtomicFile(const TAtomicFile&) = delete;
    TAtomicFile& operator=(const TAtomicFile&) = delete;

    void Write(const void* data, size_t size);
    void Write(const QByteArray& bytes) {
        Write(bytes.constData(), static_cast<size_t>(bytes.size()));
    }
    // Flushes the written bytes to the disk; a failure removes the temporary file. Afterwards
    // nothing more may be written.
    void Prepare();
    // Prepares, unless done, and puts the file in place: Place, then FlushFolder.
    void Commit();
    // Prepares, unless done, and renames the file over its target, leaving the folder to be
    // flushed. Files of one change in different folders are all placed before their folders are
    // flushed: on a journalling file system the first flush then carries every rename.
    void Place();
    // Flushes the target's folder, so that the new name survives a power cut.
    void FlushFolder() const;

    const QString& Path() const { return FPath; }
    int Handle() const { return FHandle; }

private:
    void Discard();

    QString FPath;
    QByteArray FTarget;  // the file that is replaced: FPath with symbolic links followed
    QByteArray FTempName;
    int FHandle = -1;
    bool FPrepared = false;
};

// A data file that exists but could not be read as what it should be is never overwritten
// unseen. A reader that found such a file marks it; the first TAtomicFile that replaces it then
// first moves it aside, in the folder of the file, as NAME.unreadable-yyyymmdd-hhmmss (never over
// an earlier copy; a second one in the same second gets "-2" and so on), and tells the user once,
// through Messages::Show, which file it was and where the copy now is. When the file cannot be
// moved aside, the write fails and the file stays as it was. A mark holds for the file that was
// read: one renamed into its place since is replaced as any other.
void MarkUnreadable(const QString& path);
// The file at the path was read whole after all: it is replaced as any other.
void ForgetUnreadable(const QString& path);

// What TAtomicFile flushes: the temporary file before the rename, the folder after it.
enum class TFlushKind { File, Folder };
// The call that flushes an open file or folder to the disk: fsync unless replaced. It returns 0,
// or -1 with errno set. Tests replace it to see both flushes; SetFlushFunction returns the one it
// replaced, and an empty function restores fsync.
using TFlushFunction = std::function<int(int handle, TFlushKind kind)>;
TFlushFunction SetFlushFunction(TFlushFunction flush);

// True for the names of TAtomicFile's temporary files.
bool IsAtomicTempName(const QString& fileName);

// The whole file at once, through TAtomicFile.
void WriteFileAtomically(const QString& path, const QByteArray& bytes);

// A byte-identical copy of a file, through TAtomicFile; the target is replaced when it exists.
void CopyFileAtomically(const QString& from, const QString& to);

// Reads a whole file; raises ESystemError when it cannot be opened or read.
QByteArray ReadWholeFile(const QString& path);
