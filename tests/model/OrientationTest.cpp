#include <gtest/gtest.h>

#include <QDate>
#include <QImage>

#include "model/Importer.h"
#include "model/Orientation.h"
#include "tests/support/ExifBuilder.h"
#include "tests/support/JpegBuilder.h"
#include "tests/support/TestFolder.h"

namespace {

enum TCorner { TopLeft, TopRight, BottomLeft, BottomRight };

const QRgb CornerColours[] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 255, 0)};

// Each quarter of the stored picture in its own colour.
TJpegBuilder Quartered(int width, int height) {
    return TJpegBuilder(width, height).Pattern([width, height](int x, int y) {
        const QRgb c = CornerColours[(x >= width / 2 ? 1 : 0) + (y >= height / 2 ? 2 : 0)];
        return TJpegBuilder::TRgb{static_cast<unsigned char>(qRed(c)),
                                  static_cast<unsigned char>(qGreen(c)),
                                  static_cast<unsigned char>(qBlue(c))};
    });
}

// Which stored corner's colour lies at the given corner of the image; -1 for none.
int StoredCornerAt(const QImage& image, TCorner corner) {
    const int x = corner == TopLeft || corner == BottomLeft ? 2 : image.width() - 3;
    const int y = corner == TopLeft || corner == TopRight ? 2 : image.height() - 3;
    const QColor seen = image.pixelColor(x, y);
    for (int c = TopLeft; c <= BottomRight; ++c) {
        const QColor want(CornerColours[c]);
        if (qAbs(seen.red() - want.red()) < 60 && qAbs(seen.green() - want.green()) < 60 &&
            qAbs(seen.blue() - want.blue()) < 60) {
            return c;
        }
    }
    return -1;
}

QByteArray OrientationApp1(int orientation) {
    return TExifBuilder()
        .Ascii(TExifDir::Ifd0, 0x0132, "2024:05:07 10:00:00")
        .Shorts(TExifDir::Ifd0, 0x0112, {quint16(orientation)})
        .App1();
}

struct TOrientationCase {
    int Orientation;
    QSize Reduced;  // of a 160 x 120 photo in a 100 x 100 box
    TCorner StoredTopLeftAt, StoredTopRightAt;
};

class OrientationTable : public ::testing::TestWithParam<TOrientationCase> {};

// The import writes the reduced copy, the thumbnail and the preview as the photo is seen, and
// the full-size copy as it was chosen.
TEST_P(OrientationTable, CopiesAreWrittenTheRightWayUp) {
    const TOrientationCase c = GetParam();
    TTestFolder folder;
    const QString path = Quartered(160, 120)
                             .Segment(OrientationApp1(c.Orientation))
                             .WriteTo(folder.FilePath(QStringLiteral("IMG.JPG")));
    const QString saveDir = folder.MakeDir(QStringLiteral("photo/"));
    TPhotoImporter importer(saveDir, QDate(2024, 5, 7), 100, 100);
    importer.PrepareDateDir();
    importer.Decode(path);
    EXPECT_EQ(importer.Orientation(), c.Orientation);
    importer.Store(path, QStringLiteral("IMG.JPG"));

    const QImage reduced(importer.DateDir() + QStringLiteral("reduce/IMG.JPG"));
    ASSERT_EQ(reduced.size(), c.Reduced);
    const QImage thumbnail(importer.DateDir() + QStringLiteral("thumbnail/IMG.JPG"));
    const QImage preview = importer.Preview(40, 40).ToImage();
    for (const QImage& image : {reduced, thumbnail, preview}) {
        EXPECT_EQ(StoredCornerAt(image, c.StoredTopLeftAt), TopLeft) << image.width();
        EXPECT_EQ(StoredCornerAt(image, c.StoredTopRightAt), TopRight) << image.width();
    }
    EXPECT_EQ(thumbnail.size(),
              c.Reduced.width() > c.Reduced.height() ? QSize(130, 98) : QSize(98, 130));
    EXPECT_EQ(folder.ReadFile(QStringLiteral("photo/20240507/IMG.JPG")),
              folder.ReadFile(QStringLiteral("IMG.JPG")));
}

INSTANTIATE_TEST_SUITE_P(Orientations, OrientationTable,
                         ::testing::Values(TOrientationCase{1, {100, 75}, TopLeft, TopRight},
                                           TOrientationCase{2, {100, 75}, TopRight, TopLeft},
                                           TOrientationCase{3, {100, 75}, BottomRight, BottomLeft},
                                           TOrientationCase{4, {100, 75}, BottomLeft, BottomRight},
                                           TOrientationCase{5, {75, 100}, TopLeft, BottomLeft},
                                           TOrientationCase{6, {75, 100}, TopRight, BottomRight},
                                           TOrientationCase{7, {75, 100}, BottomRight, TopRight},
                                           TOrientationCase{8, {75, 100}, BottomLeft, TopLeft}));

TEST(ReadOrientation, AnythingButAShortFromOneToEightMeansAsStored) {
    struct TCase {
        const char* Name;
        QByteArray Segment;
        int Orientation;
    };
    const TCase cases[] = {
        {"no EXIF", {}, 1},
        {"no orientation", TExifBuilder().Ascii(TExifDir::Ifd0, 0x0132, "x").App1(), 1},
        {"zero", OrientationApp1(0), 1},
        {"nine", OrientationApp1(9), 1},
        {"a LONG", TExifBuilder().Longs(TExifDir::Ifd0, 0x0112, {6}).App1(), 1},
        {"in the thumbnail's directory",
         TExifBuilder()
             .Ascii(TExifDir::Ifd0, 0x0132, "x")
             .Shorts(TExifDir::Ifd1, 0x0112, {6})
             .App1(),
         1},
        {"big-endian", TExifBuilder(0x4D4D).Shorts(TExifDir::Ifd0, 0x0112, {8}).App1(), 8},
        {"before a damaged directory",
         TExifBuilder()
             .Shorts(TExifDir::Ifd0, 0x0112, {3})
             .Raw(TExifDir::Ifd0, 0x8769, 4, 1, 0x7FFFFFF0)
             .App1(),
         3},
    };
    TTestFolder folder;
    for (const TCase& c : cases) {
        const QString path = TJpegBuilder(16, 16).Segment(c.Segment).WriteTo(
            folder.FilePath(QString::fromUtf8(c.Name)));
        EXPECT_EQ(ReadOrientation(path), c.Orientation) << c.Name;
    }
    EXPECT_EQ(ReadOrientation(folder.FilePath(QStringLiteral("missing.jpg"))), 1);
    EXPECT_EQ(ReadOrientation(folder.WriteFile(QStringLiteral("cut.jpg"), "\xFF\xD8\xFF\xE1")), 1);
}

}  // namespace
