// The import core of one photo, as the import runs it: decode a 6000 x 4000 JPEG at full size
// with the one decoder into the one working picture, then write its 600 x 600 reduced copy and
// its 130 x 130 thumbnail. The floor, measured in the same run: a plain libjpeg full decode of the
// same file into one reused row buffer that is thrown away.
//
// The photo is made here, in a temporary folder, row by row (so that making it raises no memory
// peak), with the detail and size of a camera file. One untimed pass of each comes first; the
// timed rounds then alternate between floor and import core, switching which goes first, so
// that neither gains from the other and load from other work on the machine falls on both. The
// figure is the median of the rounds' ratios.
//
// Memory: the growth of the peak resident size (VmHWM) over the process before the import core
// ran, against 1.2 x the decoded raster (three bytes per pixel) + 40 MiB.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench/support/BenchSupport.h"
#include "model/Pictures.h"

namespace {

constexpr int Width = 6000;
constexpr int Height = 4000;
constexpr int Rounds = 15;
constexpr double Target = 1.15;

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

    std::vector<JSAMPLE> row;
    TJpegDecoder decoder;
    TBitmap working;
    // What the importer does for a photo once its full-size copy is made.
    const auto importCore = [&] {
        LoadGraphic(working, photo, decoder);
        WriteReduced(working, 600, 600, dir + QStringLiteral("reduce/IMG_0001.JPG"));
        WriteReduced(working, 130, 130, dir + QStringLiteral("thumbnail/IMG_0001.JPG"));
    };
    const auto floor = [&] { Bench::PlainDecode(photo, row); };

    Bench::Seconds(floor);
    const qint64 before = Bench::PeakResident();
    Bench::Seconds(importCore);

    const Bench::TRounds rounds =
        Bench::AlternateRounds(Rounds, floor, importCore, [](int round, double f, double c) {
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
    std::printf("import_core_rss ratio %.2f (target 1.00)\n", growth / limit);
    std::printf("import_core ratio %.2f (target %.2f)\n", rounds.MedianRatio(), Target);
    return 0;
}
