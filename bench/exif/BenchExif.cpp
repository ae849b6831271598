// Reading the shooting date and the date of last change of 1000 photos, the way the photo records
// do it (create a reader, ReadIfExif: one opening of the file, both texts, free the reader),
// against a floor measured in the same run: open each file, read its first 64 KiB, close it.
//
// The files are made here, in a temporary folder, and removed at the end. Every measurement runs
// with a warm page cache: one untimed pass of each comes first. The timed rounds then alternate
// between the measurements, each a pass over all 1000 files (far more than the processor's
// caches hold), so none gains from the reading of another. The figure of each is the median of
// its rounds.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "bench/support/BenchSupport.h"
#include "exif/ExifInfo.h"
#include "platform/AtomicFile.h"
#include "tests/support/ExifBuilder.h"

namespace {

constexpr int FileCount = 1000;
constexpr qsizetype ScanBytes = 2300 * 1024;
constexpr int Rounds = 7;

using D = TExifDir;
using Clock = std::chrono::steady_clock;

// The EXIF block of a camera photo: the usual entries, a maker note and a thumbnail.
QByteArray CameraApp1(int index) {
    const QByteArray shot = QStringLiteral("2024:04:%1 07:%2:11")
                                .arg(1 + index % 28, 2, 10, QLatin1Char('0'))
                                .arg(index % 60, 2, 10, QLatin1Char('0'))
                                .toLatin1();
    TExifBuilder b(index % 2 ? BigEndianMark : LittleEndianMark);
    b.Ascii(D::Ifd0, 0x010F, "KAVRO")
        .Ascii(D::Ifd0, 0x0110, "KAVRO GARDEN 5")
        .Shorts(D::Ifd0, 0x0112, {1})
        .Rationals(D::Ifd0, 0x011A, {{72, 1}})
        .Rationals(D::Ifd0, 0x011B, {{72, 1}})
        .Shorts(D::Ifd0, 0x0128, {2})
        .Ascii(D::Ifd0, 0x0131, "Firmware 1.02")
        .Ascii(D::Ifd0, 0x0132, shot)
        .Shorts(D::Ifd0, 0x0213, {2})
        .Rationals(D::Exif, 0x829A, {{1, 250}})
        .Rationals(D::Exif, 0x829D, {{56, 10}})
        .Shorts(D::Exif, 0x8822, {2})
        .Shorts(D::Exif, 0x8827, {200})
        .Bytes(D::Exif, 0x9000, ExifType::Undefined, "0231")
        .Ascii(D::Exif, 0x9003, shot)
        .Ascii(D::Exif, 0x9004, shot)
        .Bytes(D::Exif, 0x9101, ExifType::Undefined, QByteArray("\x01\x02\x03\x00", 4))
        .Rationals(D::Exif, 0x9201, {{8, 1}}, ExifType::SRational)
        .Rationals(D::Exif, 0x9202, {{5, 1}})
        .Rationals(D::Exif, 0x9204, {{0, 3}}, ExifType::SRational)
        .Rationals(D::Exif, 0x9205, {{3, 1}})
        .Shorts(D::Exif, 0x9207, {5})
        .Shorts(D::Exif, 0x9209, {16})
        .Rationals(D::Exif, 0x920A, {{180, 10}})
        .Bytes(D::Exif, 0x927C, ExifType::Undefined, QByteArray(24 * 1024, '\x5A'))
        .Bytes(D::Exif, 0x9286, ExifType::Undefined, QByteArray(264, '\0'))
        .Bytes(D::Exif, 0xA000, ExifType::Undefined, "0100")
        .Shorts(D::Exif, 0xA001, {1})
        .Longs(D::Exif, 0xA002, {6000})
        .Longs(D::Exif, 0xA003, {4000})
        .Shorts(D::Exif, 0xA217, {2})
        .Bytes(D::Exif, 0xA300, ExifType::Undefined, "\x03")
        .Shorts(D::Exif, 0xA401, {0})
        .Shorts(D::Exif, 0xA402, {0})
        .Shorts(D::Exif, 0xA403, {0})
        .Shorts(D::Exif, 0xA405, {27})
        .Ascii(D::Exif, 0xA434, "KAVRO LENS 18-55mm")
        .Bytes(D::Gps, 0x0000, ExifType::Byte, QByteArray("\x02\x03\x00\x00", 4))
        .Ascii(D::Gps, 0x0001, "N")
        .Rationals(D::Gps, 0x0002, {{35, 1}, {40, 1}, {1234, 100}})
        .Ascii(D::Gps, 0x0003, "E")
        .Rationals(D::Gps, 0x0004, {{139, 1}, {45, 1}, {5678, 100}})
        .Ascii(D::Interop, 0x0001, "R98")
        .Bytes(D::Interop, 0x0002, ExifType::Undefined, "0100")
        .Shorts(D::Ifd1, 0x0103, {6})
        .Rationals(D::Ifd1, 0x011A, {{72, 1}})
        .Rationals(D::Ifd1, 0x011B, {{72, 1}})
        .Shorts(D::Ifd1, 0x0128, {2})
        .Thumbnail(JpegBytes::Jpeg({}, 120, 160, 16 * 1024));
    return b.App1();
}

void HasExifOnly(const QString& path) {
    TExifInfo info;
    benchmark::DoNotOptimize(info.HasExif(path));
}

void AssignOnly(const QString& path) {
    TExifInfo info;
    info.SetImageFileName(path);
    QString original = info.DateTimeOriginal();
    QString changed = info.DateTime();
    benchmark::DoNotOptimize(original);
    benchmark::DoNotOptimize(changed);
}

void OpenClose(const QByteArray& nativePath, bool exclusive) {
    const int handle = ::open(nativePath.constData(), O_RDONLY | O_CLOEXEC);
    if (handle < 0)
        std::abort();
    if (exclusive)
        benchmark::DoNotOptimize(::flock(handle, LOCK_EX | LOCK_NB));
    ::close(handle);
}

void Floor(const QByteArray& nativePath) {
    static char buffer[64 * 1024];
    const int handle = ::open(nativePath.constData(), O_RDONLY | O_CLOEXEC);
    if (handle < 0)
        std::abort();
    const ssize_t got = ::read(handle, buffer, sizeof buffer);
    benchmark::DoNotOptimize(got);
    ::close(handle);
}

void ReadDates(const QString& path) {
    TExifInfo info;
    if (info.ReadIfExif(path)) {
        QString original = info.DateTimeOriginal();
        QString changed = info.DateTime();
        benchmark::DoNotOptimize(original);
        benchmark::DoNotOptimize(changed);
    }
}

}  // namespace

int main() {
    QTemporaryDir folder;
    if (!folder.isValid())
        return 1;
    std::printf("making %d files of about %lld KiB in %s\n", FileCount,
                static_cast<long long>(ScanBytes / 1024), qPrintable(folder.path()));
    std::fflush(stdout);
    const QByteArray scan = JpegBytes::ScanAndEnd(ScanBytes);
    std::vector<QString> paths;
    std::vector<QByteArray> nativePaths;
    for (int i = 0; i < FileCount; ++i) {
        const QString path =
            folder.filePath(QStringLiteral("IMG_%1.JPG").arg(i, 4, 10, QLatin1Char('0')));
        const QByteArray head = QByteArray("\xFF\xD8", 2) + JpegBytes::App0Jfif() + CameraApp1(i) +
                                JpegBytes::Dqt() + JpegBytes::Sof0(4000, 6000);
        WriteFileAtomically(path, head + scan);
        paths.push_back(path);
        nativePaths.push_back(QFile::encodeName(path));
    }

    {
        TExifInfo check;
        check.SetImageFileName(paths[7]);
        std::printf("file 7: DateTimeOriginal \"%s\", DateTime \"%s\", %dx%d, %d entries\n",
                    qPrintable(check.DateTimeOriginal()), qPrintable(check.DateTime()),
                    check.ImageWidth(), check.ImageHeight(), check.Entries().Count());
    }

    // The figure and its floor, and for the record what they are made of: the reader's two
    // calls on their own, and the system calls around a read.
    struct TMeasure {
        const char* Name;
        std::function<void(int)> Action;
        std::vector<double> PerFile;
    };
    std::vector<TMeasure> measures = {
        {"floor (open, read 64 KiB, close)", [&](int i) { Floor(nativePaths[i]); }, {}},
        {"EXIF dates (ReadIfExif, two texts)", [&](int i) { ReadDates(paths[i]); }, {}},
        {"  of which HasExif alone", [&](int i) { HasExifOnly(paths[i]); }, {}},
        {"  of which ImageFileName and texts alone", [&](int i) { AssignOnly(paths[i]); }, {}},
        {"  open, close", [&](int i) { OpenClose(nativePaths[i], false); }, {}},
        {"  open, exclusive flock, close", [&](int i) { OpenClose(nativePaths[i], true); }, {}},
    };
    for (int round = 0; round <= Rounds; ++round) {
        for (TMeasure& measure : measures) {
            const auto start = Clock::now();
            for (int i = 0; i < FileCount; ++i)
                measure.Action(i);
            const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
            // The first round only warms the page cache.
            if (round > 0)
                measure.PerFile.push_back(seconds / FileCount);
        }
    }
    for (TMeasure& measure : measures)
        std::printf("%-48s %6.2f us per file\n", measure.Name,
                    Bench::Median(measure.PerFile) * 1e6);
    const double floorPerFile = Bench::Median(measures[0].PerFile);
    const double exifPerFile = Bench::Median(measures[1].PerFile);

    for (const QString& path : paths)
        QFile::remove(path);
    std::printf("exif_dates ratio %.2f (target 3.0)\n", exifPerFile / floorPerFile);
    return 0;
}
