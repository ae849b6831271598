#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "exif/ExifEntry.h"
#include "exif/ExifError.h"

class TExifInfo;
class TExifStream;

// A rational value kept for callers. When it is destroyed it tells its owner, which puts a fresh
// one in its place, so the owner's Rational is never missing.
class TExifRational {
public:
    explicit TExifRational(TExifInfo* owner = nullptr) : FOwner(owner) {}
    ~TExifRational();
    TExifRational(const TExifRational&) = delete;
    TExifRational& operator=(const TExifRational&) = delete;

    TExifInfo* Owner() const { return FOwner; }

    qint32 Numerator = 0;
    qint32 Denominator = 0;

private:
    TExifInfo* FOwner;
};

// Reads the EXIF block of a JPEG file: setting ImageFileName finds the APP1 segment, walks the
// TIFF directories inside it (IFD0 with its Exif, GPS and Interoperability directories; IFD1 and
// its directories for the thumbnail) into Entries and ThumbnailEntries, and takes the picture's
// size from the JPEG frame header. Files are opened exclusively, for one assignment or one
// GetExifOffset at a time.
//
// Failures go through DoError: OnError may clear allowError, otherwise EExifError is raised.
class TExifInfo : public QObject {
    Q_OBJECT

public:
    using TExifReadErrorEvent =
        std::function<void(TExifInfo& sender, int errorCode, bool& allowError)>;
    using TNotifyEvent = std::function<void(TExifInfo& sender)>;

    static constexpr int DefaultSearchBytes = 16;
    static constexpr quint16 DateTimeOriginalTag = 0x9003;
    static constexpr quint16 DateTimeTag = 0x0132;
    static constexpr quint16 ExifPointerTag = 0x8769;
    static constexpr quint16 GpsPointerTag = 0x8825;
    static constexpr quint16 InteropPointerTag = 0xA005;
    static constexpr quint16 OrientationTag = 0x0112;

    explicit TExifInfo(QObject* owner = nullptr);
    ~TExifInfo() override;

    const QString& ImageFileName() const { return FImageFileName; }
    // Reads the file. The empty name changes nothing else; any other name, the same one
    // included, is read anew.
    void SetImageFileName(const QString& fileName);

    // Bound of the byte scan for the APP1 marker when the first segment is no application
    // segment; a negative value is stored as 0.
    int SearchBytes() const { return FSearchBytes; }
    void SetSearchBytes(int searchBytes) { FSearchBytes = qMax(searchBytes, 0); }

    TExifReadErrorEvent OnError;
    TNotifyEvent OnUpdate;

    TEntryItems& Entries() { return FEntries; }
    const TEntryItems& Entries() const { return FEntries; }
    TEntryItems& ThumbnailEntries() { return FThumbnailEntries; }
    const TEntryItems& ThumbnailEntries() const { return FThumbnailEntries; }

    int ImageHeight() const { return FImageHeight; }
    int ImageWidth() const { return FImageWidth; }
    quint16 ByteOrder() const { return FByteOrder; }
    qint64 ExifOffset() const { return FExifOffset; }
    qint64 TiffOffset() const { return FTiffOffset; }
    TExifRational* Rational() const { return FRational.get(); }

    // GetExifOffset(path) > 0.
    bool HasExif(const QString& path);
    // HasExif, then setting ImageFileName when it is true, on one opening of the file: false
    // (and nothing read) when no file is at the path (a folder is none) or the file has no EXIF
    // block. A file that exists but cannot be opened raises EFOpenError; the reading itself
    // fails as setting ImageFileName does.
    bool ReadIfExif(const QString& path);
    // The position of the APP1 marker of the file, or -1; the reader's state stays as it is.
    qint64 GetExifOffset(const QString& path);

    // The text of the first entry of Entries with the tag and group: its text when it is ASCII,
    // empty otherwise. A missing entry gives the empty text, and error -7 when raiseIfMissing.
    QString GetTagText(quint16 tag, quint8 group, bool raiseIfMissing);
    // The shooting date (0x9003 in the Exif directory) and the date of last change (0x0132 in
    // IFD0), as stored ("yyyy:mm:dd hh:mm:ss"); empty when absent.
    QString DateTimeOriginal() { return GetTagText(DateTimeOriginalTag, IfdGroup::Exif, false); }
    QString DateTime() { return GetTagText(DateTimeTag, IfdGroup::Main, false); }
    // How the picture is to be turned or mirrored to be seen upright (0x0112 in IFD0, a SHORT
    // of 1 to 8, as TIFF numbers them); 1 when it is absent, of another type or out of range.
    int Orientation() const;

    virtual void DoError(int errorCode);
    virtual void DoUpdate();
    virtual void RationalDestroyed(TExifRational* rational);

    // What setting ImageFileName does once the file is open: the lists anew from the stream,
    // the size, the offsets and the errors.
    void ReadFromStream(TExifStream& stream);
    // The steps of a read, on a stream over the file.
    void ReadFrameSize(TExifStream& stream);
    qint64 FindApp1(TExifStream& stream) const;
    bool ReadExifData(TExifStream& stream);
    quint32 ReadIfd(TExifStream& stream, TEntryItems& list, quint8 group);

private:
    void ReadDirectories(TExifStream& stream);
    // Seeks to the directory named by a LONG pointer entry of the list and reads it, if any.
    void FollowPointer(TExifStream& stream, TEntryItems& list, quint16 tag, quint8 fromGroup,
                       quint8 group);

    QString FImageFileName;
    int FSearchBytes = DefaultSearchBytes;
    TEntryItems FEntries;
    TEntryItems FThumbnailEntries;
    int FImageHeight = 0;
    int FImageWidth = 0;
    quint16 FByteOrder = 0;
    qint64 FExifOffset = 0;
    qint64 FTiffOffset = 0;
    std::unique_ptr<TExifRational> FRational;
    bool FDestroying = false;
};
