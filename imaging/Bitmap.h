#pragma once

#include <QImage>
#include <QList>
#include <QRgb>
#include <QtGlobal>
#include <memory>

#include "platform/Exception.h"

// A raster too large for the memory left: "メモリが不足しています。".
class EOutOfMemory : public Exception {
public:
    EOutOfMemory();
};

// How a bitmap stores its pixels. The device-independent forms (1 to 32 bits per pixel) are
// rows from the top, each padded to a multiple of four bytes. pfDevice is the screen's own form
// and pfCustom any other toolkit form; both are held as a QImage until something needs the raw
// rows, which then converts them to 24 bits per pixel.
enum class TPixelFormat {
    pfDevice,
    pf1bit,
    pf4bit,
    pf8bit,
    pf15bit,
    pf16bit,
    pf24bit,
    pf32bit,
    pfCustom
};

// Bits per pixel of a device-independent form; 0 for pfDevice and pfCustom.
int BitsPerPixelOf(TPixelFormat format);

// A raster picture. Copies share the pixels until one of them is changed (copy on write), so
// handing a photo to a picture box costs no second full-size raster.
//
// Pixel layouts: 1 bit, most significant bit leftmost; 4 bits, high nibble left; 8 bits, a
// palette index; pf15bit and pf16bit, a little-endian 5-5-5 or 5-6-5 colour word; 24 bits, the
// bytes R, G, B; 32 bits, a native 0xffRRGGBB word. 1, 4 and 8 bits use the palette.
class TBitmap {
public:
    TBitmap() = default;
    // A zero-filled raster (palette index 0 or black); pfDevice starts white, as a fresh screen
    // bitmap does. pfCustom is not a size-only form: use FromImage.
    TBitmap(int width, int height, TPixelFormat format = TPixelFormat::pf24bit);

    // Adopts a toolkit image as it is: pfDevice for the screen's 32-bit forms, pfCustom else.
    static TBitmap FromImage(const QImage& image);

    bool IsEmpty() const { return Width() <= 0 || Height() <= 0; }
    int Width() const;
    int Height() const;
    TPixelFormat PixelFormat() const;
    bool IsDeviceIndependent() const;
    int BitsPerPixel() const;
    qsizetype BytesPerLine() const;

    // Row y of a device-independent bitmap, row 0 at the top. The writable form first makes the
    // pixels this bitmap's own.
    const uchar* ConstScanLine(int y) const;
    const uchar* ScanLine(int y) const { return ConstScanLine(y); }
    uchar* ScanLine(int y);

    const QList<QRgb>& Palette() const;
    void SetPalette(const QList<QRgb>& palette);

    // The raw value of one pixel of a device-independent bitmap (index, nibble, word, bytes).
    quint32 PixelValue(int x, int y) const;
    void SetPixelValue(int x, int y, quint32 value);
    // The colour of one pixel, whatever the form.
    QRgb PixelColor(int x, int y) const;

    // Brings a pfDevice or pfCustom bitmap to 24 bits per pixel; other forms stay as they are.
    void MakeDeviceIndependent();

    // Reshapes to a device-independent raster of the given size and form with undefined
    // contents. The old allocation is kept when this bitmap alone holds it and it is large enough
    // (and not wastefully so), so that a decoder filling the same bitmap photo after photo does
    // not allocate and first-touch a fresh raster each time.
    void Reshape(int width, int height, TPixelFormat format);

    // The pixels for drawing. For most forms the image shows this bitmap's memory without a copy
    // and holds a share of it: the image keeps the pixels it was made from whatever later
    // happens to the bitmap, which copies its pixels first when it is changed meanwhile.
    QImage ToImage() const;

    bool SharesPixelsWith(const TBitmap& other) const { return FData && FData == other.FData; }
    void Clear() { FData.reset(); }

private:
    struct TData;
    void Detach();
    QImage SharedImage(QImage::Format format) const;
    const TData* Data() const { return FData.get(); }

    std::shared_ptr<TData> FData;
};

// The bitmap turned clockwise by a quarter, half or three-quarter turn (quarterTurns 1, 2 or 3):
// a new bitmap of the same form with a copy of the palette, each pixel moved whole and never
// recomputed. The source must be device-independent (MakeDeviceIndependent).
TBitmap TurnedBitmap(const TBitmap& source, int quarterTurns);
