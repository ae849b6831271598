#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <array>
#include <memory>

class TZqWideFileStream;

// The reading side of the EXIF reader: a position in a file, byte reads that raise EReadError
// "ストリームからの読み込みエラー" at the end of the file, and seeks. It gives exactly the
// positions, results and failures of reading the file byte by byte, but fetches the file in
// aligned blocks (a few of them kept), so a walk over the segments of a JPEG costs a handful of
// system calls. A read that fails changes nothing: the position stays where it was.
//
// It also keeps the budget for decoded values: one read of a file never holds more value bytes
// than the file has, however many directory entries point at the same bytes.
class TExifStream {
public:
    static constexpr qint64 DefaultBlockSize = 8192;

    // Reads the file of an open stream (which stays the owner of the handle) in blocks of
    // blockSize bytes, a power of two.
    explicit TExifStream(const TZqWideFileStream& file, qint64 blockSize = DefaultBlockSize);
    // Reads bytes held in memory.
    explicit TExifStream(QByteArray bytes);
    ~TExifStream();
    TExifStream(const TExifStream&) = delete;
    TExifStream& operator=(const TExifStream&) = delete;

    qint64 Size() const { return FSize; }
    qint64 Position() const { return FPosition; }
    qint64 Remaining() const { return FPosition < FSize ? FSize - FPosition : 0; }

    // Seeks may go past the end (the next read fails there); a negative position is refused and
    // the position stays.
    void Seek(qint64 position) {
        if (position >= 0)
            FPosition = position;
    }
    void Skip(qint64 delta) { Seek(FPosition + delta); }

    quint8 ReadByte() {
        if (FPosition >= FWindowStart && FPosition < FWindowEnd) {
            return FWindow[FPosition++ - FWindowStart];
        }
        return ReadByteSlow();
    }
    quint16 ReadWordBigEndian();
    void ReadBuffer(void* buffer, qint64 count);
    QByteArray ReadBytes(qint64 count);

    // Value bytes that may still be decoded: the smaller of what is left of the file after the
    // position and what is left of the budget.
    qint64 ValueBytesAvailable() const { return qMin(Remaining(), FValueBudget); }
    void ChargeValueBytes(qint64 count) { FValueBudget -= qMin(count, FValueBudget); }

private:
    struct TBlock {
        qint64 Start = -1;
        qint64 Length = 0;
        quint64 LastUse = 0;
        std::unique_ptr<quint8[]> Data;
    };
    static constexpr int BlockCount = 4;

    quint8 ReadByteSlow();
    // Makes the block holding the position the window; false at or after the end of the file.
    bool LoadWindow(qint64 position);
    void ReadFromFile(qint64 position, void* buffer, qint64 count) const;

    int FHandle = -1;
    QByteArray FMemory;
    qint64 FBlockSize = DefaultBlockSize;
    qint64 FSize = 0;
    qint64 FPosition = 0;
    qint64 FValueBudget = 0;
    const quint8* FWindow = nullptr;
    qint64 FWindowStart = 0;
    qint64 FWindowEnd = 0;
    std::array<TBlock, BlockCount> FBlocks;
    quint64 FUseCounter = 0;
};
