#pragma once

#include <QByteArray>
#include <QList>
#include <QtGlobal>
#include <array>
#include <utility>
#include <vector>

// Builds the bytes of JPEG files with EXIF segments, byte by byte, for the tests, the benchmark
// and the fuzzer's seeds. Only what the EXIF reader looks at is real: the segments around the
// APP1 segment have the right markers and lengths, the scan data is filler.

// The directories of the TIFF structure. IFD1 and its sub-directories describe the thumbnail.
enum class TExifDir { Ifd0, Exif, Gps, Interop, Ifd1, Ifd1Exif, Ifd1Interop };

class TExifBuilder {
public:
    // byteOrder: 0x4949 ("II", little-endian) or 0x4D4D ("MM", big-endian).
    explicit TExifBuilder(quint16 byteOrder = 0x4949);

    // An ASCII entry holding the text and a closing NUL.
    TExifBuilder& Ascii(TExifDir dir, quint16 tag, const QByteArray& text);
    // An entry of a one-byte type (BYTE, ASCII, SBYTE, UNDEFINED) with exactly these bytes.
    TExifBuilder& Bytes(TExifDir dir, quint16 tag, quint16 type, const QByteArray& bytes);
    TExifBuilder& Shorts(TExifDir dir, quint16 tag, const std::vector<quint16>& values,
                         quint16 type = 3);
    TExifBuilder& Longs(TExifDir dir, quint16 tag, const std::vector<quint32>& values,
                        quint16 type = 4);
    TExifBuilder& Rationals(TExifDir dir, quint16 tag,
                            const std::vector<std::pair<quint32, quint32>>& values,
                            quint16 type = 5);
    TExifBuilder& Floats(TExifDir dir, quint16 tag, const std::vector<float>& values);
    TExifBuilder& Doubles(TExifDir dir, quint16 tag, const std::vector<double>& values);
    // An entry written as given: type, count and the 4-byte value field (an offset from the TIFF
    // header or inline bytes, as a number in the file's byte order), whatever they claim.
    TExifBuilder& Raw(TExifDir dir, quint16 tag, quint16 type, quint32 count, quint32 field);
    // Thumbnail bytes after the directories, named by 0x0201 and 0x0202 in IFD1.
    TExifBuilder& Thumbnail(const QByteArray& jpeg);
    // Replaces the IFD0 offset of the TIFF header.
    TExifBuilder& SetIfd0Offset(quint32 offset);

    // The TIFF structure: header, directories (each followed by its long values), thumbnail.
    // Pointer entries to sub-directories that have entries are added at the end of their parent.
    QByteArray Tiff() const;
    // The APP1 segment: marker, length, "Exif\0\0", the TIFF structure.
    QByteArray App1() const;

private:
    struct TEntry {
        quint16 Tag = 0;
        quint16 Type = 0;
        quint32 Count = 0;
        QByteArray Data;        // the values, in the file's byte order
        bool RawField = false;  // Field below is the value field as it is
        bool ThumbnailOffset = false;
        quint32 Field = 0;
    };

    TExifBuilder& Add(TExifDir dir, TEntry entry);
    void PutWord(QByteArray& out, quint16 value) const;
    void PutLong(QByteArray& out, quint32 value) const;
    bool Present(TExifDir dir) const;

    quint16 FByteOrder;
    std::array<QList<TEntry>, 7> FDirs;
    QByteArray FThumbnail;
    bool FIfd0OffsetSet = false;
    quint32 FIfd0Offset = 0;
};

// Whole segments and files.
namespace JpegBytes {

// 0xFF, the marker, the big-endian length (payload + 2), the payload.
QByteArray Segment(quint8 marker, const QByteArray& payload);
QByteArray App0Jfif();
// An XMP packet in an APP1 segment, as editing software writes it.
QByteArray XmpApp1(const QByteArray& packet = "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"/>");
QByteArray Dqt();
QByteArray Sof0(quint16 height, quint16 width);
// Start of scan, scanBytes of filler data without markers, end of image.
QByteArray ScanAndEnd(qsizetype scanBytes = 64);
// SOI, the given segments, DQT, SOF0 of the size, the scan and EOI.
QByteArray Jpeg(const QList<QByteArray>& segments, quint16 height = 480, quint16 width = 640,
                qsizetype scanBytes = 64);

}  // namespace JpegBytes
