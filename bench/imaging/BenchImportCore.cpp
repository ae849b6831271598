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
#include <jpeglib.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <csetjmp>
#include <cstdio>
#include <random>
#include <vector>

#include "model/Pictures.h"

namespace {

constexpr int Width = 6000;
constexpr int Height = 4000;
constexpr int Rounds = 15;
constexpr double Target = 1.15;

using Clock = std::chrono::steady_clock;

[[noreturn]] void Die(const char* what) {
    std::fprintf(stderr, "bench_import_core: %s\n", what);
    std::exit(1);
}

[[noreturn]] void ErrorExit(j_common_ptr info) {
    char text[JMSG_LENGTH_MAX];
    info->err->format_message(info, text);
    Die(text);
}

// A photo-like picture: smooth light with fine noise, so the file has a camera file's detail.
void MakePhoto(const QString& path) {
    FILE* file = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (file == nullptr)
        Die("cannot create the photo");
    jpeg_compress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    error.error_exit = ErrorExit;
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = Width;
    info.image_height = Height;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 92, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(size_t(Width) * 3);
    std::mt19937 random(1);
    for (int y = 0; y < Height; ++y) {
        for (int x = 0; x < Width; ++x) {
            const int noise = int(random() % 24);
            row[size_t(x) * 3] = JSAMPLE((x * 200 / Width + noise + (y / 50) % 30) & 255);
            row[size_t(x) * 3 + 1] = JSAMPLE((y * 180 / Height + noise * 2 + 30) & 255);
            row[size_t(x) * 3 + 2] = JSAMPLE(((x ^ y) / 64 + noise) & 255);
        }
        JSAMPROW pointer = row.data();
        jpeg_write_scanlines(&info, &pointer, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(file);
}

// The floor: libjpeg's plain full decode through its stdio source into one reused buffer of a
// few rows, read as many rows at a time as the import reads, so that the floor is as fast as a
// plain decode gets and the ratio shows only what the import adds.
void PlainDecode(const QString& path, std::vector<JSAMPLE>& rows) {
    FILE* file = std::fopen(QFile::encodeName(path).constData(), "rb");
    if (file == nullptr)
        Die("cannot open the photo");
    // Reads in the same 64 KiB blocks as the import's decoder, so that system calls (costly on
    // some machines) weigh the same on both sides.
    std::setvbuf(file, nullptr, _IOFBF, 1 << 16);
    jpeg_decompress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    error.error_exit = ErrorExit;
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    constexpr int Batch = 16;
    const size_t stride = size_t(info.output_width) * 3;
    rows.resize(stride * Batch);
    JSAMPROW pointers[Batch];
    for (int i = 0; i < Batch; ++i)
        pointers[i] = rows.data() + stride * size_t(i);
    while (info.output_scanline < info.output_height) {
        jpeg_read_scanlines(&info, pointers, Batch);
        benchmark::DoNotOptimize(rows.data());
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(file);
}

// VmHWM of /proc/self/status, in bytes.
qint64 PeakResident() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong() * 1024;
    }
    return 0;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

template <typename Work>
double Seconds(const Work& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir folder;
    if (!folder.isValid())
        Die("no temporary folder");
    const QString dir = folder.path() + u'/';
    const QString photo = dir + QStringLiteral("IMG_0001.JPG");
    MakePhoto(photo);
    QDir().mkpath(dir + QStringLiteral("reduce"));
    QDir().mkpath(dir + QStringLiteral("thumbnail"));
    std::printf("photo %d x %d, %.1f MB\n", Width, Height, QFile(photo).size() / 1e6);

    std::vector<JSAMPLE> row;
    TJpegDecoder decoder;
    TBitmap working;
    TTurboImage box;
    box.SetStretch(true);
    const auto importCore = [&] {
        LoadGraphic(working, photo, decoder);
        WriteReduced(box, 600, 600, dir + QStringLiteral("reduce/IMG_0001.JPG"), working);
        WriteReduced(box, 130, 130, dir + QStringLiteral("thumbnail/IMG_0001.JPG"), working);
        box.Picture().Clear();  // the import lets go of the photo before the next one
    };
    const auto floor = [&] { PlainDecode(photo, row); };

    Seconds(floor);
    const qint64 before = PeakResident();
    Seconds(importCore);

    std::vector<double> floors, cores, ratios;
    for (int round = 0; round < Rounds; ++round) {
        double f, c;
        if (round % 2 == 0) {
            f = Seconds(floor);
            c = Seconds(importCore);
        } else {
            c = Seconds(importCore);
            f = Seconds(floor);
        }
        floors.push_back(f);
        cores.push_back(c);
        ratios.push_back(c / f);
        std::printf("round %d: floor %.1f ms, import core %.1f ms, ratio %.3f\n", round + 1,
                    f * 1e3, c * 1e3, c / f);
    }
    const qint64 growth = PeakResident() - before;
    const double raster = double(Width) * Height * 3;
    const double limit = 1.2 * raster + 40.0 * 1024 * 1024;
    std::printf("median: floor %.1f ms (%.2f ns/pixel), import core %.1f ms (%.2f ns/pixel)\n",
                Median(floors) * 1e3, Median(floors) * 1e9 / (double(Width) * Height),
                Median(cores) * 1e3, Median(cores) * 1e9 / (double(Width) * Height));
    std::printf("peak RSS growth %.1f MiB (limit %.1f MiB = 1.2 x %.1f MiB raster + 40 MiB): %s\n",
                growth / 1048576.0, limit / 1048576.0, raster / 1048576.0,
                growth <= limit ? "within" : "OVER");
    std::printf("import_core_rss ratio %.2f (target 1.00)\n", growth / limit);
    std::printf("import_core ratio %.2f (target %.2f)\n", Median(ratios), Target);
    return 0;
}
