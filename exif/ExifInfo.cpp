#include "exif/ExifInfo.h"

#include <cerrno>

#include "exif/ExifStream.h"
#include "exif/ZqFileUtils.h"

namespace {

constexpr quint16 StartOfImage = 0xFFD8;
constexpr quint16 App1Marker = 0xFFE1;
// Looking for the APP1 marker touches only the first bytes of a file. A full read takes the
// head of the file in one block: the APP1 segment of a camera photo (at most 64 KiB, with its
// maker note and thumbnail) and the frame header after it usually lie inside it.
constexpr qint64 MarkerHeadSize = 4096;
constexpr qint64 FileHeadSize = 64 * 1024;

bool IsApplicationMarker(quint16 marker) {
    return (marker & 0xFFF0) == 0xFFE0;
}

// SOF0-3, 5-7, 9-11 and 13-15; 0xFFC4, 0xFFC8 and 0xFFCC are no frame headers.
bool IsFrameHeader(quint16 marker) {
    return (marker & 0xFFF0) == 0xFFC0 && marker != 0xFFC4 && marker != 0xFFC8 && marker != 0xFFCC;
}

// A segment whose length leaves no room for the EXIF identifier is no EXIF segment, whatever
// bytes follow it: they belong to the next segment.
constexpr quint16 ShortestExifLength = 7;  // the length word and "Exif\0"

// True when the segment whose length word is at the position declares room for the EXIF
// identifier. The position stays as it was.
bool HasRoomForIdentifier(TExifStream& stream) {
    const qint64 mark = stream.Position();
    bool room = false;
    try {
        room = stream.ReadWordBigEndian() >= ShortestExifLength;
    } catch (const EReadError&) {
        // A segment cut short has no room for anything.
    }
    stream.Seek(mark);
    return room;
}

// Editing software often writes an XMP packet in an APP1 segment before the EXIF one; only a
// payload that starts with "Exif" and a zero byte is EXIF. The position stays as it was.
bool IsExifSegment(TExifStream& stream) {
    if (!HasRoomForIdentifier(stream))
        return false;
    const qint64 mark = stream.Position();
    bool exif = false;
    try {
        stream.Skip(2);
        char identifier[5];
        stream.ReadBuffer(identifier, sizeof identifier);
        exif = QByteArray(identifier, sizeof identifier) == QByteArray("Exif\0", 5);
    } catch (const EReadError&) {
        // A segment cut short is no EXIF segment.
    }
    stream.Seek(mark);
    return exif;
}

// Examines searchBytes + 1 bytes for the marker 0xFF 0xE1 of a segment with room for the EXIF
// identifier; the stream ends after the marker when it is found.
bool ScanForApp1(TExifStream& stream, int searchBytes) {
    qint64 examined = 0;
    for (;;) {
        const quint8 byte = stream.ReadByte();
        ++examined;
        if (byte == 0xFF) {
            const quint8 next = stream.ReadByte();
            if (next == 0xE1 && HasRoomForIdentifier(stream))
                return true;
            if (next != 0xE1)
                stream.Skip(-1);
        }
        if (examined > searchBytes)
            return false;
    }
}

class TUpdateGuard {
public:
    explicit TUpdateGuard(TEntryItems& list) : FList(list) { FList.BeginUpdate(); }
    ~TUpdateGuard() { FList.EndUpdate(); }
    TUpdateGuard(const TUpdateGuard&) = delete;
    TUpdateGuard& operator=(const TUpdateGuard&) = delete;

private:
    TEntryItems& FList;
};

}  // namespace

TExifRational::~TExifRational() {
    if (FOwner)
        FOwner->RationalDestroyed(this);
}

TExifInfo::TExifInfo(QObject* owner)
    : QObject(owner),
      FEntries(this),
      FThumbnailEntries(this),
      FRational(std::make_unique<TExifRational>(this)) {}

TExifInfo::~TExifInfo() {
    FDestroying = true;
    FRational.reset();
}

void TExifInfo::RationalDestroyed(TExifRational* rational) {
    if (FDestroying || rational != FRational.get())
        return;
    // Whoever destroyed it freed it: give up the pointer without freeing it again.
    static_cast<void>(FRational.release());
    FRational = std::make_unique<TExifRational>(this);
}

void TExifInfo::SetImageFileName(const QString& fileName) {
    FImageFileName = fileName;
    if (fileName.isEmpty())
        return;
    FEntries.Clear();
    FThumbnailEntries.Clear();
    // Opening first, and asking whether the file exists only when that fails, gives the
    // outcomes of asking first with one system call less for every photo. A folder opens like a
    // file on Linux; its first read tells it apart.
    const TZqWideFileStream file(fileName, ZqFileUtils::fmOpenRead, std::nothrow);
    TExifStream stream(file, FileHeadSize);
    const bool opened = file.Handle() >= 0;
    if (!opened || (!stream.Prefetch() && stream.ReadError() == EISDIR)) {
        if (!opened && ZqFileUtils::WideFileExists(fileName))
            TZqWideFileStream::RaiseOpenError(fileName, file.OpenError());
        FImageHeight = 0;
        FImageWidth = 0;
        DoUpdate();
        DoError(ExifError::FileNotFound);
        return;
    }
    ReadFromStream(stream);
}

void TExifInfo::ReadFromStream(TExifStream& stream) {
    FEntries.Clear();
    FThumbnailEntries.Clear();
    // A JPEG without a frame header ends this with the stream's read error.
    ReadFrameSize(stream);
    FExifOffset = FindApp1(stream);
    if (FExifOffset == -1) {
        DoError(ExifError::NotExif);
    } else if (!ReadExifData(stream)) {
        DoError(ExifError::InvalidStream);
    }
}

bool TExifInfo::HasExif(const QString& path) {
    return GetExifOffset(path) > 0;
}

bool TExifInfo::ReadIfExif(const QString& path) {
    const TZqWideFileStream file(path, ZqFileUtils::fmOpenRead, std::nothrow);
    if (file.Handle() < 0) {
        if (ZqFileUtils::WideFileExists(path))
            TZqWideFileStream::RaiseOpenError(path, file.OpenError());
        return false;
    }
    TExifStream stream(file, FileHeadSize);
    if (!stream.Prefetch() || FindApp1(stream) <= 0)
        return false;
    FImageFileName = path;
    ReadFromStream(stream);
    return true;
}

qint64 TExifInfo::GetExifOffset(const QString& path) {
    const TZqWideFileStream file(path, ZqFileUtils::fmOpenRead);
    TExifStream stream(file, MarkerHeadSize, MarkerHeadSize);
    return FindApp1(stream);
}

void TExifInfo::ReadFrameSize(TExifStream& stream) {
    FImageHeight = 0;
    FImageWidth = 0;
    const qint64 saved = stream.Position();
    stream.Seek(0);
    if (stream.ReadWordBigEndian() == StartOfImage) {
        // Segment after segment until a frame header; the end of the file raises EReadError.
        for (;;) {
            const quint16 marker = stream.ReadWordBigEndian();
            const quint16 length = stream.ReadWordBigEndian();
            if (IsFrameHeader(marker)) {
                stream.Skip(1);  // sample precision
                FImageHeight = stream.ReadWordBigEndian();
                FImageWidth = stream.ReadWordBigEndian();
                break;
            }
            stream.Skip(qint64{length} - 2);
        }
    }
    stream.Seek(saved);
}

qint64 TExifInfo::FindApp1(TExifStream& stream) const {
    const qint64 saved = stream.Position();
    qint64 result = -1;
    try {
        stream.Seek(0);
        if (stream.ReadWordBigEndian() == StartOfImage) {
            quint16 marker = stream.ReadWordBigEndian();
            bool found = false;
            if (IsApplicationMarker(marker)) {
                // Every step moves at least two bytes on, so the walk ends at the end of the
                // file at the latest.
                for (;;) {
                    if (marker == App1Marker && IsExifSegment(stream)) {
                        found = true;
                        break;
                    }
                    if ((marker >> 8) != 0xFF)
                        break;
                    const quint16 length = stream.ReadWordBigEndian();
                    stream.Skip(qint64{length} - 2);
                    marker = stream.ReadWordBigEndian();
                }
            } else {
                found = ScanForApp1(stream, FSearchBytes);
            }
            if (found)
                result = stream.Position() - 2;
        }
    } catch (const Exception&) {
        // The end of the file: no marker.
    }
    stream.Seek(saved);
    return result;
}

bool TExifInfo::ReadExifData(TExifStream& stream) {
    try {
        stream.Seek(FExifOffset + 2);
        // The segment length and "Exif\0\0": the TIFF header is the first non-zero byte after
        // at least two zero bytes, whatever the length bytes hold.
        int zeros = 0;
        for (;;) {
            const quint8 byte = stream.ReadByte();
            if (byte == 0) {
                ++zeros;
            } else if (zeros >= 2) {
                break;
            }
        }
        stream.Skip(-1);
        FTiffOffset = stream.Position();
        FEntries.SetBaseOffset(FTiffOffset);
        FThumbnailEntries.SetBaseOffset(FTiffOffset);
        quint8 mark[2];
        stream.ReadBuffer(mark, sizeof mark);
        FByteOrder = static_cast<quint16>(mark[0] | mark[1] << 8);
        stream.Skip(2);
        const quint32 ifd0 = ExifInfo::ReadLong(stream, FByteOrder);
        stream.Seek(FTiffOffset + ifd0);
        ReadDirectories(stream);
    } catch (const std::exception&) {
        return false;
    }
    DoUpdate();
    return true;
}

void TExifInfo::ReadDirectories(TExifStream& stream) {
    quint32 next;
    {
        const TUpdateGuard guard(FEntries);
        next = ReadIfd(stream, FEntries, IfdGroup::Main);
        FollowPointer(stream, FEntries, ExifPointerTag, IfdGroup::Main, IfdGroup::Exif);
        FollowPointer(stream, FEntries, GpsPointerTag, IfdGroup::Main, IfdGroup::Gps);
        FollowPointer(stream, FEntries, InteropPointerTag, IfdGroup::Exif, IfdGroup::Interop);
    }
    if (next == 0)
        return;
    const TUpdateGuard guard(FThumbnailEntries);
    stream.Seek(FTiffOffset + next);
    ReadIfd(stream, FThumbnailEntries, IfdGroup::Main);
    FollowPointer(stream, FThumbnailEntries, ExifPointerTag, IfdGroup::Main, IfdGroup::Exif);
    FollowPointer(stream, FThumbnailEntries, InteropPointerTag, IfdGroup::Exif, IfdGroup::Interop);
}

void TExifInfo::FollowPointer(TExifStream& stream, TEntryItems& list, quint16 tag, quint8 fromGroup,
                              quint8 group) {
    const int index = list.IndexOfTag(tag, fromGroup);
    const quint32 offset = index >= 0 ? list[index].LongValue(0) : 0;
    if (offset == 0)
        return;
    stream.Seek(FTiffOffset + offset);
    ReadIfd(stream, list, group);
}

quint32 TExifInfo::ReadIfd(TExifStream& stream, TEntryItems& list, quint8 group) {
    const quint16 count = ExifInfo::ReadWord(stream, FByteOrder);
    for (int i = 0; i < count; ++i) {
        TEntryItem& entry = list.Add();
        entry.IfdGroup = group;
        // An entry of type 0 or above 12 (or one cut off before its type) is left out.
        try {
            entry.ReadEntry(stream);
        } catch (...) {
            if (!ExifInfo::IsKnownType(entry.ValueType))
                list.Delete(list.Count() - 1);
            throw;
        }
        if (!ExifInfo::IsKnownType(entry.ValueType))
            list.Delete(list.Count() - 1);
    }
    return ExifInfo::ReadLong(stream, FByteOrder);
}

int TExifInfo::Orientation() const {
    const int index = FEntries.IndexOfTag(OrientationTag, IfdGroup::Main);
    if (index < 0 || FEntries[index].ValueType != ExifType::Short ||
        FEntries[index].ValueCount() < 1) {
        return 1;
    }
    const int value = std::get<quint16>(FEntries[index].Value(0));
    return value >= 1 && value <= 8 ? value : 1;
}

QString TExifInfo::GetTagText(quint16 tag, quint8 group, bool raiseIfMissing) {
    const int index = FEntries.IndexOfTag(tag, group);
    if (index < 0) {
        if (raiseIfMissing)
            DoError(ExifError::TagNotFound);
        return {};
    }
    return FEntries[index].TextValue();
}

void TExifInfo::DoError(int errorCode) {
    bool allowError = true;
    if (OnError)
        OnError(*this, errorCode, allowError);
    if (allowError)
        throw EExifError(errorCode);
}

void TExifInfo::DoUpdate() {
    if (OnUpdate && !FDestroying)
        OnUpdate(*this);
}
