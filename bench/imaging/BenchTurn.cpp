// Turn(90) of a 2000 x 1500 bitmap held by a picture control, at 8 and at 24 bits per pixel,
// against a floor measured in the same run: a memcpy of the same raster into a buffer that is
// already in use (the least any pass over the pixels costs). Rounds alternate between the two;
// the figure is the median of the rounds' ratios, shown with the medians in ns per pixel.
//
// A quarter turn reads the source down its columns, so it cannot run at copy speed: the targets
// say it stays within about a dozen plain copies at 24 bits (some 2 ns per pixel, allocation of
// the new bitmap included; the viewer's 600 x 450 reduced copy then turns in well under a
// millisecond) and twenty at 8 bits, where the copy of the 3 MB raster runs from the cache.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include "bench/support/BenchSupport.h"
#include "imaging/TurboImg.h"

namespace {

constexpr int Width = 2000;
constexpr int Height = 1500;
constexpr int Rounds = 21;

// Prints the figures of one depth; returns the ratio.
double Measure(const char* name, TPixelFormat format, double target) {
    TBitmap bitmap(Width, Height, format);
    std::mt19937 random(3);
    for (int y = 0; y < Height; ++y) {
        uchar* row = bitmap.ScanLine(y);
        for (qsizetype i = 0; i < bitmap.BytesPerLine(); ++i)
            row[i] = uchar(random());
    }
    TTurboImage image;
    image.Picture().Assign(bitmap);
    bitmap.Clear();
    const size_t bytes = size_t(image.Picture().Bitmap()->BytesPerLine()) * Height;
    std::vector<uchar> copy(bytes, 1);
    const auto turn = [&] { image.Turn(90); };
    const auto floor = [&] {
        std::memcpy(copy.data(), image.Picture().Bitmap()->ConstScanLine(0), bytes);
        benchmark::DoNotOptimize(copy.data());
    };
    Bench::Seconds(turn);
    Bench::Seconds(floor);
    const Bench::TRounds rounds =
        Bench::AlternateRounds(Rounds, floor, turn, [](int, double, double) {});
    const std::vector<double>& turns = rounds.Subjects;
    const std::vector<double>& floors = rounds.Floors;
    const double pixels = double(Width) * Height;
    std::printf("%s: Turn(90) %.2f ns/pixel (%.2f ms), memcpy %.2f ns/pixel (%.2f ms)\n", name,
                Bench::Median(turns) * 1e9 / pixels, Bench::Median(turns) * 1e3,
                Bench::Median(floors) * 1e9 / pixels, Bench::Median(floors) * 1e3);
    std::printf("%s ratio %.2f (target %.2f)\n", name, rounds.MedianRatio(), target);
    return rounds.MedianRatio();
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Measure("turn90_8bpp", TPixelFormat::pf8bit, 20.0);
    Measure("turn90_24bpp", TPixelFormat::pf24bit, 12.0);
    return 0;
}
