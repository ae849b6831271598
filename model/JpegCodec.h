#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>
#include <functional>
#include <memory>

#include "imaging/Bitmap.h"

// The largest picture the decoder accepts, in pixels; a file whose header claims more is refused
// before its raster is allocated. The largest camera sensors today give about 150 megapixels
// (Phase One IQ4) and multi-shot composites 400 (Hasselblad H6D-400c, pixel shift of the
// Fujifilm GFX100 II); 2^29 (537 megapixels, a 1.5 GiB raster at three bytes per pixel) takes all
// of them and still fits the memory of a desktop, while a damaged or hostile header (JPEG allows
// 65500 x 65500, a 12 GiB raster) is turned away.
inline constexpr qint64 MaxJpegPixels = qint64(1) << 29;

// Decodes JPEG files at full size into 24-bit bitmaps (bytes R, G, B). One decoder serves any
// number of files: libjpeg's state and the read buffer are kept, and a target bitmap that alone
// holds a raster of the right size is filled in place, so an import decodes photo after photo
// without allocating a fresh raster for each.
//
// Failures: a file that cannot be opened or read raises EFOpenError ("ファイル %s は開けません。
// %s "); anything libjpeg reports as an error, and a picture above the pixel bound, raises EJPEG
// ("JPEG エラー #%d" with libjpeg's message number). The target is then undefined but valid.
// libjpeg's warnings (a file cut short, damaged compressed data) end nothing: the picture libjpeg
// makes of what it got is returned, with grey where data was missing. libjpeg never ends the
// process and nothing leaks.
class TJpegDecoder {
public:
    TJpegDecoder();
    ~TJpegDecoder();
    TJpegDecoder(const TJpegDecoder&) = delete;
    TJpegDecoder& operator=(const TJpegDecoder&) = delete;

    void DecodeFile(const QString& fileName, TBitmap& picture);
    void DecodeBytes(const uchar* data, size_t size, TBitmap& picture);
    // The size a JPEG's header declares; raises as DecodeBytes does.
    QSize ReadSize(const uchar* data, size_t size);

    qint64 MaxPixels() const;
    void SetMaxPixels(qint64 maxPixels);
    // The number of warnings libjpeg gave while decoding the last file.
    long Warnings() const;

private:
    struct TState;
    void UseMemory(const uchar* data, size_t size);
    void Decode(TBitmap& picture, const QString& fileName);
    [[noreturn]] void Fail(const QString& fileName);

    std::unique_ptr<TState> F;
};

// Encodes 24-bit rows as a baseline JPEG, 8 bits per sample, three components, quality 90 and
// libjpeg's defaults otherwise (which include the JFIF header): the same bytes that
// "cjpeg -quality 90" makes of the same raster. FillRow(y, row) writes row y (width x 3 bytes,
// R, G, B). Raises EJPEG on a refused size.
class TJpegEncoder {
public:
    using TFillRow = std::function<void(int y, uchar* row)>;

    TJpegEncoder();
    ~TJpegEncoder();
    TJpegEncoder(const TJpegEncoder&) = delete;
    TJpegEncoder& operator=(const TJpegEncoder&) = delete;

    QByteArray Encode(int width, int height, const TFillRow& fillRow);

private:
    struct TState;
    std::unique_ptr<TState> F;
};
