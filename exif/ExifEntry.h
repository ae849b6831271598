#pragma once

#include <QByteArray>
#include <QString>
#include <QVarLengthArray>
#include <QtGlobal>
#include <algorithm>
#include <memory>
#include <variant>
#include <vector>

class TExifInfo;
class TExifStream;
class TEntryItems;

// The TIFF value types of a directory entry.
namespace ExifType {
inline constexpr quint8 Byte = 1;
inline constexpr quint8 Ascii = 2;
inline constexpr quint8 Short = 3;
inline constexpr quint8 Long = 4;
inline constexpr quint8 Rational = 5;
inline constexpr quint8 SByte = 6;
inline constexpr quint8 Undefined = 7;
inline constexpr quint8 SShort = 8;
inline constexpr quint8 SLong = 9;
inline constexpr quint8 SRational = 10;
inline constexpr quint8 Float = 11;
inline constexpr quint8 Double = 12;
}  // namespace ExifType

// The group of the directory an entry came from.
namespace IfdGroup {
inline constexpr quint8 Main = 0;  // IFD0, or IFD1 in the thumbnail entries
inline constexpr quint8 Exif = 1;
inline constexpr quint8 Gps = 2;
inline constexpr quint8 Interop = 3;
}  // namespace IfdGroup

// Byte-order marks of the TIFF header, as the 16-bit value whose low byte is the first byte.
inline constexpr quint16 LittleEndianMark = 0x4949;  // "II"
inline constexpr quint16 BigEndianMark = 0x4D4D;     // "MM"

struct TUnsignedRational {
    quint32 Numerator = 0;
    quint32 Denominator = 0;
    friend bool operator==(const TUnsignedRational&, const TUnsignedRational&) = default;
};

struct TSignedRational {
    qint32 Numerator = 0;
    qint32 Denominator = 0;
    friend bool operator==(const TSignedRational&, const TSignedRational&) = default;
};

// One value item of an entry. The bytes of an ASCII entry (its text buffer) and of an UNDEFINED
// entry (its byte stream, read from the start) are one QByteArray item.
using TExifValue = std::variant<quint8, qint8, quint16, qint16, quint32, qint32, TUnsignedRational,
                                TSignedRational, float, double, QByteArray>;

// The functions of the unit: the size of a type, and the readers that honour the byte order
// (0x4949 little-endian, any other mark big-endian). They read through the stream's
// read-exactly operation, so the end of the file raises EReadError.
namespace ExifInfo {

// Bytes per component of a type; 0 for a type outside 1-12.
int TypeSize(int valueType);
bool IsKnownType(int valueType);

quint16 ReadWord(TExifStream& stream, quint16 byteOrder);
qint16 ReadSignedWord(TExifStream& stream, quint16 byteOrder);
quint32 ReadLong(TExifStream& stream, quint16 byteOrder);
qint32 ReadSignedLong(TExifStream& stream, quint16 byteOrder);
float ReadSingle(TExifStream& stream, quint16 byteOrder);
double ReadDouble(TExifStream& stream, quint16 byteOrder);

}  // namespace ExifInfo

// One directory entry with its decoded values. An entry belongs to a TEntryItems, which gives
// the position its value offsets count from and, through its owner, the byte order.
class TEntryItem {
public:
    explicit TEntryItem(TEntryItems* collection = nullptr);
    virtual ~TEntryItem();
    // Entries live in their collection; copies are made with Assign.
    TEntryItem(const TEntryItem&) = delete;
    TEntryItem& operator=(const TEntryItem&) = delete;
    TEntryItem(TEntryItem&&) = default;
    TEntryItem& operator=(TEntryItem&&) = default;

    quint16 Tag = 0;
    quint8 ValueType = 0;
    quint32 Count = 0;
    quint8 IfdGroup = 0;
    // Offset of the values from the collection's BaseOffset; 0 when they sit in the entry.
    quint32 ValueOffset = 0;

    TEntryItems* Collection() const { return FCollection; }

    // Reads one 12-byte directory entry at the stream's position, and its values; the stream
    // ends on the next entry. An entry of an unknown type keeps no values.
    virtual void ReadEntry(TExifStream& stream);
    // Reads the values at the stream's position. When the file (or the budget of value bytes)
    // ends first, the complete items read so far are kept and EReadError is raised: a Count of
    // four billion allocates no more than the file holds.
    virtual void ReadValues(TExifStream& stream);
    // Frees the value item at the index; an index out of range raises EExifError -6.
    virtual void DeleteValue(int index);

    // The number of value items held.
    int ValueCount() const;
    // The value item at the index; an index out of range raises EExifError -6.
    TExifValue Value(int index) const;

    // For ASCII: the bytes of the text up to its first NUL (all of them when there is none).
    QByteArray TextBytes() const;
    // TextBytes() as text: ASCII as it is, other bytes as code page 932.
    QString TextValue() const;
    // For LONG with an index inside the values: that value; otherwise 0.
    quint32 LongValue(int index) const;

    // Makes this entry a copy of the source (fields and values), in its own collection.
    void Assign(const TEntryItem& source);

private:
    // Values are held in their own type; the few bytes of most entries need no allocation.
    template <typename T>
    using TItems = QVarLengthArray<T, std::max<qsizetype>(1, 8 / qsizetype(sizeof(T)))>;
    using TValueStore =
        std::variant<TItems<quint8>, TItems<qint8>, TItems<quint16>, TItems<qint16>,
                     TItems<quint32>, TItems<qint32>, TItems<TUnsignedRational>,
                     TItems<TSignedRational>, TItems<float>, TItems<double>, TItems<QByteArray>>;

    quint16 ByteOrder() const;
    void ClearValues();
    void StoreBytes(TExifStream& stream, quint8 asType);
    template <typename T, typename Decode>
    void StoreItems(TExifStream& stream, Decode decode);

    TEntryItems* FCollection;
    TValueStore FValues;
};

// An ordered, owning list of entries. BaseOffset is the file position the value offsets count
// from; the owner (or none) gives the byte order.
class TEntryItems {
public:
    explicit TEntryItems(TExifInfo* owner = nullptr);
    ~TEntryItems();
    TEntryItems(const TEntryItems&) = delete;
    TEntryItems& operator=(const TEntryItems&) = delete;

    TExifInfo* Owner() const { return FOwner; }
    qint64 BaseOffset() const { return FBaseOffset; }
    void SetBaseOffset(qint64 offset) { FBaseOffset = offset; }

    // A reference to an entry stays valid until the list next changes.
    TEntryItem& Add();
    int Count() const { return static_cast<int>(FItems.size()); }
    TEntryItem& Items(int index) { return FItems.at(static_cast<size_t>(index)); }
    const TEntryItem& Items(int index) const { return FItems.at(static_cast<size_t>(index)); }
    TEntryItem& operator[](int index) { return Items(index); }
    const TEntryItem& operator[](int index) const { return Items(index); }
    void Delete(int index);
    void Clear();

    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate() {
        if (FUpdateCount > 0)
            --FUpdateCount;
    }
    int UpdateCount() const { return FUpdateCount; }

    // The index of the first entry with this tag and group, or -1.
    int IndexOfTag(quint16 tag, quint8 group) const;
    // Copies BaseOffset and every entry of the source.
    void Assign(const TEntryItems& source);

private:
    TExifInfo* FOwner;
    qint64 FBaseOffset = 0;
    int FUpdateCount = 0;
    std::vector<TEntryItem> FItems;
};
