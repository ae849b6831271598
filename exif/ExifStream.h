#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <cstring>
#include <memory>

class TZqWideFileStream;

// The reading side of the EXIF reader: a position in a file, byte reads that raise EReadError
// "ストリームからの読み込みエラー" at the end of the file, and seeks. It gives exactly the
// positions, results and failures of reading the file byte by byte, but fetches the file into
// one buffer: the head of the file in one read (where the EXIF segment of a photo lies), any
// other place in a block of its own. A read that fails changes nothing: the position stays where
// it was.
//
// The size of the file is learnt from reads that come back short, and asked of the system only
// when a decision needs it, so reading the head of a photo costs a single system call.
//
// The stream also keeps the budget for decoded values. Directories may share values (two
// pointers to one directory, entries naming one block), so a read may decode the same bytes more
// than once; but entries that all name the largest block would make the values grow with the
// square of the file. One read therefore decodes at most ValueBudget(size) value bytes: far
// more than any file a camera or editor writes can reach (its whole EXIF segment is under
// 64 KiB), and still a bound in proportion to the file.
class TExifStream {
public:
    static constexpr qint64 DefaultBlockSize = 8192;
    static constexpr qint64 MaxBlockSize = 64 * 1024;

    // Reads the file of an open stream, which stays the owner of the handle: the first headSize
    // bytes in one read, other places in aligned blocks of blockSize (each rounded down to a
    // power of two no larger than MaxBlockSize; the head no smaller than a block).
    explicit TExifStream(const TZqWideFileStream& file, qint64 headSize = DefaultBlockSize,
                         qint64 blockSize = DefaultBlockSize);
    // Reads bytes held in memory.
    explicit TExifStream(QByteArray bytes);
    ~TExifStream();
    TExifStream(const TExifStream&) = delete;
    TExifStream& operator=(const TExifStream&) = delete;

    qint64 Size();
    qint64 Position() const { return FPosition; }

    // Seeks may go past the end (the next read fails there); a negative position is refused and
    // the position stays.
    void Seek(qint64 position) {
        if (position >= 0)
            FPosition = position;
    }
    void Skip(qint64 delta) { Seek(FPosition + delta); }

    quint8 ReadByte() {
        if (FPosition >= FWindowStart && FPosition < FWindowEnd)
            return FWindow[FPosition++ - FWindowStart];
        return ReadByteSlow();
    }
    quint16 ReadWordBigEndian();
    void ReadBuffer(void* buffer, qint64 count) {
        if (count > 0 && FPosition >= FWindowStart && FPosition + count <= FWindowEnd) {
            std::memcpy(buffer, FWindow + (FPosition - FWindowStart), static_cast<size_t>(count));
            FPosition += count;
            return;
        }
        ReadBufferSlow(buffer, count);
    }
    QByteArray ReadBytes(qint64 count);
    // The next count bytes where they lie in the buffer, the position moved past them; nullptr
    // (and nothing moved) when they do not, which callers answer with ReadBuffer.
    const quint8* ReadInPlace(qint64 count);

    // Reads the head block; false when not even one byte could be read. ReadError() then holds
    // the errno value of the failed read (EISDIR for a folder), or 0 for an empty file.
    bool Prefetch();
    int ReadError() const { return FReadError; }

    static constexpr qint64 ValueBudget(qint64 fileSize) { return 4 * fileSize + (1 << 20); }

    // Of wanted value bytes, how many may still be decoded at the position: no more than the
    // file has after the position, nor than is left of the budget.
    qint64 ValueBytesAvailable(qint64 wanted);
    void ChargeValueBytes(qint64 count) { FCharged += count; }

private:
    quint8 ReadByteSlow();
    void ReadBufferSlow(void* buffer, qint64 count);
    // True when the file holds the bytes [position, position + count).
    bool Holds(qint64 position, qint64 count);
    // Fills the buffer with the head or the block holding the position; false at or after the
    // end of the file.
    bool LoadWindow(qint64 position);
    // Reads up to count bytes at the position; the number read, or -1 on an error.
    qint64 ReadAt(qint64 position, quint8* buffer, qint64 count);

    int FHandle = -1;
    QByteArray FMemory;
    std::unique_ptr<quint8[]> FBuffer;
    qint64 FHeadSize = DefaultBlockSize;
    qint64 FBlockSize = DefaultBlockSize;
    qint64 FSize = -1;     // exact size, once known
    qint64 FKnownEnd = 0;  // the file holds at least this many bytes
    qint64 FPosition = 0;
    qint64 FCharged = 0;
    int FReadError = 0;
    const quint8* FWindow = nullptr;
    qint64 FWindowStart = 0;
    qint64 FWindowEnd = 0;
};
