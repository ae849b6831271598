#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>

#include "imaging/Bitmap.h"
#include "imaging/Picture.h"
#include "imaging/TurboImg.h"
#include "model/JpegCodec.h"

// The picture routines: every picture the program shows small or writes to disk passes through
// them. Width always comes before height.
//
// A box shares the picture it is given rather than copying it; only while a box still holds the
// previous photo does the next decode need a raster of its own (the import lets go of its
// preview before it decodes the next photo).

// Decodes the file as a JPEG at full size (whatever its extension) and replaces the picture with
// it, 24 bits per pixel. Raises EFOpenError ("ファイル %s は開けません。 %s ") when the file
// cannot be opened and EJPEG ("JPEG エラー #%d") when it is not a sound JPEG.
void LoadGraphic(TBitmap& picture, const QString& fileName);
// The same through a decoder kept from file to file.
void LoadGraphic(TBitmap& picture, const QString& fileName, TJpegDecoder& decoder);

// The size at which a width x height picture fits into a maxWidth x maxHeight box without being
// enlarged (shapes in double precision, halves rounded to even, no side below one pixel).
// A box side of zero or less cannot hold a picture: it raises an Exception naming the box, so
// that nothing is written (only a hand-edited settings file can give one).
QSize FitSize(int width, int height, int maxWidth, int maxHeight);

// Sets the box's width and height to the fitted size, then gives it the picture (shared, not
// copied; the caller may change its own picture afterwards).
void FitToBox(const TBitmap& picture, int maxWidth, int maxHeight, TTurboImage& box);

// Draws the box's picture, nearest-neighbour, into a new raster of exactly the box's width x
// height and writes it as a baseline JPEG of quality 90, replacing the file atomically. Raises
// EWriteError ("ファイル "%s" を作成できません。%s") when the path cannot be written, and an
// Exception for a box without a sensible size.
void WriteJpeg(const TTurboImage& box, const QString& fileName);

// FitToBox, then WriteJpeg.
void WriteReduced(TTurboImage& box, int maxWidth, int maxHeight, const QString& fileName,
                  const TBitmap& picture);
// The same file without a box: the picture fitted into the box and written as WriteJpeg writes a
// box of the fitted size that holds it.
void WriteReduced(const TBitmap& picture, int maxWidth, int maxHeight, const QString& fileName);

// The column (or row) of a source of sourceSize pixels that target pixel index of a target of
// targetSize pixels takes: the source pixel under the target pixel's centre.
inline int NearestSource(int index, int targetSize, int sourceSize) {
    return int((2 * qint64(index) + 1) * sourceSize / (2 * qint64(targetSize)));
}

// A JPEG kept as its file's bytes and decoded only when drawn: the "other graphic" of a picture
// slot. Its size is the one its header declares (0 x 0 when the header cannot be read).
class TJpegImage : public TGraphic {
public:
    explicit TJpegImage(QByteArray bytes);
    int Width() const override { return FSize.width(); }
    int Height() const override { return FSize.height(); }
    void Draw(QPainter& painter, const QRect& target) const override;
    const QByteArray& Bytes() const { return FBytes; }

private:
    QByteArray FBytes;
    QSize FSize;
    mutable TBitmap FDecoded;
};
