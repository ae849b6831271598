#include "app/PictureBoxes.h"

#include <QPainter>

#include "imaging/TurboImg.h"
#include "model/Pictures.h"

void FitToBox(const TBitmap& picture, int maxWidth, int maxHeight, TTurboImage& box) {
    const QSize fitted = FitSize(picture.Width(), picture.Height(), maxWidth, maxHeight);
    box.resize(fitted);
    box.Picture().Assign(picture);
}

void WriteJpeg(const TTurboImage& box, const QString& fileName) {
    const QSize size(box.Width(), box.Height());
    if (const TBitmap* bitmap = box.Picture().Bitmap(); bitmap && !bitmap->IsEmpty()) {
        WriteJpeg(*bitmap, size, fileName);
        return;
    }
    // Metafiles, icons and other graphics draw themselves scaled onto a white raster; a box
    // without a sensible size is refused as the model refuses it.
    FitSize(1, 1, size.width(), size.height());
    QImage canvas(size, QImage::Format_RGB888);
    if (canvas.isNull())
        throw EOutOfMemory();
    canvas.fill(Qt::white);
    if (!box.Picture().IsEmpty()) {
        QPainter painter(&canvas);
        box.Picture().Draw(painter, QRect(QPoint(0, 0), size));
    }
    WriteJpeg(TBitmap::FromImage(canvas), size, fileName);
}

void WriteReduced(TTurboImage& box, int maxWidth, int maxHeight, const QString& fileName,
                  const TBitmap& picture) {
    FitToBox(picture, maxWidth, maxHeight, box);
    WriteJpeg(box, fileName);
}
