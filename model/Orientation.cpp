#include "model/Orientation.h"

#include <QImage>
#include <cstring>
#include <exception>
#include <vector>

#include "exif/ExifInfo.h"
#include "model/Pictures.h"

namespace {

bool Transposes(int orientation) {
    return orientation >= 5 && orientation <= 8;
}

// For each of count target pixels along one side, the source index along the source side of
// sourceSize that the nearest-neighbour pick takes, counted from the far end when reversed.
std::vector<int> Picks(int count, int sourceSize, bool reversed) {
    std::vector<int> picks(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const int index = NearestSource(i, count, sourceSize);
        picks[size_t(i)] = reversed ? sourceSize - 1 - index : index;
    }
    return picks;
}

}  // namespace

int ReadOrientation(const QString& path) {
    try {
        TExifInfo reader;
        // What was read before a damaged part of the block still counts.
        reader.OnError = [](TExifInfo&, int, bool& allowError) { allowError = false; };
        if (reader.ReadIfExif(path))
            return reader.Orientation();
    } catch (const std::exception&) {
        // Unreadable: the picture is shown as stored.
    }
    return 1;
}

QSize ShownSize(int width, int height, int orientation) {
    return Transposes(orientation) ? QSize(height, width) : QSize(width, height);
}

TBitmap ShownPicture(const TBitmap& picture, int orientation, int maxWidth, int maxHeight) {
    if (orientation < 1 || orientation > 8)
        orientation = 1;
    TBitmap converted;
    const TBitmap* source = &picture;
    if (picture.PixelFormat() != TPixelFormat::pf24bit) {
        converted = TBitmap::FromImage(picture.ToImage().convertToFormat(QImage::Format_RGB888));
        source = &converted;
    }
    const int width = source->Width();
    const int height = source->Height();
    const QSize shown = ShownSize(width, height, orientation);
    const QSize fitted = FitSize(shown.width(), shown.height(), maxWidth, maxHeight);
    TBitmap result(fitted.width(), fitted.height(), TPixelFormat::pf24bit);
    if (source->IsEmpty())
        return result;

    // Along a row of the result the pick walks a row of the source, or, for the transposing
    // orientations, a column of it; the other side of the result walks the other one.
    const bool transposed = Transposes(orientation);
    const bool reverseAcross =
        transposed ? orientation == 6 || orientation == 7 : orientation == 2 || orientation == 3;
    const bool reverseDown =
        transposed ? orientation == 7 || orientation == 8 : orientation == 3 || orientation == 4;
    const std::vector<int> across =
        Picks(fitted.width(), transposed ? height : width, reverseAcross);
    const std::vector<int> down = Picks(fitted.height(), transposed ? width : height, reverseDown);

    if (!transposed) {
        for (int y = 0; y < fitted.height(); ++y) {
            const uchar* row = source->ConstScanLine(down[size_t(y)]);
            uchar* out = result.ScanLine(y);
            for (int x = 0; x < fitted.width(); ++x, out += 3)
                std::memcpy(out, row + 3 * qsizetype(across[size_t(x)]), 3);
        }
        return result;
    }
    // One source row gives one column of the result: the large raster is read row by row, and
    // only the small one is written across.
    const qsizetype stride = result.BytesPerLine();
    uchar* const bits = result.ScanLine(0);
    for (int x = 0; x < fitted.width(); ++x) {
        const uchar* row = source->ConstScanLine(across[size_t(x)]);
        uchar* out = bits + 3 * qsizetype(x);
        for (int y = 0; y < fitted.height(); ++y, out += stride)
            std::memcpy(out, row + 3 * qsizetype(down[size_t(y)]), 3);
    }
    return result;
}

void WriteShownReduced(const TBitmap& picture, int orientation, int maxWidth, int maxHeight,
                       const QString& fileName) {
    if (orientation == 1) {
        WriteReduced(picture, maxWidth, maxHeight, fileName);
        return;
    }
    // The shown picture already has the fitted size, so it is written as it is.
    WriteReduced(ShownPicture(picture, orientation, maxWidth, maxHeight), maxWidth, maxHeight,
                 fileName);
}
