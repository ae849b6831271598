#include "tests/support/JpegBuilder.h"

#include <jpeglib.h>

#include <QFile>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <vector>

namespace {

struct TBuilderError {
    jpeg_error_mgr Base;
    std::jmp_buf Jump;
};

[[noreturn]] void BuilderErrorExit(j_common_ptr info) {
    std::longjmp(reinterpret_cast<TBuilderError*>(info->err)->Jump, 1);
}

// Everything the encoder touches lives here, so that a jump out of libjpeg skips no destructor.
struct TEncodeJob {
    jpeg_compress_struct Info;
    TBuilderError Error;
    unsigned char* Output = nullptr;
    unsigned long Size = 0;
    const std::vector<unsigned char>* Rows = nullptr;
    int Components = 3;
    std::vector<jpeg_scan_info> Scans;  // a scan script of its own, when not empty
};

bool RunEncode(TEncodeJob& job, int width, int height, int quality, bool progressive,
               J_COLOR_SPACE space) {
    job.Info.err = jpeg_std_error(&job.Error.Base);
    job.Error.Base.error_exit = BuilderErrorExit;
    if (setjmp(job.Error.Jump) != 0) {
        jpeg_destroy_compress(&job.Info);
        return false;
    }
    jpeg_create_compress(&job.Info);
    jpeg_mem_dest(&job.Info, &job.Output, &job.Size);
    job.Info.image_width = JDIMENSION(width);
    job.Info.image_height = JDIMENSION(height);
    job.Info.input_components = job.Components;
    job.Info.in_color_space = space;
    jpeg_set_defaults(&job.Info);
    jpeg_set_quality(&job.Info, quality, TRUE);
    if (progressive)
        jpeg_simple_progression(&job.Info);
    if (!job.Scans.empty()) {
        job.Info.scan_info = job.Scans.data();
        job.Info.num_scans = int(job.Scans.size());
    }
    jpeg_start_compress(&job.Info, TRUE);
    const size_t stride = size_t(width) * size_t(job.Components);
    while (job.Info.next_scanline < job.Info.image_height) {
        JSAMPROW row =
            const_cast<unsigned char*>(job.Rows->data()) + job.Info.next_scanline * stride;
        jpeg_write_scanlines(&job.Info, &row, 1);
    }
    jpeg_finish_compress(&job.Info);
    jpeg_destroy_compress(&job.Info);
    return true;
}

}  // namespace

TJpegBuilder::TJpegBuilder(int width, int height) : FWidth(width), FHeight(height) {}

TJpegBuilder::TRgb TJpegBuilder::DefaultPattern(int x, int y) {
    return {static_cast<unsigned char>(x * 37 + y * 11), static_cast<unsigned char>(y * 53 + x * 3),
            static_cast<unsigned char>((x ^ y) * 29)};
}

TJpegBuilder& TJpegBuilder::Pattern(TPattern pattern) {
    FPattern = std::move(pattern);
    return *this;
}

TJpegBuilder& TJpegBuilder::Solid(unsigned char r, unsigned char g, unsigned char b) {
    FPattern = [r, g, b](int, int) { return TRgb{r, g, b}; };
    return *this;
}

TJpegBuilder& TJpegBuilder::Quality(int quality) {
    FQuality = quality;
    return *this;
}

TJpegBuilder& TJpegBuilder::Progressive() {
    FProgressive = true;
    return *this;
}

TJpegBuilder& TJpegBuilder::ManyScans() {
    FManyScans = true;
    FGreyscale = true;
    return *this;
}

TJpegBuilder& TJpegBuilder::Greyscale() {
    FGreyscale = true;
    return *this;
}

TJpegBuilder& TJpegBuilder::Cmyk() {
    FCmyk = true;
    return *this;
}

TJpegBuilder& TJpegBuilder::Segment(QByteArray segment) {
    FSegments += segment;
    return *this;
}

QByteArray TJpegBuilder::Raster() const {
    QByteArray raster;
    raster.reserve(qsizetype(FWidth) * FHeight * 3);
    for (int y = 0; y < FHeight; ++y) {
        for (int x = 0; x < FWidth; ++x) {
            const TRgb rgb = FPattern(x, y);
            raster.append(char(rgb[0])).append(char(rgb[1])).append(char(rgb[2]));
        }
    }
    return raster;
}

QByteArray TJpegBuilder::Ppm() const {
    return QByteArray("P6\n") + QByteArray::number(FWidth) + ' ' + QByteArray::number(FHeight) +
           "\n255\n" + Raster();
}

QByteArray TJpegBuilder::Encode() const {
    const QByteArray raster = Raster();
    TEncodeJob job;
    std::vector<unsigned char> rows;
    J_COLOR_SPACE space = JCS_RGB;
    if (FGreyscale) {
        space = JCS_GRAYSCALE;
        job.Components = 1;
        for (qsizetype i = 0; i < raster.size(); i += 3) {
            const int sum = (unsigned char)raster[i] + (unsigned char)raster[i + 1] +
                            (unsigned char)raster[i + 2];
            rows.push_back(static_cast<unsigned char>(sum / 3));
        }
    } else if (FCmyk) {
        // Inverted CMYK as Adobe writes it: each stored value is 255 minus the ink, K = 0 ink.
        space = JCS_CMYK;
        job.Components = 4;
        for (qsizetype i = 0; i < raster.size(); i += 3) {
            rows.push_back((unsigned char)raster[i]);
            rows.push_back((unsigned char)raster[i + 1]);
            rows.push_back((unsigned char)raster[i + 2]);
            rows.push_back(255);
        }
    } else {
        rows.assign(raster.begin(), raster.end());
    }
    job.Rows = &rows;
    if (FManyScans) {
        // The DC scan, then every AC coefficient in a band of its own, sent a bit at a time:
        // a first scan of the top bits and nine refinement scans.
        job.Scans.push_back(jpeg_scan_info{1, {0, 0, 0, 0}, 0, 0, 0, 0});
        for (int k = 1; k < 64; ++k) {
            job.Scans.push_back(jpeg_scan_info{1, {0, 0, 0, 0}, k, k, 0, 9});
            for (int bit = 9; bit > 0; --bit)
                job.Scans.push_back(jpeg_scan_info{1, {0, 0, 0, 0}, k, k, bit, bit - 1});
        }
    }
    const bool done = RunEncode(job, FWidth, FHeight, FQuality, FProgressive, space);
    // After a failure libjpeg's output pointer may name a block it already freed: leave it.
    if (!done)
        throw std::runtime_error("test JPEG could not be encoded");
    QByteArray bytes(reinterpret_cast<const char*>(job.Output), qsizetype(job.Size));
    std::free(job.Output);
    if (!FSegments.isEmpty()) {
        // SOI, then the JFIF APP0 segment: its length word counts itself and its payload.
        const qsizetype afterApp0 = 4 + ((uchar(bytes[4]) << 8) | uchar(bytes[5]));
        bytes.insert(afterApp0, FSegments);
    }
    return bytes;
}

QString TJpegBuilder::WriteTo(const QString& path) const {
    QFile file(path);
    const QByteArray bytes = Encode();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        throw std::runtime_error("test JPEG could not be written");
    }
    return path;
}
