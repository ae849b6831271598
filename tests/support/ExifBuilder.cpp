#include "tests/support/ExifBuilder.h"

#include <bit>

namespace {

constexpr quint16 LittleEndian = 0x4949;

size_t Index(TExifDir dir) {
    return static_cast<size_t>(dir);
}

// The parent of a sub-directory and the pointer tag that names it there.
struct TPointer {
    TExifDir Parent;
    TExifDir Child;
    quint16 Tag;
};
constexpr TPointer Pointers[] = {
    {TExifDir::Ifd0, TExifDir::Exif, 0x8769},
    {TExifDir::Ifd0, TExifDir::Gps, 0x8825},
    {TExifDir::Exif, TExifDir::Interop, 0xA005},
    {TExifDir::Ifd1, TExifDir::Ifd1Exif, 0x8769},
    {TExifDir::Ifd1Exif, TExifDir::Ifd1Interop, 0xA005},
};

}  // namespace

TExifBuilder::TExifBuilder(quint16 byteOrder) : FByteOrder(byteOrder) {}

void TExifBuilder::PutWord(QByteArray& out, quint16 value) const {
    const char high = static_cast<char>(value >> 8);
    const char low = static_cast<char>(value & 0xFF);
    if (FByteOrder == LittleEndian) {
        out.append(low).append(high);
    } else {
        out.append(high).append(low);
    }
}

void TExifBuilder::PutLong(QByteArray& out, quint32 value) const {
    if (FByteOrder == LittleEndian) {
        PutWord(out, static_cast<quint16>(value & 0xFFFF));
        PutWord(out, static_cast<quint16>(value >> 16));
    } else {
        PutWord(out, static_cast<quint16>(value >> 16));
        PutWord(out, static_cast<quint16>(value & 0xFFFF));
    }
}

TExifBuilder& TExifBuilder::Add(TExifDir dir, TEntry entry) {
    FDirs[Index(dir)].append(std::move(entry));
    return *this;
}

TExifBuilder& TExifBuilder::Ascii(TExifDir dir, quint16 tag, const QByteArray& text) {
    return Bytes(dir, tag, 2, text + '\0');
}

TExifBuilder& TExifBuilder::Bytes(TExifDir dir, quint16 tag, quint16 type,
                                  const QByteArray& bytes) {
    return Add(dir, {tag, type, static_cast<quint32>(bytes.size()), bytes});
}

TExifBuilder& TExifBuilder::Shorts(TExifDir dir, quint16 tag, const std::vector<quint16>& values,
                                   quint16 type) {
    QByteArray data;
    for (quint16 value : values)
        PutWord(data, value);
    return Add(dir, {tag, type, static_cast<quint32>(values.size()), data});
}

TExifBuilder& TExifBuilder::Longs(TExifDir dir, quint16 tag, const std::vector<quint32>& values,
                                  quint16 type) {
    QByteArray data;
    for (quint32 value : values)
        PutLong(data, value);
    return Add(dir, {tag, type, static_cast<quint32>(values.size()), data});
}

TExifBuilder& TExifBuilder::Rationals(TExifDir dir, quint16 tag,
                                      const std::vector<std::pair<quint32, quint32>>& values,
                                      quint16 type) {
    QByteArray data;
    for (const auto& [numerator, denominator] : values) {
        PutLong(data, numerator);
        PutLong(data, denominator);
    }
    return Add(dir, {tag, type, static_cast<quint32>(values.size()), data});
}

TExifBuilder& TExifBuilder::Floats(TExifDir dir, quint16 tag, const std::vector<float>& values) {
    QByteArray data;
    for (float value : values)
        PutLong(data, std::bit_cast<quint32>(value));
    return Add(dir, {tag, 11, static_cast<quint32>(values.size()), data});
}

TExifBuilder& TExifBuilder::Doubles(TExifDir dir, quint16 tag, const std::vector<double>& values) {
    QByteArray data;
    for (double value : values) {
        const quint64 bits = std::bit_cast<quint64>(value);
        const auto high = static_cast<quint32>(bits >> 32);
        const auto low = static_cast<quint32>(bits & 0xFFFFFFFF);
        PutLong(data, FByteOrder == LittleEndian ? low : high);
        PutLong(data, FByteOrder == LittleEndian ? high : low);
    }
    return Add(dir, {tag, 12, static_cast<quint32>(values.size()), data});
}

TExifBuilder& TExifBuilder::Raw(TExifDir dir, quint16 tag, quint16 type, quint32 count,
                                quint32 field) {
    TEntry entry{tag, type, count, {}};
    entry.RawField = true;
    entry.Field = field;
    return Add(dir, entry);
}

TExifBuilder& TExifBuilder::Thumbnail(const QByteArray& jpeg) {
    FThumbnail = jpeg;
    TEntry offset{0x0201, 4, 1, {}};
    offset.ThumbnailOffset = true;
    Add(TExifDir::Ifd1, offset);
    return Longs(TExifDir::Ifd1, 0x0202, {static_cast<quint32>(jpeg.size())});
}

TExifBuilder& TExifBuilder::SetIfd0Offset(quint32 offset) {
    FIfd0OffsetSet = true;
    FIfd0Offset = offset;
    return *this;
}

bool TExifBuilder::Present(TExifDir dir) const {
    if (dir == TExifDir::Ifd0 || !FDirs[Index(dir)].isEmpty())
        return true;
    for (const TPointer& pointer : Pointers) {
        if (pointer.Parent == dir && Present(pointer.Child))
            return true;
    }
    return false;
}

QByteArray TExifBuilder::Tiff() const {
    // The entries of each directory, pointer entries included (their field filled in below).
    std::array<QList<TEntry>, 7> dirs = FDirs;
    for (const TPointer& pointer : Pointers) {
        if (Present(pointer.Child))
            dirs[Index(pointer.Parent)].append({pointer.Tag, 4, 1, {}});
    }

    // Layout: each directory, then the values that do not fit in their entries.
    std::array<quint32, 7> dirOffset{};
    std::array<QList<quint32>, 7> valueOffset;
    quint32 position = 8;
    for (size_t d = 0; d < dirs.size(); ++d) {
        if (!Present(static_cast<TExifDir>(d)))
            continue;
        dirOffset[d] = position;
        position += 2 + 12 * static_cast<quint32>(dirs[d].size()) + 4;
        for (const TEntry& entry : dirs[d]) {
            valueOffset[d].append(position);
            if (!entry.RawField && entry.Data.size() > 4) {
                position += static_cast<quint32>(entry.Data.size());
                position += position & 1;
            }
        }
    }
    const quint32 thumbnailOffset = position;

    QByteArray out;
    out.append(FByteOrder == LittleEndian ? "II" : "MM");
    PutWord(out, 42);
    PutLong(out, FIfd0OffsetSet ? FIfd0Offset : dirOffset[Index(TExifDir::Ifd0)]);
    for (size_t d = 0; d < dirs.size(); ++d) {
        if (!Present(static_cast<TExifDir>(d)))
            continue;
        PutWord(out, static_cast<quint16>(dirs[d].size()));
        QByteArray values;
        for (qsizetype i = 0; i < dirs[d].size(); ++i) {
            const TEntry& entry = dirs[d][i];
            PutWord(out, entry.Tag);
            PutWord(out, entry.Type);
            PutLong(out, entry.Count);
            quint32 field = entry.Field;
            if (entry.ThumbnailOffset)
                field = thumbnailOffset;
            for (const TPointer& pointer : Pointers) {
                if (Index(pointer.Parent) == d && pointer.Tag == entry.Tag && entry.Type == 4 &&
                    entry.Data.isEmpty() && !entry.RawField) {
                    field = dirOffset[Index(pointer.Child)];
                }
            }
            if (entry.RawField || entry.ThumbnailOffset || entry.Data.isEmpty()) {
                PutLong(out, field);
            } else if (entry.Data.size() <= 4) {
                out.append(entry.Data.leftJustified(4, '\0'));
            } else {
                PutLong(out, valueOffset[d][i]);
                values.append(entry.Data);
                if (values.size() & 1)
                    values.append('\0');
            }
        }
        const bool linksIfd1 = d == Index(TExifDir::Ifd0) && Present(TExifDir::Ifd1);
        PutLong(out, linksIfd1 ? dirOffset[Index(TExifDir::Ifd1)] : 0);
        out.append(values);
    }
    out.append(FThumbnail);
    return out;
}

QByteArray TExifBuilder::App1() const {
    return JpegBytes::Segment(0xE1, QByteArray("Exif\0\0", 6) + Tiff());
}

namespace JpegBytes {

QByteArray Segment(quint8 marker, const QByteArray& payload) {
    const qsizetype length = payload.size() + 2;
    QByteArray out;
    out.append(char(0xFF)).append(static_cast<char>(marker));
    out.append(static_cast<char>((length >> 8) & 0xFF)).append(static_cast<char>(length & 0xFF));
    return out + payload;
}

QByteArray App0Jfif() {
    return Segment(0xE0, QByteArray("JFIF\0\x01\x01\0\0\x01\0\x01\0\0", 14));
}

QByteArray XmpApp1(const QByteArray& packet) {
    return Segment(0xE1, QByteArray("http://ns.adobe.com/xap/1.0/\0", 29) + packet);
}

QByteArray Dqt() {
    QByteArray table(65, '\x01');
    table[0] = 0;  // 8-bit table 0
    return Segment(0xDB, table);
}

QByteArray Sof0(quint16 height, quint16 width) {
    QByteArray payload;
    payload.append('\x08');
    payload.append(static_cast<char>(height >> 8)).append(static_cast<char>(height & 0xFF));
    payload.append(static_cast<char>(width >> 8)).append(static_cast<char>(width & 0xFF));
    payload.append(QByteArray("\x03\x01\x22\x00\x02\x11\x00\x03\x11\x00", 10));
    return Segment(0xC0, payload);
}

QByteArray ScanAndEnd(qsizetype scanBytes) {
    QByteArray out = Segment(0xDA, QByteArray("\x03\x01\x00\x02\x11\x03\x11\x00\x3F\x00", 10));
    QByteArray data(scanBytes, Qt::Uninitialized);
    // Filler that holds no 0xFF byte, so nothing in it looks like a marker.
    for (qsizetype i = 0; i < scanBytes; ++i)
        data[i] = static_cast<char>((i * 37 + 11) % 0xFF);
    return out + data + QByteArray("\xFF\xD9", 2);
}

QByteArray Jpeg(const QList<QByteArray>& segments, quint16 height, quint16 width,
                qsizetype scanBytes) {
    QByteArray out("\xFF\xD8", 2);
    for (const QByteArray& segment : segments)
        out.append(segment);
    return out + Dqt() + Sof0(height, width) + ScanAndEnd(scanBytes);
}

}  // namespace JpegBytes
