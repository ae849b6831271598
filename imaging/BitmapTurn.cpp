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
template <int Bytes>
void TurnBytes(const TBitmap& source, TBitmap& target, int quarterTurns) {
    constexpr int Tile = 32;
    const int width = source.Width();
    const int height = source.Height();
    const qsizetype sourceStride = source.BytesPerLine();
    const uchar* sourceBits = source.ConstScanLine(0);
    const auto sourceRow = [&](int row) { return sourceBits + qsizetype(row) * sourceStride; };
    if (quarterTurns == 2) {
        for (int y = 0; y < height; ++y) {
            uchar* out = target.ScanLine(y);
            const uchar* in = sourceRow(height - 1 - y) + qsizetype(width - 1) * Bytes;
            for (int x = 0; x < width; ++x, out += Bytes, in -= Bytes)
                std::memcpy(out, in, Bytes);
        }
        return;
    }
    const int targetWidth = target.Width();
    const int targetHeight = target.Height();
    const qsizetype targetStride = target.BytesPerLine();
    uchar* targetBits = target.ScanLine(0);
    for (int y0 = 0; y0 < targetHeight; y0 += Tile) {
        const int y1 = std::min(y0 + Tile, targetHeight);
        for (int x0 = 0; x0 < targetWidth; x0 += Tile) {
            const int x1 = std::min(x0 + Tile, targetWidth);
            for (int y = y0; y < y1; ++y) {
                uchar* out = targetBits + qsizetype(y) * targetStride + qsizetype(x0) * Bytes;
                if (quarterTurns == 1) {
                    const uchar* in = sourceRow(height - 1 - x0) + qsizetype(y) * Bytes;
                    for (int x = x0; x < x1; ++x, out += Bytes, in -= sourceStride)
                        std::memcpy(out, in, Bytes);
                } else {
                    const uchar* in = sourceRow(x0) + qsizetype(width - 1 - y) * Bytes;
                    for (int x = x0; x < x1; ++x, out += Bytes, in += sourceStride)
                        std::memcpy(out, in, Bytes);
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
    TBitmap target(swap ? source.Height() : source.Width(), swap ? source.Width() : source.Height(),
                   source.PixelFormat());
    target.SetPalette(source.Palette());
    if (source.IsEmpty())
        return target;
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
