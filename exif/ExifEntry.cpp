#include "exif/ExifEntry.h"

#include <algorithm>
#include <bit>

#include "exif/ExifError.h"
#include "exif/ExifInfo.h"  // the owner gives the byte order
#include "exif/ExifStream.h"
#include "platform/Cp932.h"
#include "platform/Exception.h"

namespace {

constexpr quint16 UserCommentTag = 0x9286;

// Decoding from bytes already read, so that a run of values costs one read.
quint16 DecodeWord(const quint8* p, quint16 byteOrder) {
    return byteOrder == LittleEndianMark ? static_cast<quint16>(p[0] | p[1] << 8)
                                         : static_cast<quint16>(p[0] << 8 | p[1]);
}

quint32 DecodeLong(const quint8* p, quint16 byteOrder) {
    if (byteOrder == LittleEndianMark) {
        return quint32{p[0]} | quint32{p[1]} << 8 | quint32{p[2]} << 16 | quint32{p[3]} << 24;
    }
    return quint32{p[0]} << 24 | quint32{p[1]} << 16 | quint32{p[2]} << 8 | quint32{p[3]};
}

double DecodeDouble(const quint8* p, quint16 byteOrder) {
    quint64 bits = 0;
    for (int i = 0; i < 8; ++i) {
        const int index = byteOrder == LittleEndianMark ? 7 - i : i;
        bits = bits << 8 | p[index];
    }
    return std::bit_cast<double>(bits);
}

bool IsAscii(const QByteArray& bytes) {
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

namespace ExifInfo {

int TypeSize(int valueType) {
    static constexpr int sizes[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};
    return valueType >= 0 && valueType <= 12 ? sizes[valueType] : 0;
}

bool IsKnownType(int valueType) {
    return TypeSize(valueType) > 0;
}

quint16 ReadWord(TExifStream& stream, quint16 byteOrder) {
    quint8 bytes[2];
    stream.ReadBuffer(bytes, sizeof bytes);
    return DecodeWord(bytes, byteOrder);
}

qint16 ReadSignedWord(TExifStream& stream, quint16 byteOrder) {
    return static_cast<qint16>(ReadWord(stream, byteOrder));
}

quint32 ReadLong(TExifStream& stream, quint16 byteOrder) {
    quint8 bytes[4];
    stream.ReadBuffer(bytes, sizeof bytes);
    return DecodeLong(bytes, byteOrder);
}

qint32 ReadSignedLong(TExifStream& stream, quint16 byteOrder) {
    return static_cast<qint32>(ReadLong(stream, byteOrder));
}

float ReadSingle(TExifStream& stream, quint16 byteOrder) {
    return std::bit_cast<float>(ReadLong(stream, byteOrder));
}

double ReadDouble(TExifStream& stream, quint16 byteOrder) {
    quint8 bytes[8];
    stream.ReadBuffer(bytes, sizeof bytes);
    return DecodeDouble(bytes, byteOrder);
}

}  // namespace ExifInfo

// ---- TEntryItem

TEntryItem::TEntryItem(TEntryItems* collection) : FCollection(collection) {}

TEntryItem::~TEntryItem() = default;

quint16 TEntryItem::ByteOrder() const {
    const TExifInfo* owner = FCollection ? FCollection->Owner() : nullptr;
    return owner ? owner->ByteOrder() : LittleEndianMark;
}

void TEntryItem::ClearValues() {
    FValues = TItems<quint8>{};
}

void TEntryItem::ReadEntry(TExifStream& stream) {
    const quint16 byteOrder = ByteOrder();
    ClearValues();
    ValueOffset = 0;
    Tag = ExifInfo::ReadWord(stream, byteOrder);
    ValueType = static_cast<quint8>(ExifInfo::ReadWord(stream, byteOrder) & 0xFF);
    Count = ExifInfo::ReadLong(stream, byteOrder);
    if (!ExifInfo::IsKnownType(ValueType)) {
        // No size decides where its values are: step over the value field.
        stream.Skip(4);
        return;
    }
    const quint64 size = quint64(ExifInfo::TypeSize(ValueType)) * Count;
    if (size <= 4) {
        ReadValues(stream);
        stream.Skip(static_cast<qint64>(4 - size));
        return;
    }
    const qint64 mark = stream.Position();
    ValueOffset = ExifInfo::ReadLong(stream, byteOrder);
    const qint64 base = FCollection ? FCollection->BaseOffset() : 0;
    stream.Seek(base + ValueOffset);
    ReadValues(stream);
    stream.Seek(mark + 4);
}

template <typename T, typename Decode>
void TEntryItem::StoreItems(TExifStream& stream, Decode decode) {
    const qint64 size = ExifInfo::TypeSize(ValueType);
    const qint64 count = stream.ValueBytesAvailable(qint64{Count} * size) / size;
    const qint64 byteCount = count * size;
    const quint8* bytes = stream.ReadInPlace(byteCount);
    QByteArray spanning;
    if (!bytes) {
        spanning = stream.ReadBytes(byteCount);
        bytes = reinterpret_cast<const quint8*>(spanning.constData());
    }
    stream.ChargeValueBytes(byteCount);
    TItems<T> items;
    items.reserve(count);
    for (qint64 i = 0; i < count; ++i)
        items.push_back(decode(bytes + i * size));
    FValues = std::move(items);
    // Reading one value after another would have stopped here, at the end of the file.
    if (count < Count)
        throw EReadError();
}

void TEntryItem::StoreBytes(TExifStream& stream, quint8 asType) {
    ValueType = asType;
    if (stream.ValueBytesAvailable(Count) < Count)
        throw EReadError();
    QByteArray bytes = stream.ReadBytes(Count);
    stream.ChargeValueBytes(bytes.size());
    TItems<QByteArray> items;
    items.append(std::move(bytes));
    FValues = std::move(items);
}

void TEntryItem::ReadValues(TExifStream& stream) {
    using namespace ExifType;
    ClearValues();
    const quint16 order = ByteOrder();
    switch (ValueType) {
        case Byte:
            StoreItems<quint8>(stream, [](const quint8* p) { return p[0]; });
            break;
        case SByte:
            StoreItems<qint8>(stream, [](const quint8* p) { return static_cast<qint8>(p[0]); });
            break;
        case Ascii:
            // A UserComment written as ASCII holds a character-code prefix and is no plain text.
            if (Tag == UserCommentTag && IfdGroup == IfdGroup::Exif) {
                StoreBytes(stream, Undefined);
            } else if (Count > 0) {
                StoreBytes(stream, Ascii);
            }
            break;
        case Short:
            StoreItems<quint16>(stream, [order](const quint8* p) { return DecodeWord(p, order); });
            break;
        case SShort:
            StoreItems<qint16>(stream, [order](const quint8* p) {
                return static_cast<qint16>(DecodeWord(p, order));
            });
            break;
        case Long:
            StoreItems<quint32>(stream, [order](const quint8* p) { return DecodeLong(p, order); });
            break;
        case SLong:
            StoreItems<qint32>(stream, [order](const quint8* p) {
                return static_cast<qint32>(DecodeLong(p, order));
            });
            break;
        case Rational:
            StoreItems<TUnsignedRational>(stream, [order](const quint8* p) {
                return TUnsignedRational{DecodeLong(p, order), DecodeLong(p + 4, order)};
            });
            break;
        case SRational:
            StoreItems<TSignedRational>(stream, [order](const quint8* p) {
                return TSignedRational{static_cast<qint32>(DecodeLong(p, order)),
                                       static_cast<qint32>(DecodeLong(p + 4, order))};
            });
            break;
        case Undefined:
            StoreBytes(stream, Undefined);
            break;
        case Float:
            StoreItems<float>(stream, [order](const quint8* p) {
                return std::bit_cast<float>(DecodeLong(p, order));
            });
            break;
        case Double:
            StoreItems<double>(stream, [order](const quint8* p) { return DecodeDouble(p, order); });
            break;
        default:
            break;
    }
}

int TEntryItem::ValueCount() const {
    return std::visit([](const auto& items) { return static_cast<int>(items.size()); }, FValues);
}

TExifValue TEntryItem::Value(int index) const {
    return std::visit(
        [index](const auto& items) -> TExifValue {
            using TItem = typename std::decay_t<decltype(items)>::value_type;
            if (index < 0 || index >= items.size())
                throw EExifError(ExifError::InvalidIndex);
            return TExifValue(std::in_place_type<TItem>, items[index]);
        },
        FValues);
}

void TEntryItem::DeleteValue(int index) {
    std::visit(
        [index](auto& items) {
            if (index < 0 || index >= items.size())
                throw EExifError(ExifError::InvalidIndex);
            items.erase(items.cbegin() + index);
        },
        FValues);
}

QByteArray TEntryItem::TextBytes() const {
    if (ValueType != ExifType::Ascii)
        return {};
    const auto* items = std::get_if<TItems<QByteArray>>(&FValues);
    if (!items || items->empty())
        return {};
    const QByteArray& bytes = items->front();
    const qsizetype end = bytes.indexOf('\0');
    return end < 0 ? bytes : bytes.left(end);
}

QString TEntryItem::TextValue() const {
    const QByteArray bytes = TextBytes();
    return IsAscii(bytes) ? QString::fromLatin1(bytes) : Cp932::Decode(bytes);
}

quint32 TEntryItem::LongValue(int index) const {
    if (ValueType != ExifType::Long)
        return 0;
    const auto* items = std::get_if<TItems<quint32>>(&FValues);
    if (!items || index < 0 || index >= items->size())
        return 0;
    return (*items)[index];
}

void TEntryItem::Assign(const TEntryItem& source) {
    if (&source == this)
        return;
    Tag = source.Tag;
    ValueType = source.ValueType;
    Count = source.Count;
    IfdGroup = source.IfdGroup;
    ValueOffset = source.ValueOffset;
    FValues = source.FValues;
}

// ---- TEntryItems

TEntryItems::TEntryItems(TExifInfo* owner) : FOwner(owner) {}

TEntryItems::~TEntryItems() = default;

TEntryItem& TEntryItems::Add() {
    return FItems.emplace_back(this);
}

void TEntryItems::Delete(int index) {
    if (index < 0 || index >= Count())
        throw EExifError(ExifError::InvalidIndex);
    FItems.erase(FItems.begin() + index);
}

void TEntryItems::Clear() {
    FItems.clear();
}

int TEntryItems::IndexOfTag(quint16 tag, quint8 group) const {
    for (int i = 0; i < Count(); ++i) {
        const TEntryItem& item = FItems[static_cast<size_t>(i)];
        if (item.Tag == tag && item.IfdGroup == group) {
            return i;
        }
    }
    return -1;
}

void TEntryItems::Assign(const TEntryItems& source) {
    if (&source == this)
        return;
    FBaseOffset = source.FBaseOffset;
    Clear();
    FItems.reserve(source.FItems.size());
    for (const TEntryItem& item : source.FItems)
        Add().Assign(item);
}
