#include "exif/ExifStream.h"

#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cstring>

#include "exif/ZqFileUtils.h"
#include "platform/Exception.h"

TExifStream::TExifStream(const TZqWideFileStream& file, qint64 blockSize)
    : FHandle(file.Handle()),
      FBlockSize(blockSize > 0
                     ? static_cast<qint64>(std::bit_floor(static_cast<quint64>(blockSize)))
                     : DefaultBlockSize),
      FSize(file.Size()),
      FValueBudget(FSize) {}

TExifStream::TExifStream(QByteArray bytes)
    : FMemory(std::move(bytes)), FSize(FMemory.size()), FValueBudget(FSize) {
    FWindow = reinterpret_cast<const quint8*>(FMemory.constData());
    FWindowEnd = FSize;
}

TExifStream::~TExifStream() = default;

quint8 TExifStream::ReadByteSlow() {
    if (!LoadWindow(FPosition))
        throw EReadError();
    return FWindow[FPosition++ - FWindowStart];
}

quint16 TExifStream::ReadWordBigEndian() {
    quint8 bytes[2];
    ReadBuffer(bytes, 2);
    return static_cast<quint16>(bytes[0] << 8 | bytes[1]);
}

void TExifStream::ReadBuffer(void* buffer, qint64 count) {
    if (count <= 0)
        return;
    // Reading byte by byte would fail at the end of the file; fail before reading anything.
    if (count > Remaining())
        throw EReadError();
    quint8* target = static_cast<quint8*>(buffer);
    qint64 position = FPosition;
    while (count > 0) {
        const bool inWindow = position >= FWindowStart && position < FWindowEnd;
        if (!inWindow && FHandle >= 0 && count >= FBlockSize) {
            // A long value (a maker note, say) goes straight to its target, past the cache.
            ReadFromFile(position, target, count);
            position += count;
            break;
        }
        if (!inWindow && !LoadWindow(position))
            throw EReadError();
        const qint64 part = qMin(count, FWindowEnd - position);
        std::memcpy(target, FWindow + (position - FWindowStart), static_cast<size_t>(part));
        target += part;
        position += part;
        count -= part;
    }
    FPosition = position;
}

QByteArray TExifStream::ReadBytes(qint64 count) {
    if (count <= 0)
        return {};
    if (count > Remaining())
        throw EReadError();
    QByteArray bytes(count, Qt::Uninitialized);
    ReadBuffer(bytes.data(), count);
    return bytes;
}

bool TExifStream::LoadWindow(qint64 position) {
    if (position < 0 || position >= FSize || FHandle < 0)
        return false;
    const qint64 start = position & ~(FBlockSize - 1);
    TBlock* chosen = nullptr;
    for (TBlock& block : FBlocks) {
        if (block.Start == start) {
            chosen = &block;
            break;
        }
    }
    if (!chosen) {
        chosen = &FBlocks[0];
        for (TBlock& block : FBlocks) {
            if (block.LastUse < chosen->LastUse)
                chosen = &block;
        }
        if (!chosen->Data)
            chosen->Data = std::make_unique<quint8[]>(static_cast<size_t>(FBlockSize));
        // Forget the window first: a failed read must not leave it showing half-replaced bytes.
        FWindowStart = FWindowEnd = 0;
        chosen->Start = -1;
        const qint64 length = qMin(FBlockSize, FSize - start);
        ReadFromFile(start, chosen->Data.get(), length);
        chosen->Start = start;
        chosen->Length = length;
    }
    chosen->LastUse = ++FUseCounter;
    FWindow = chosen->Data.get();
    FWindowStart = chosen->Start;
    FWindowEnd = chosen->Start + chosen->Length;
    return true;
}

void TExifStream::ReadFromFile(qint64 position, void* buffer, qint64 count) const {
    quint8* target = static_cast<quint8*>(buffer);
    while (count > 0) {
        const ssize_t got = ::pread(FHandle, target, static_cast<size_t>(count), position);
        if (got < 0 && errno == EINTR)
            continue;
        // A file that shrank while it was read ends here, like any other end of file.
        if (got <= 0)
            throw EReadError();
        target += got;
        position += got;
        count -= got;
    }
}
