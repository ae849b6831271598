#include "bench/support/BenchSupport.h"

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QDialog>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>

#include "platform/Dialogs.h"
#include "platform/ProgramDir.h"

namespace Bench {
namespace {

[[noreturn]] void ErrorExit(j_common_ptr info) {
    char text[JMSG_LENGTH_MAX];
    info->err->format_message(info, text);
    Die("libjpeg", text);
}

qint64 StatusValue(const char* key) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key)) {
            return line.mid(qsizetype(qstrlen(key))).trimmed().split(' ').first().toLongLong() *
                   1024;
        }
    }
    return 0;
}

}  // namespace

void Die(const char* program, const char* what) {
    std::fprintf(stderr, "%s: %s\n", program, what);
    std::exit(1);
}

// libjpeg's plain baseline encode to a file, with the library's defaults but the quality; row(y)
// gives the RGB samples of row y.
static void EncodeRows(const QString& path, int width, int height, int quality,
                       const std::function<const JSAMPLE*(int)>& row) {
    FILE* file = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (file == nullptr)
        Die("bench", "cannot create a JPEG file");
    jpeg_compress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    error.error_exit = ErrorExit;
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW pointer = const_cast<JSAMPLE*>(row(int(info.next_scanline)));
        jpeg_write_scanlines(&info, &pointer, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(file);
}

void MakePhoto(const QString& path, int width, int height, unsigned seed) {
    std::vector<JSAMPLE> row(size_t(width) * 3);
    std::mt19937 random(seed);
    EncodeRows(path, width, height, 92, [&](int y) {
        for (int x = 0; x < width; ++x) {
            const int noise = int(random() % 24);
            row[size_t(x) * 3] = JSAMPLE((x * 200 / width + noise + (y / 50) % 30) & 255);
            row[size_t(x) * 3 + 1] = JSAMPLE((y * 180 / height + noise * 2 + 30) & 255);
            row[size_t(x) * 3 + 2] = JSAMPLE(((x ^ y) / 64 + noise) & 255);
        }
        return row.data();
    });
}

void PlainEncode(const QString& path, const std::vector<JSAMPLE>& raster, int width, int height) {
    EncodeRows(path, width, height, 90,
               [&](int y) { return raster.data() + size_t(y) * size_t(width) * 3; });
}

void PlainDecode(const QString& path, std::vector<JSAMPLE>& rows) {
    FILE* file = std::fopen(QFile::encodeName(path).constData(), "rb");
    if (file == nullptr)
        Die("bench", "cannot open the photo");
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

qint64 PeakResident() {
    return StatusValue("VmHWM:");
}

qint64 CurrentResident() {
    return StatusValue("VmRSS:");
}

void ResetPeakResident() {
    // Writing 5 to clear_refs resets the peak resident size (Linux 4.0 and later).
    if (FILE* file = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", file);
        std::fclose(file);
    }
}

double Median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void KeepFreedMemory() {
    ::mallopt(M_TRIM_THRESHOLD, 1 << 30);
    ::mallopt(M_MMAP_THRESHOLD, 1 << 30);
}

const int& CountMessages() {
    static int messages = 0;
    Dialogs::SetMessageHandler([](const Dialogs::TMessageRequest&) {
        ++messages;
        return Dialogs::TMsgResult::Ok;
    });
    Dialogs::SetModalHandler([](QDialog&) { return int(QDialog::Rejected); });
    return messages;
}

QString UseTemporaryProgramDir(const QTemporaryDir& folder, const char* program) {
    if (!folder.isValid())
        Die(program, "no temporary folder");
    const QString dir = folder.path() + u'/';
    SetProgramDir(dir);
    return dir;
}

void UseOffscreenPlatform() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

}  // namespace Bench
