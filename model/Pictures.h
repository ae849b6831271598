#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>
#include <memory>

#include "imaging/Bitmap.h"
#include "imaging/Picture.h"
#include "model/JpegCodec.h"

class TAtomicFile;

// The picture routines: every picture the program shows small or writes to disk passes through
// them. Width always comes before height.
//
// They work on plain bitmaps; the forms that take a picture box are thin shims beside the
// windows (app/PictureBoxes.h).

// Decodes the file as a JPEG at full size (whatever its extension) and replaces the picture with
// it, 24 bits per pixel. Raises EFOpenError ("ファイル %s は開けません。 %s ") when the file
// cannot be opened and EJPEG ("JPEG エラー #%d") when it is not a sound JPEG.
void LoadGraphic(TBitmap& picture, const QString& fileName);
// The same through a decoder kept from file to file.
void LoadGraphic(TBitmap& picture, const QString& fileName, TJpegDecoder& decoder);

// LoadGraphic for a picture the user asked to see: a JPEG that the decoder refuses raises EJPEG
// with FileFailureText(fileName, PictureFailureReason(...)), so that the message says which file
// it was ("…/reduce/IMG_1.JPG：JPEG 画像として読み込めません。JPEG エラー #53"); a file that
// cannot be opened names itself already (EFOpenError).
void LoadNamedGraphic(TBitmap& picture, const QString& fileName);

// Why a photo file could not be read or made, in the words the user reads: after a JPEG that the
// decoder refused, "JPEG 画像として読み込めません。" and the decoder's text; otherwise the
// error's own message.
QString PictureFailureReason(const std::exception& error);
// A failure named by its file, as one line of a report: "FILE：reason".
QString FileFailureText(const QString& file, const QString& reason);

// The size at which a width x height picture fits into a maxWidth x maxHeight box without being
// enlarged (shapes in double precision, halves rounded to even, no side below one pixel).
// A box side of zero or less cannot hold a picture: it raises an Exception naming the box, so
// that nothing is written (only a hand-edited settings file can give one).
QSize FitSize(int width, int height, int maxWidth, int maxHeight);

// Draws the picture, nearest-neighbour, into a new raster of exactly size and writes it as a
// baseline JPEG of quality 90, replacing the file atomically. Raises EWriteError
// ("ファイル "%s" を作成できません。%s") when the path cannot be written, and an Exception for
// a size without a sensible width and height or an empty picture.
void WriteJpeg(const TBitmap& picture, QSize size, const QString& fileName);
// The same at the picture's own size.
void WriteJpeg(const TBitmap& picture, const QString& fileName);

// The picture fitted into the box (FitSize) and written as WriteJpeg writes it at that size.
void WriteReduced(const TBitmap& picture, int maxWidth, int maxHeight, const QString& fileName);

// A JPEG that WriteJpeg has written under its temporary name and flushed, but not yet put in
// place: files that change together are all prepared first and then committed, so that one
// that cannot be written leaves every file as it was. Destroyed uncommitted, it leaves its
// file as it was.
class TJpegWrite {
public:
    TJpegWrite(QString fileName, std::unique_ptr<TAtomicFile> file);
    TJpegWrite(TJpegWrite&&) noexcept;
    ~TJpegWrite();

    // Puts the file in place; raises EWriteError as WriteJpeg does.
    void Commit();
    // Commits both: both renamed first, then both folders flushed (TAtomicFile::Place).
    static void CommitTogether(TJpegWrite& first, TJpegWrite& second);

private:
    QString FFileName;
    std::unique_ptr<TAtomicFile> FFile;
};

// WriteJpeg and WriteReduced, up to the commit; they raise as those do.
TJpegWrite PrepareJpeg(const TBitmap& picture, QSize size, const QString& fileName);
TJpegWrite PrepareReduced(const TBitmap& picture, int maxWidth, int maxHeight,
                          const QString& fileName);

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
