// Writes well-formed photo files into the folder given as the argument, as a starting corpus for
// fuzz_exif: the mutations then start from real structures instead of random bytes.

#include <QDir>
#include <cstdio>

#include "exif/ExifEntry.h"
#include "platform/AtomicFile.h"
#include "tests/support/ExifBuilder.h"

namespace {

using D = TExifDir;

QByteArray Full(quint16 byteOrder) {
    TExifBuilder b(byteOrder);
    b.Ascii(D::Ifd0, 0x010F, "KAVRO")
        .Ascii(D::Ifd0, 0x0132, "2024:04:01 07:00:11")
        .Shorts(D::Ifd0, 0x0112, {1})
        .Rationals(D::Ifd0, 0x011A, {{72, 1}})
        .Ascii(D::Exif, 0x9003, "2024:04:01 07:00:10")
        .Shorts(D::Exif, 0x8827, {100, 200})
        .Rationals(D::Exif, 0x9204, {{0xFFFFFFFF, 3}}, ExifType::SRational)
        .Longs(D::Exif, 0xA002, {640})
        .Floats(D::Exif, 0x9403, {1.5f})
        .Doubles(D::Exif, 0x9404, {2.5})
        .Bytes(D::Exif, 0x9286, ExifType::Ascii, QByteArray("ASCII\0\0\0note", 12))
        .Bytes(D::Exif, 0x927C, ExifType::Undefined, QByteArray(64, 'm'))
        .Ascii(D::Gps, 0x0001, "N")
        .Rationals(D::Gps, 0x0002, {{35, 1}, {40, 1}, {0, 1}})
        .Ascii(D::Interop, 0x0001, "R98")
        .Shorts(D::Ifd1, 0x0103, {6})
        .Ascii(D::Ifd1Exif, 0x9003, "thumb")
        .Ascii(D::Ifd1Interop, 0x0001, "THM")
        .Thumbnail(JpegBytes::Jpeg({}, 8, 8, 16));
    return b.App1();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: exif_seeds FOLDER\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(folder.path());
    const QByteArray dated =
        TExifBuilder(BigEndianMark).Ascii(D::Exif, 0x9003, "2023:05:14 09:30:00").App1();
    const QList<QByteArray> seeds = {
        JpegBytes::Jpeg({JpegBytes::App0Jfif(), Full(LittleEndianMark)}, 48, 64, 16),
        JpegBytes::Jpeg({Full(BigEndianMark)}, 48, 64, 16),
        JpegBytes::Jpeg({JpegBytes::XmpApp1(), dated}, 48, 64, 16),
        JpegBytes::Jpeg({JpegBytes::XmpApp1()}, 48, 64, 16),
        QByteArray("\xFF\xD8", 2) + JpegBytes::Segment(0xDB, QByteArray(24, '\x01')) + dated +
            JpegBytes::Sof0(48, 64) + JpegBytes::ScanAndEnd(16),
    };
    for (qsizetype i = 0; i < seeds.size(); ++i)
        WriteFileAtomically(folder.filePath(QStringLiteral("seed%1.jpg").arg(i)), seeds[i]);
    std::printf("%lld seeds in %s\n", static_cast<long long>(seeds.size()),
                qPrintable(folder.path()));
    return 0;
}
