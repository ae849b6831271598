#include "imaging/Bitmap.h"

#include <cstdlib>
#include <cstring>
#include <limits>

EOutOfMemory::EOutOfMemory() : Exception(QStringLiteral("メモリが不足しています。")) {}

int BitsPerPixelOf(TPixelFormat format) {
    switch (format) {
        case TPixelFormat::pf1bit:
            return 1;
        case TPixelFormat::pf4bit:
            return 4;
        case TPixelFormat::pf8bit:
            return 8;
        case TPixelFormat::pf15bit:
        case TPixelFormat::pf16bit:
            return 16;
        case TPixelFormat::pf24bit:
            return 24;
        case TPixelFormat::pf32bit:
            return 32;
        case TPixelFormat::pfDevice:
        case TPixelFormat::pfCustom:
            break;
    }
    return 0;
}

namespace {

QList<QRgb> DefaultPalette(int bitsPerPixel) {
    QList<QRgb> palette;
    if (bitsPerPixel == 1) {
        palette = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
    } else if (bitsPerPixel == 4) {
        // The sixteen colours of the classic display palette.
        palette = {qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
                   qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
                   qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
                   qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
    } else if (bitsPerPixel == 8) {
        palette.reserve(256);
        for (int i = 0; i < 256; ++i)
            palette.append(qRgb(i, i, i));
    }
    return palette;
}

// A palette long enough for every index the depth can hold, so that drawing never reads past it.
QList<QRgb> FullPalette(const QList<QRgb>& palette, int bitsPerPixel) {
    QList<QRgb> full = palette;
    const qsizetype size = qsizetype(1) << bitsPerPixel;
    if (full.size() > size)
        full.resize(size);
    while (full.size() < size)
        full.append(qRgb(0, 0, 0));
    return full;
}

qsizetype StrideOf(int width, int bitsPerPixel) {
    return qsizetype((qint64(width) * bitsPerPixel + 31) / 32 * 4);
}

size_t RasterBytes(qsizetype stride, int height) {
    const qint64 bytes = qint64(stride) * height;
    if (bytes < 0 || quint64(bytes) > quint64(std::numeric_limits<ptrdiff_t>::max())) {
        throw EOutOfMemory();
    }
    return size_t(bytes);
}

// The cleanup of an image drawn straight from a bitmap's memory: drops the image's share of it.
void ReleasePixels(void* share) {
    delete static_cast<std::shared_ptr<const void>*>(share);
}

QRgb Expand5(quint32 r, quint32 g, quint32 b) {
    return qRgb(int((r << 3) | (r >> 2)), int((g << 3) | (g >> 2)), int((b << 3) | (b >> 2)));
}

}  // namespace

struct TBitmap::TData {
    static constexpr size_t Slack = 8;
    int Width = 0;
    int Height = 0;
    TPixelFormat Format = TPixelFormat::pf24bit;
    qsizetype Stride = 0;
    uchar* Bits = nullptr;  // malloc'd, Capacity bytes
    size_t Capacity = 0;
    QList<QRgb> Palette;
    QImage Image;  // the pixels of pfDevice and pfCustom

    TData() = default;
    TData(const TData&) = delete;
    TData& operator=(const TData&) = delete;
    ~TData() { std::free(Bits); }

    bool IsDib() const {
        return Format != TPixelFormat::pfDevice && Format != TPixelFormat::pfCustom;
    }

    void Allocate(size_t bytes, bool zeroed) {
        void* memory = nullptr;
        if (bytes > 0) {
            // calloc hands out fresh zero pages without touching them; malloc is enough when
            // the caller writes every byte anyway.
            // A few bytes of slack after the last row let pixel moves read whole words.
            memory = zeroed ? std::calloc(bytes + Slack, 1) : std::malloc(bytes + Slack);
            if (memory == nullptr)
                throw EOutOfMemory();
        }
        std::free(Bits);
        Bits = static_cast<uchar*>(memory);
        Capacity = bytes;
    }

    std::shared_ptr<TData> Clone() const {
        auto copy = std::make_shared<TData>();
        copy->Width = Width;
        copy->Height = Height;
        copy->Format = Format;
        copy->Stride = Stride;
        copy->Palette = Palette;
        copy->Image = Image;
        const size_t used = RasterBytes(Stride, Height);
        copy->Allocate(used, false);
        if (used > 0)
            std::memcpy(copy->Bits, Bits, used);
        return copy;
    }
};

TBitmap::TBitmap(int width, int height, TPixelFormat format) {
    if (format == TPixelFormat::pfCustom)
        format = TPixelFormat::pf24bit;
    FData = std::make_shared<TData>();
    FData->Format = format;
    if (width <= 0 || height <= 0)
        return;
    FData->Width = width;
    FData->Height = height;
    if (format == TPixelFormat::pfDevice) {
        FData->Image = QImage(width, height, QImage::Format_RGB32);
        if (FData->Image.isNull())
            throw EOutOfMemory();
        FData->Image.fill(Qt::white);
        return;
    }
    const int bits = BitsPerPixelOf(format);
    FData->Stride = StrideOf(width, bits);
    FData->Allocate(RasterBytes(FData->Stride, height), true);
    FData->Palette = DefaultPalette(bits);
}

TBitmap TBitmap::FromImage(const QImage& image) {
    TBitmap bitmap;
    bitmap.FData = std::make_shared<TData>();
    const bool screenForm = image.format() == QImage::Format_RGB32 ||
                            image.format() == QImage::Format_ARGB32_Premultiplied;
    bitmap.FData->Format = screenForm ? TPixelFormat::pfDevice : TPixelFormat::pfCustom;
    bitmap.FData->Image = image;
    bitmap.FData->Width = image.width();
    bitmap.FData->Height = image.height();
    return bitmap;
}

int TBitmap::Width() const {
    return FData ? FData->Width : 0;
}
int TBitmap::Height() const {
    return FData ? FData->Height : 0;
}

TPixelFormat TBitmap::PixelFormat() const {
    return FData ? FData->Format : TPixelFormat::pf24bit;
}

bool TBitmap::IsDeviceIndependent() const {
    return !FData || FData->IsDib();
}

int TBitmap::BitsPerPixel() const {
    if (!FData)
        return 24;
    return FData->IsDib() ? BitsPerPixelOf(FData->Format) : FData->Image.depth();
}

qsizetype TBitmap::BytesPerLine() const {
    if (!FData)
        return 0;
    return FData->IsDib() ? FData->Stride : FData->Image.bytesPerLine();
}

const uchar* TBitmap::ConstScanLine(int y) const {
    if (!FData || !FData->IsDib() || y < 0 || y >= FData->Height)
        return nullptr;
    return FData->Bits + qsizetype(y) * FData->Stride;
}

uchar* TBitmap::ScanLine(int y) {
    MakeDeviceIndependent();
    Detach();
    return const_cast<uchar*>(ConstScanLine(y));
}

const QList<QRgb>& TBitmap::Palette() const {
    static const QList<QRgb> none;
    return FData ? FData->Palette : none;
}

void TBitmap::SetPalette(const QList<QRgb>& palette) {
    if (!FData)
        FData = std::make_shared<TData>();
    Detach();
    FData->Palette = palette;
}

quint32 TBitmap::PixelValue(int x, int y) const {
    const uchar* row = ConstScanLine(y);
    if (row == nullptr || x < 0 || x >= FData->Width)
        return 0;
    switch (BitsPerPixelOf(FData->Format)) {
        case 1:
            return (row[x >> 3] >> (7 - (x & 7))) & 1u;
        case 4:
            return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xFu;
        case 8:
            return row[x];
        case 16:
            return quint32(row[2 * x]) | quint32(row[2 * x + 1]) << 8;
        case 24:
            return quint32(row[3 * x]) << 16 | quint32(row[3 * x + 1]) << 8 | row[3 * x + 2];
        case 32: {
            quint32 value;
            std::memcpy(&value, row + 4 * qsizetype(x), 4);
            return value;
        }
    }
    return 0;
}

void TBitmap::SetPixelValue(int x, int y, quint32 value) {
    if (x < 0 || x >= Width() || y < 0 || y >= Height())
        return;
    uchar* row = ScanLine(y);
    switch (BitsPerPixelOf(FData->Format)) {
        case 1: {
            const uchar mask = uchar(0x80u >> (x & 7));
            row[x >> 3] = uchar((row[x >> 3] & ~mask) | ((value & 1u) ? mask : 0));
            break;
        }
        case 4: {
            const int shift = (x & 1) ? 0 : 4;
            row[x >> 1] = uchar((row[x >> 1] & ~(0xF << shift)) | ((value & 0xFu) << shift));
            break;
        }
        case 8:
            row[x] = uchar(value);
            break;
        case 16:
            row[2 * x] = uchar(value);
            row[2 * x + 1] = uchar(value >> 8);
            break;
        case 24:
            row[3 * x] = uchar(value >> 16);
            row[3 * x + 1] = uchar(value >> 8);
            row[3 * x + 2] = uchar(value);
            break;
        case 32:
            std::memcpy(row + 4 * qsizetype(x), &value, 4);
            break;
    }
}

QRgb TBitmap::PixelColor(int x, int y) const {
    if (!FData || x < 0 || x >= FData->Width || y < 0 || y >= FData->Height)
        return qRgb(0, 0, 0);
    if (!FData->IsDib())
        return FData->Image.pixel(x, y);
    const quint32 value = PixelValue(x, y);
    switch (FData->Format) {
        case TPixelFormat::pf1bit:
        case TPixelFormat::pf4bit:
        case TPixelFormat::pf8bit:
            return value < quint32(FData->Palette.size()) ? FData->Palette[value] | 0xff000000u
                                                          : qRgb(0, 0, 0);
        case TPixelFormat::pf15bit:
            return Expand5((value >> 10) & 31, (value >> 5) & 31, value & 31);
        case TPixelFormat::pf16bit: {
            const quint32 g = (value >> 5) & 63;
            return qRgb(int(((value >> 11) & 31) << 3 | ((value >> 11) & 31) >> 2),
                        int(g << 2 | g >> 4), int((value & 31) << 3 | (value & 31) >> 2));
        }
        case TPixelFormat::pf24bit:
        case TPixelFormat::pf32bit:
            return value | 0xff000000u;
        default:
            return qRgb(0, 0, 0);
    }
}

void TBitmap::MakeDeviceIndependent() {
    if (!FData || FData->IsDib())
        return;
    const QImage rgb = FData->Image.convertToFormat(QImage::Format_RGB888);
    if (rgb.isNull())
        throw EOutOfMemory();
    TBitmap converted(FData->Width, FData->Height, TPixelFormat::pf24bit);
    const qsizetype rowBytes = qsizetype(FData->Width) * 3;
    for (int y = 0; y < FData->Height; ++y) {
        std::memcpy(converted.FData->Bits + y * converted.FData->Stride, rgb.constScanLine(y),
                    size_t(rowBytes));
    }
    FData = std::move(converted.FData);
}

void TBitmap::Reshape(int width, int height, TPixelFormat format) {
    if (format == TPixelFormat::pfDevice || format == TPixelFormat::pfCustom) {
        format = TPixelFormat::pf24bit;
    }
    if (width <= 0 || height <= 0)
        width = height = 0;
    const int bits = BitsPerPixelOf(format);
    const qsizetype stride = StrideOf(width, bits);
    const size_t needed = RasterBytes(stride, height);
    const bool reusable = FData && FData.use_count() == 1 && FData->Capacity >= needed &&
                          needed >= FData->Capacity / 4;
    if (!reusable) {
        auto fresh = std::make_shared<TData>();
        fresh->Allocate(needed, false);
        FData = std::move(fresh);
    }
    FData->Width = width;
    FData->Height = height;
    FData->Format = format;
    FData->Stride = stride;
    FData->Image = QImage();
    FData->Palette = DefaultPalette(bits);
}

QImage TBitmap::ToImage() const {
    if (IsEmpty())
        return QImage();
    const TData& d = *FData;
    if (!d.IsDib())
        return d.Image;
    switch (d.Format) {
        case TPixelFormat::pf1bit: {
            QImage image = SharedImage(QImage::Format_Mono);
            image.setColorTable(FullPalette(d.Palette, 1));
            return image;
        }
        case TPixelFormat::pf4bit: {
            // The toolkit has no 4-bit form: widen the nibbles to bytes.
            QImage image(d.Width, d.Height, QImage::Format_Indexed8);
            if (image.isNull())
                throw EOutOfMemory();
            image.setColorTable(FullPalette(d.Palette, 4));
            for (int y = 0; y < d.Height; ++y) {
                uchar* target = image.scanLine(y);
                for (int x = 0; x < d.Width; ++x)
                    target[x] = uchar(PixelValue(x, y));
            }
            return image;
        }
        case TPixelFormat::pf8bit: {
            QImage image = SharedImage(QImage::Format_Indexed8);
            image.setColorTable(FullPalette(d.Palette, 8));
            return image;
        }
        case TPixelFormat::pf15bit:
            return SharedImage(QImage::Format_RGB555);
        case TPixelFormat::pf16bit:
            return SharedImage(QImage::Format_RGB16);
        case TPixelFormat::pf24bit:
            return SharedImage(QImage::Format_RGB888);
        case TPixelFormat::pf32bit:
            return SharedImage(QImage::Format_RGB32);
        default:
            return QImage();
    }
}

QImage TBitmap::SharedImage(QImage::Format format) const {
    // The image holds a share of the pixels, so that it and every image made from it (a scaled
    // image of the same size is the same image) stay valid after this bitmap is cleared, changed
    // or destroyed: the bitmap then makes itself a copy or lets the image free the memory.
    auto* share = new std::shared_ptr<const void>(FData);
    // Read-only pixels: drawing on the image, or on a copy of it, makes the image its own first.
    const uchar* bits = FData->Bits;
    QImage image(bits, FData->Width, FData->Height, FData->Stride, format, ReleasePixels, share);
    if (image.isNull()) {
        delete share;
        throw EOutOfMemory();
    }
    return image;
}

void TBitmap::Detach() {
    if (FData && FData.use_count() > 1)
        FData = FData->Clone();
}
