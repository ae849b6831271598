// The import core of one photo, as the import runs it: decode a 6000 x 4000 JPEG at full size
// with the one decoder into the one working picture, read its orientation, then make its
// 300 x 300 preview and write its 600 x 600 reduced copy and its 130 x 130 thumbnail, the right
// way up. The floor, measured in the same run: a plain libjpeg full decode of the same file into
// one reused row buffer that is thrown away.
//
// The same for the photo with orientation 6 (a phone held upright), whose copies are turned a
// quarter: its floor is the plain decode plus one plain quarter turn of a decoded raster.
//
// The photo is made here, in a temporary folder, row by row (so that making it raises no memory
// peak), with the detail and size of a camera file. One untimed pass of each comes first; the
// timed rounds then alternate between floor and import core, switching which goes first, so
// that neither gains from the other and load from other work on the machine falls on both. The
// figure is the median of the rounds' ratios.
//
// Memory: the growth of the peak resident size (VmHWM) over the process before the import core
// ran, against 1.2 x the decoded raster (three bytes per pixel) + 40 MiB; measured before the
// turned rounds, whose floor holds two rasters of its own.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench/support/BenchSupport.h"
#include "model/Orientation.h"
#include "model/Pictures.h"
#include "platform/AtomicFile.h"
#include "tests/support/ExifBuilder.h"

namespace {

constexpr int Width = 6000;
constexpr int Height = 4000;
constexpr int Rounds = 15;
constexpr double Target = 1.15;
constexpr double TurnedTarget = 1.3;

// The photo with an EXIF block that asks for a quarter turn clockwise, after its JFIF header.
void MakeTurnedCopy(const QString& from, const QString& to) {
    QByteArray bytes = ReadWholeFile(from);
    const qsizetype afterApp0 = 4 + ((uchar(bytes[4]) << 8) | uchar(bytes[5]));
    bytes.insert(afterApp0, TExifBuilder().Shorts(TExifDir::Ifd0, 0x0112, {6}).App1());
    WriteFileAtomically(to, bytes);
}

// A quarter turn clockwise of a width x height raster of three bytes a pixel, pixel by pixel.
void PlainQuarterTurn(const std::vector<uchar>& from, std::vector<uchar>& to, int width,
                      int height) {
    for (int y = 0; y < height; ++y) {
        const uchar* in = from.data() + size_t(y) * size_t(width) * 3;
        for (int x = 0; x < width; ++x, in += 3) {
            uchar* out = to.data() + (size_t(x) * size_t(height) + size_t(height - 1 - y)) * 3;
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
        }
    }
    benchmark::DoNotOptimize(to.data());
}

}  // namespace

int main(int argc, char** argv) {
    Bench::UseOffscreenPlatform();
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    if (!folder.isValid())
        Bench::Die("bench_import_core", "no temporary folder");
    const QString dir = folder.path() + u'/';
    const QString photo = dir + QStringLiteral("IMG_0001.JPG");
    Bench::MakePhoto(photo, Width, Height);
    QDir().mkpath(dir + QStringLiteral("reduce"));
    QDir().mkpath(dir + QStringLiteral("thumbnail"));
    std::printf("photo %d x %d, %.1f MB\n", Width, Height, QFile(photo).size() / 1e6);

    const QString turned = dir + QStringLiteral("IMG_0002.JPG");
    MakeTurnedCopy(photo, turned);

    std::vector<JSAMPLE> row;
    TJpegDecoder decoder;
    TBitmap working;
    // What the importer does for a photo once its full-size copy is made.
    const auto importCore = [&](const QString& path) {
        LoadGraphic(working, path, decoder);
        const int orientation = ReadOrientation(path);
        benchmark::DoNotOptimize(ShownPicture(working, orientation, 300, 300));
        WriteShownReduced(working, orientation, 600, 600,
                          dir + QStringLiteral("reduce/IMG_0001.JPG"));
        WriteShownReduced(working, orientation, 130, 130,
                          dir + QStringLiteral("thumbnail/IMG_0001.JPG"));
    };
    const auto plainCore = [&] { importCore(photo); };
    const auto floor = [&] { Bench::PlainDecode(photo, row); };

    Bench::Seconds(floor);
    const qint64 before = Bench::PeakResident();
    Bench::Seconds(plainCore);

    const Bench::TRounds rounds =
        Bench::AlternateRounds(Rounds, floor, plainCore, [](int round, double f, double c) {
            std::printf("round %d: floor %.1f ms, import core %.1f ms, ratio %.3f\n", round + 1,
                        f * 1e3, c * 1e3, c / f);
        });
    const std::vector<double>& floors = rounds.Floors;
    const std::vector<double>& cores = rounds.Subjects;
    const qint64 growth = Bench::PeakResident() - before;
    const double raster = double(Width) * Height * 3;
    const double limit = 1.2 * raster + 40.0 * 1024 * 1024;
    std::printf("median: floor %.1f ms (%.2f ns/pixel), import core %.1f ms (%.2f ns/pixel)\n",
                Bench::Median(floors) * 1e3, Bench::Median(floors) * 1e9 / (double(Width) * Height),
                Bench::Median(cores) * 1e3, Bench::Median(cores) * 1e9 / (double(Width) * Height));
    std::printf("peak RSS growth %.1f MiB (limit %.1f MiB = 1.2 x %.1f MiB raster + 40 MiB): %s\n",
                growth / 1048576.0, limit / 1048576.0, raster / 1048576.0,
                growth <= limit ? "within" : "OVER");

    std::vector<uchar> decoded(size_t(raster), 0x80);
    std::vector<uchar> quarter(static_cast<size_t>(raster));
    const auto turnedCore = [&] { importCore(turned); };
    const auto turnedFloor = [&] {
        Bench::PlainDecode(turned, row);
        PlainQuarterTurn(decoded, quarter, Width, Height);
    };
    Bench::Seconds(turnedFloor);
    Bench::Seconds(turnedCore);
    const Bench::TRounds turnedRounds =
        Bench::AlternateRounds(Rounds, turnedFloor, turnedCore, [](int round, double f, double c) {
            std::printf("turned round %d: floor %.1f ms, import core %.1f ms, ratio %.3f\n",
                        round + 1, f * 1e3, c * 1e3, c / f);
        });

    std::printf("import_core_rss ratio %.2f (target 1.00)\n", growth / limit);
    std::printf("import_core ratio %.2f (target %.2f)\n", rounds.MedianRatio(), Target);
    std::printf("import_core_turned ratio %.2f (target %.2f)\n", turnedRounds.MedianRatio(),
                TurnedTarget);
    return 0;
}
