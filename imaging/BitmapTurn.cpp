#include <algorithm>
#include <cstring>

#include "imaging/Bitmap.h"

namespace {

// Target (x, y) takes source (column, row):
//   a quarter turn:        (y, H - 1 - x)
//   a half turn:           (W - 1 - x, H - 1 - y)
//   three quarters:        (W - 1 - y, x)
// Byte-sized pixels are moved in square tiles: within a tile the target rows are walked from the
// top and the columns from the left, and the few source rows a tile reads stay in the cache.
// Each pixel is still visited exactly once, so the result is the same as a plain walk.

// Moves count pixels along one target row, the source stepping by sourceStep bytes. Three-byte
// pixels go as one four-byte move each (much faster than three single bytes); the spare byte
// lands on the next target pixel, which is written straight after, and the last pixel of the
// run goes as three bytes. The spare byte read past a source pixel stays inside the raster,
// which keeps slack after its last row for this.
template <int Bytes>
inline void MoveRun(uchar* out, const uchar* in, qsizetype sourceStep, int count) {
    if constexpr (Bytes == 3) {
        for (int i = 1; i < count; ++i, out += 3, in += sourceStep) {
            quint32 pixel;
            std::memcpy(&pixel, in, 4);
            std::memcpy(out, &pixel, 4);
        }
        if (count > 0)
            std::memcpy(out, in, 3);
    } else {
        for (int i = 0; i < count; ++i, out += Bytes, in += sourceStep)
            std::memcpy(out, in, Bytes);
    }
}

template <int Bytes>
void TurnBytes(const TBitmap& source, TBitmap& target, int quarterTurns) {
    constexpr int Tile = 64;
    const int width = source.Width();
    const int height = source.Height();
    const qsizetype sourceStride = source.BytesPerLine();
    const uchar* sourceBits = source.ConstScanLine(0);
    const auto sourceRow = [&](int row) { return sourceBits + qsizetype(row) * sourceStride; };
    const int targetWidth = target.Width();
    const int targetHeight = target.Height();
    const qsizetype targetStride = target.BytesPerLine();
    uchar* targetBits = target.ScanLine(0);
    if (quarterTurns == 2) {
        for (int y = 0; y < height; ++y) {
            MoveRun<Bytes>(targetBits + qsizetype(y) * targetStride,
                           sourceRow(height - 1 - y) + qsizetype(width - 1) * Bytes, -Bytes, width);
        }
        return;
    }
    for (int y0 = 0; y0 < targetHeight; y0 += Tile) {
        const int y1 = std::min(y0 + Tile, targetHeight);
        for (int x0 = 0; x0 < targetWidth; x0 += Tile) {
            const int count = std::min(x0 + Tile, targetWidth) - x0;
            for (int y = y0; y < y1; ++y) {
                uchar* out = targetBits + qsizetype(y) * targetStride + qsizetype(x0) * Bytes;
                if (quarterTurns == 1) {
                    MoveRun<Bytes>(out, sourceRow(height - 1 - x0) + qsizetype(y) * Bytes,
                                   -sourceStride, count);
                } else {
                    MoveRun<Bytes>(out, sourceRow(x0) + qsizetype(width - 1 - y) * Bytes,
                                   sourceStride, count);
                }
            }
        }
    }
}

// 1 and 4 bits per pixel: only the target's own bit or nibble is set; the target starts zeroed.
template <int Bits>
void TurnPacked(const TBitmap& source, TBitmap& target, int quarterTurns) {
    constexpr int PerByte = 8 / Bits;
    constexpr unsigned Mask = (1u << Bits) - 1;
    const int width = source.Width();
    const int height = source.Height();
    const auto get = [](const uchar* row, int x) {
        return (row[x / PerByte] >> ((PerByte - 1 - x % PerByte) * Bits)) & Mask;
    };
    for (int y = 0; y < target.Height(); ++y) {
        uchar* out = target.ScanLine(y);
        for (int x = 0; x < target.Width(); ++x) {
            unsigned value;
            if (quarterTurns == 1) {
                value = get(source.ConstScanLine(height - 1 - x), y);
            } else if (quarterTurns == 2) {
                value = get(source.ConstScanLine(height - 1 - y), width - 1 - x);
            } else {
                value = get(source.ConstScanLine(x), width - 1 - y);
            }
            out[x / PerByte] |= uchar(value << ((PerByte - 1 - x % PerByte) * Bits));
        }
    }
}

}  // namespace

TBitmap TurnedBitmap(const TBitmap& source, int quarterTurns) {
    const bool swap = quarterTurns != 2;
    // Every pixel byte is written below, so the new raster is not cleared first; clearing (or
    // calloc's fresh pages) would cost as much again as the turn. Only the bytes that no pixel
    // fills are cleared: the row padding, and for 1 and 4 bits the whole row, whose pixels are
    // set bit by bit.
    TBitmap target;
    target.Reshape(swap ? source.Height() : source.Width(), swap ? source.Width() : source.Height(),
                   source.PixelFormat());
    target.SetPalette(source.Palette());
    if (source.IsEmpty())
        return target;
    const int bits = source.BitsPerPixel();
    const qsizetype filled = bits < 8 ? 0 : qsizetype(target.Width()) * (bits / 8);
    for (int y = 0; y < target.Height(); ++y) {
        std::memset(target.ScanLine(y) + filled, 0, size_t(target.BytesPerLine() - filled));
    }
    switch (source.BitsPerPixel()) {
        case 1:
            TurnPacked<1>(source, target, quarterTurns);
            break;
        case 4:
            TurnPacked<4>(source, target, quarterTurns);
            break;
        case 8:
            TurnBytes<1>(source, target, quarterTurns);
            break;
        case 16:
            TurnBytes<2>(source, target, quarterTurns);
            break;
        case 24:
            TurnBytes<3>(source, target, quarterTurns);
            break;
        case 32:
            TurnBytes<4>(source, target, quarterTurns);
            break;
    }
    return target;
}
