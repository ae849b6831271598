#pragma once

#include <QApplication>
#include <QColor>
#include <QImage>
#include <QString>

#include "tests/support/JpegBuilder.h"
#include "tests/support/TestFolder.h"

// Photos laid out as the import leaves them: the full-size file in its dated folder, the reduced
// copy in "reduce/" and the thumbnail in "thumbnail/". Each quarter of the picture has its own
// colour, so that a turn the wrong way, or none, shows after JPEG's losses.
namespace PhotoFixture {

enum TCorner { TopLeft, TopRight, BottomLeft, BottomRight };

inline QColor CornerColour(TCorner corner) {
    static const QColor colours[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow};
    return colours[corner];
}

inline TJpegBuilder QuarteredJpeg(int width, int height) {
    return TJpegBuilder(width, height).Pattern([width, height](int x, int y) {
        const QColor c =
            CornerColour(TCorner((x >= width / 2 ? 1 : 0) + (y >= height / 2 ? 2 : 0)));
        return TJpegBuilder::TRgb{static_cast<unsigned char>(c.red()),
                                  static_cast<unsigned char>(c.green()),
                                  static_cast<unsigned char>(c.blue())};
    });
}

// Writes the three files of a photo of the given reduced size under saveDir (relative to the
// test folder, ending in '/'); returns the dated folder's full path.
inline QString WritePhoto(const TTestFolder& folder, const QString& saveDir, const QString& dated,
                          const QString& name, int width, int height) {
    const QString dir = saveDir + dated + u'/';
    const QByteArray jpeg = QuarteredJpeg(width, height).Encode();
    folder.WriteFile(dir + name, jpeg);
    folder.WriteFile(dir + QStringLiteral("reduce/") + name, jpeg);
    const int thumbWidth = width >= height ? 130 : qRound(130.0 * width / height);
    const int thumbHeight = width >= height ? qRound(130.0 * height / width) : 130;
    folder.WriteFile(dir + QStringLiteral("thumbnail/") + name,
                     QuarteredJpeg(thumbWidth, thumbHeight).Encode());
    return folder.Path() + dir;
}

// The corner of the original picture whose colour lies at the given corner of this picture.
inline int CornerAt(const QImage& image, TCorner corner) {
    const int x = corner == TopLeft || corner == BottomLeft ? 2 : image.width() - 3;
    const int y = corner == TopLeft || corner == TopRight ? 2 : image.height() - 3;
    const QColor seen = image.pixelColor(x, y);
    for (int c = TopLeft; c <= BottomRight; ++c) {
        const QColor want = CornerColour(TCorner(c));
        if (qAbs(seen.red() - want.red()) < 60 && qAbs(seen.green() - want.green()) < 60 &&
            qAbs(seen.blue() - want.blue()) < 60) {
            return c;
        }
    }
    return -1;
}

inline QImage ReadJpeg(const QString& path) {
    QImage image;
    image.load(path, "JPEG");
    return image;
}

}  // namespace PhotoFixture
