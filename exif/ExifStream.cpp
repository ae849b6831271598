#include "exif/ExifStream.h"

#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cstring>
#include <memory>

#include "exif/ZqFileUtils.h"
#include "platform/Exception.h"

namespace {

qint64 BlockSizeOf(qint64 size) {
    const qint64 bounded = qBound<qint64>(1, size, TExifStream::MaxBlockSize);
    return static_cast<qint64>(std::bit_floor(static_cast<quint64>(bounded)));
}

}  // namespace

TExifStream::TExifStream(const TZqWideFileStream& file, qint64 headSize, qint64 blockSize)
    : FHandle(file.Handle()), FBlockSize(BlockSizeOf(blockSize)) {
    FHeadSize = qMax(BlockSizeOf(headSize), FBlockSize);
}

TExifStream::TExifStream(QByteArray bytes)
    : FMemory(std::move(bytes)), FSize(FMemory.size()), FKnownEnd(FSize) {
    FWindow = reinterpret_cast<const quint8*>(FMemory.constData());
    FWindowEnd = FSize;
}

TExifStream::~TExifStream() = default;

qint64 TExifStream::Size() {
    if (FSize < 0) {
        struct stat info;
        FSize = ::fstat(FHandle, &info) == 0 ? qMax<qint64>(info.st_size, FKnownEnd) : FKnownEnd;
    }
    return FSize;
}

bool TExifStream::Holds(qint64 position, qint64 count) {
    const qint64 end = position + count;
    if (end <= FKnownEnd)
        return true;
    // Reading the block where the bytes start usually settles it without asking for the size.
    if (FSize < 0 && LoadWindow(position) && end <= FKnownEnd)
        return true;
    return end <= Size();
}

quint8 TExifStream::ReadByteSlow() {
    if (!LoadWindow(FPosition))
        throw EReadError();
    return FWindow[FPosition++ - FWindowStart];
}

quint16 TExifStream::ReadWordBigEndian() {
    if (FPosition >= FWindowStart && FPosition + 2 <= FWindowEnd) {
        const quint8* bytes = FWindow + (FPosition - FWindowStart);
        FPosition += 2;
        return static_cast<quint16>(bytes[0] << 8 | bytes[1]);
    }
    quint8 bytes[2];
    ReadBuffer(bytes, 2);
    return static_cast<quint16>(bytes[0] << 8 | bytes[1]);
}

void TExifStream::ReadBufferSlow(void* buffer, qint64 count) {
    if (count <= 0)
        return;
    // Reading byte by byte would fail at the end of the file; fail before reading anything.
    if (!Holds(FPosition, count))
        throw EReadError();
    quint8* target = static_cast<quint8*>(buffer);
    qint64 position = FPosition;
    while (count > 0) {
        const bool inWindow = position >= FWindowStart && position < FWindowEnd;
        if (!inWindow && FHandle >= 0 && count >= FBlockSize && position >= FHeadSize) {
            // A long value (a maker note, say) goes straight to its target, past the blocks.
            if (ReadAt(position, target, count) != count)
                throw EReadError();
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
    if (!Holds(FPosition, count))
        throw EReadError();
    QByteArray bytes(count, Qt::Uninitialized);
    ReadBuffer(bytes.data(), count);
    return bytes;
}

const quint8* TExifStream::ReadInPlace(qint64 count) {
    const bool inWindow = FPosition >= FWindowStart && FPosition < FWindowEnd;
    if (!inWindow && !LoadWindow(FPosition))
        return nullptr;
    if (FPosition + count > FWindowEnd)
        return nullptr;
    const quint8* bytes = FWindow + (FPosition - FWindowStart);
    FPosition += count;
    return bytes;
}

bool TExifStream::Prefetch() {
    return LoadWindow(0);
}

qint64 TExifStream::ValueBytesAvailable(qint64 wanted) {
    if (wanted <= 0)
        return 0;
    // The file holds at least FKnownEnd bytes, so its budget is at least that of FKnownEnd.
    if (FPosition + wanted <= FKnownEnd && FCharged + wanted <= ValueBudget(FKnownEnd))
        return wanted;
    const qint64 size = Size();
    return qBound<qint64>(0, qMin(size - FPosition, ValueBudget(size) - FCharged), wanted);
}

bool TExifStream::LoadWindow(qint64 position) {
    if (position < 0 || FHandle < 0 || (FSize >= 0 && position >= FSize))
        return false;
    const bool head = position < FHeadSize;
    const qint64 start = head ? 0 : position & ~(FBlockSize - 1);
    if (FWindow == nullptr || FWindowStart != start) {
        // The head is never smaller than a block, so a buffer of its size holds either.
        if (!FBuffer)
            FBuffer.reset(new quint8[size_t(FHeadSize)]);
        // Forget the window first: a failed read must not leave it showing replaced bytes.
        FWindow = nullptr;
        FWindowStart = FWindowEnd = 0;
        const qint64 got = ReadAt(start, FBuffer.get(), head ? FHeadSize : FBlockSize);
        if (got < 0)
            return false;
        FWindow = FBuffer.get();
        FWindowStart = start;
        FWindowEnd = start + got;
    }
    return position < FWindowEnd;
}

qint64 TExifStream::ReadAt(qint64 position, quint8* buffer, qint64 count) {
    qint64 done = 0;
    while (done < count) {
        const ssize_t got =
            ::pread(FHandle, buffer + done, static_cast<size_t>(count - done), position + done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            FReadError = errno;
            return -1;
        }
        if (got == 0) {
            // A read that comes back short has met the end of the file.
            FSize = position + done;
            break;
        }
        done += got;
    }
    FKnownEnd = qMax(FKnownEnd, position + done);
    return done;
}
