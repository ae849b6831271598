#include <gtest/gtest.h>
#include <jerror.h>
#include <jpeglib.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <cstdio>

#include "model/Pictures.h"
#include "tests/support/JpegBuilder.h"
#include "tests/support/TestFolder.h"

namespace {

TBitmap Decode(const QString& path) {
    TBitmap picture;
    LoadGraphic(picture, path);
    return picture;
}

QSize SizeOf(const TBitmap& picture) {
    return QSize(picture.Width(), picture.Height());
}

TBitmap BitmapOfRaster(const QByteArray& raster, int width, int height) {
    TBitmap bitmap(width, height, TPixelFormat::pf24bit);
    for (int y = 0; y < height; ++y) {
        std::memcpy(bitmap.ScanLine(y), raster.constData() + qsizetype(y) * width * 3,
                    size_t(width) * 3);
    }
    return bitmap;
}

// What "cjpeg -quality 90" makes of a raster, or an empty array when cjpeg is not installed.
QByteArray ReferenceJpeg(const TJpegBuilder& raster) {
    if (!QFile::exists(QStringLiteral("/usr/bin/cjpeg")))
        return {};
    QProcess cjpeg;
    cjpeg.start(QStringLiteral("/usr/bin/cjpeg"),
                {QStringLiteral("-quality"), QStringLiteral("90")});
    cjpeg.write(raster.Ppm());
    cjpeg.closeWriteChannel();
    if (!cjpeg.waitForFinished(30000) || cjpeg.exitCode() != 0)
        return {};
    return cjpeg.readAllStandardOutput();
}

// --- FitToBox ---------------------------------------------------------------------------------

struct TFitCase {
    QSize Picture;
    QSize Box;
    QSize Fitted;
};

class FitSizeTable : public ::testing::TestWithParam<TFitCase> {};

TEST_P(FitSizeTable, FitsWithoutEnlarging) {
    const TFitCase c = GetParam();
    EXPECT_EQ(FitSize(c.Picture.width(), c.Picture.height(), c.Box.width(), c.Box.height()),
              c.Fitted);
}

INSTANTIATE_TEST_SUITE_P(
    Worked, FitSizeTable,
    ::testing::Values(
        TFitCase{{4000, 3000}, {600, 600}, {600, 450}},
        TFitCase{{3000, 4000}, {600, 600}, {450, 600}},
        TFitCase{{4000, 3000}, {130, 130}, {130, 98}},  // 97.5 to even
        TFitCase{{3000, 4000}, {130, 130}, {98, 130}},
        TFitCase{{3072, 2048}, {130, 130}, {130, 87}},
        TFitCase{{1000, 250}, {130, 130}, {130, 32}},  // 32.5 to even
        TFitCase{{640, 480}, {800, 600}, {640, 480}}, TFitCase{{500, 500}, {300, 300}, {300, 300}},
        TFitCase{{800, 300}, {600, 200}, {533, 200}}, TFitCase{{130, 97}, {130, 130}, {130, 97}},
        TFitCase{{131, 97}, {130, 130}, {130, 96}}, TFitCase{{1200, 900}, {600, 450}, {600, 450}},
        TFitCase{{500, 1000}, {600, 600}, {300, 600}},
        TFitCase{{6000, 4000}, {1000, 100}, {150, 100}},
        TFitCase{{20000, 1}, {130, 130}, {130, 1}},  // never below one pixel
        TFitCase{{1, 20000}, {130, 130}, {1, 130}}, TFitCase{{0, 0}, {130, 130}, {0, 0}}));

// --- LoadGraphic ------------------------------------------------------------------------------

TEST(LoadGraphic, DecodesEveryKindOfJpegToTwentyFourBitsWhateverTheExtension) {
    TTestFolder folder;
    struct TKind {
        const char* Name;
        TJpegBuilder Builder;
        QRgb Colour;
    };
    const std::vector<TKind> kinds = {
        {"plain.png", TJpegBuilder(33, 17).Solid(200, 40, 90), qRgb(200, 40, 90)},
        {"progressive.jpg", TJpegBuilder(33, 17).Solid(200, 40, 90).Progressive(),
         qRgb(200, 40, 90)},
        {"grey.jpeg", TJpegBuilder(33, 17).Solid(120, 120, 120).Greyscale(), qRgb(120, 120, 120)},
        {"cmyk.jpg", TJpegBuilder(33, 17).Solid(200, 40, 90).Cmyk(), qRgb(200, 40, 90)},
        {"写真 1", TJpegBuilder(33, 17).Solid(10, 250, 30).Quality(100), qRgb(10, 250, 30)},
    };
    for (const TKind& kind : kinds) {
        const TBitmap picture =
            Decode(kind.Builder.WriteTo(folder.FilePath(QString::fromUtf8(kind.Name))));
        EXPECT_EQ(SizeOf(picture), QSize(33, 17)) << kind.Name;
        EXPECT_EQ(picture.PixelFormat(), TPixelFormat::pf24bit) << kind.Name;
        const QRgb got = picture.PixelColor(16, 8);
        EXPECT_NEAR(qRed(got), qRed(kind.Colour), 4) << kind.Name;
        EXPECT_NEAR(qGreen(got), qGreen(kind.Colour), 4) << kind.Name;
        EXPECT_NEAR(qBlue(got), qBlue(kind.Colour), 4) << kind.Name;
    }
}

QByteArray WithSize(QByteArray jpeg, int width, int height) {
    // The baseline frame header: FF C0, length, precision, height, width.
    const qsizetype sof = jpeg.indexOf("\xFF\xC0");
    jpeg[sof + 5] = char(height >> 8);
    jpeg[sof + 6] = char(height);
    jpeg[sof + 7] = char(width >> 8);
    jpeg[sof + 8] = char(width);
    return jpeg;
}

struct TBadFile {
    const char* Name;
    std::function<QByteArray(const QByteArray& good)> Bytes;
    int Code;
};

class LoadGraphicBadFile : public ::testing::TestWithParam<TBadFile> {};

TEST_P(LoadGraphicBadFile, RaisesTheDecodersErrorAndKeepsGoing) {
    const TBadFile c = GetParam();
    TTestFolder folder;
    const QByteArray good = TJpegBuilder(64, 48).Encode();
    const QString path = folder.WriteFile(QString::fromUtf8(c.Name), c.Bytes(good));
    TJpegDecoder decoder;
    TBitmap picture(5, 5);
    try {
        LoadGraphic(picture, path, decoder);
        FAIL() << "no error for " << c.Name;
    } catch (const EJPEG& error) {
        EXPECT_EQ(error.MessageCode(), c.Code) << c.Name;
        EXPECT_TRUE(error.Message().startsWith(QStringLiteral("JPEG エラー #%1").arg(c.Code)))
            << error.Message().toStdString();
    }
    // The decoder is sound again for the next file.
    LoadGraphic(picture, folder.WriteFile(QStringLiteral("good.jpg"), good), decoder);
    EXPECT_EQ(SizeOf(picture), QSize(64, 48));
}

INSTANTIATE_TEST_SUITE_P(
    Files, LoadGraphicBadFile,
    ::testing::Values(
        TBadFile{"empty.jpg", [](const QByteArray&) { return QByteArray(); }, JERR_INPUT_EMPTY},
        TBadFile{"text.jpg", [](const QByteArray&) { return QByteArray("not a picture"); },
                 JERR_NO_SOI},
        TBadFile{"png.jpg", [](const QByteArray&) { return QByteArray("\x89PNG\r\n\x1a\n", 8); },
                 JERR_NO_SOI},
        TBadFile{"header-only.jpg", [](const QByteArray& good) { return good.left(20); },
                 JERR_NO_IMAGE},
        TBadFile{"zero-height.jpg", [](const QByteArray& good) { return WithSize(good, 64, 0); },
                 JERR_EMPTY_IMAGE},
        TBadFile{"scans.jpg",
                 [](const QByteArray&) { return TJpegBuilder(16, 16).ManyScans().Encode(); },
                 JERR_BAD_PROGRESSION}));

TEST(LoadGraphic, AHugeHeaderIsRefusedBeforeTheRasterIsAllocated) {
    TTestFolder folder;
    // 24000 x 24000 is within JPEG's limits but above the pixel bound.
    const QString huge = folder.WriteFile(QStringLiteral("huge.jpg"),
                                          WithSize(TJpegBuilder(16, 16).Encode(), 24000, 24000));
    TBitmap picture(5, 5);
    const TBitmap before = picture;
    try {
        LoadGraphic(picture, huge);
        FAIL() << "no error";
    } catch (const EJPEG& error) {
        EXPECT_EQ(error.MessageCode(), JERR_IMAGE_TOO_BIG);
    }
    EXPECT_TRUE(picture.SharesPixelsWith(before)) << "the target was touched";
    // The bound itself is a picture's size that is still taken.
    TJpegDecoder decoder;
    decoder.SetMaxPixels(16 * 16);
    LoadGraphic(picture, TJpegBuilder(16, 16).WriteTo(folder.FilePath(QStringLiteral("a.jpg"))),
                decoder);
    EXPECT_EQ(SizeOf(picture), QSize(16, 16));
    EXPECT_THROW(
        LoadGraphic(picture, TJpegBuilder(17, 16).WriteTo(folder.FilePath(QStringLiteral("b.jpg"))),
                    decoder),
        EJPEG);
}

TEST(LoadGraphic, AMissingFileOrAFolderCannotBeOpened) {
    TTestFolder folder;
    for (const QString& path : {folder.FilePath(QStringLiteral("none.jpg")), folder.Path()}) {
        TBitmap picture;
        try {
            LoadGraphic(picture, path);
            FAIL() << "no error for " << path.toStdString();
        } catch (const EFOpenError& error) {
            EXPECT_TRUE(
                error.Message().startsWith(QStringLiteral("ファイル %1 は開けません。 ").arg(path)))
                << error.Message().toStdString();
            EXPECT_TRUE(error.Message().endsWith(u' '));
        }
    }
}

TEST(LoadGraphic, OneDecoderRefillsAnUnsharedPictureInPlace) {
    TTestFolder folder;
    const QString red =
        TJpegBuilder(80, 60).Solid(255, 0, 0).WriteTo(folder.FilePath(QStringLiteral("r.jpg")));
    const QString blue =
        TJpegBuilder(80, 60).Solid(0, 0, 255).WriteTo(folder.FilePath(QStringLiteral("b.jpg")));
    TJpegDecoder decoder;
    TBitmap working;
    LoadGraphic(working, red, decoder);
    const uchar* raster = working.ConstScanLine(0);
    LoadGraphic(working, blue, decoder);
    EXPECT_EQ(working.ConstScanLine(0), raster) << "a fresh raster for the same size";
    EXPECT_GT(qBlue(working.PixelColor(1, 1)), 240);

    // A copy still holding the picture keeps its pixels; the next decode takes a new raster.
    const TBitmap shown = working;
    LoadGraphic(working, red, decoder);
    EXPECT_GT(qBlue(shown.PixelColor(1, 1)), 240);
    EXPECT_GT(qRed(working.PixelColor(1, 1)), 240);
}

// --- WriteJpeg and WriteReduced ---------------------------------------------------------------

TEST(WriteJpeg, IsByteIdenticalToTheReferenceEncoderAtThePictureSize) {
    TTestFolder folder;
    const TJpegBuilder raster(37, 23);
    const QByteArray reference = ReferenceJpeg(raster);
    if (reference.isEmpty())
        GTEST_SKIP() << "cjpeg is not installed";
    WriteJpeg(BitmapOfRaster(raster.Raster(), 37, 23), folder.FilePath(QStringLiteral("out.jpg")));
    EXPECT_EQ(folder.ReadFile(QStringLiteral("out.jpg")), reference);
}

// Blocks of one colour each: whichever pixel of a block the reduction picks, the reduced picture
// is the block pattern itself, so its bytes can be compared with the reference encoder's.
TJpegBuilder::TRgb BlockColour(int block) {
    return {uchar(block * 40), uchar(255 - block * 17), uchar(block * 91)};
}

TEST(WriteJpeg, ReducesByPickingPixelsAtAnyDepth) {
    TTestFolder folder;
    constexpr int Columns = 6, Rows = 4, Side = 5;
    const TJpegBuilder expected = TJpegBuilder(Columns, Rows).Pattern([](int x, int y) {
        return BlockColour(y * Columns + x);
    });
    const QByteArray reference = ReferenceJpeg(expected);
    if (reference.isEmpty())
        GTEST_SKIP() << "cjpeg is not installed";

    TBitmap indexed(Columns * Side, Rows * Side, TPixelFormat::pf8bit);
    QList<QRgb> palette;
    for (int block = 0; block < Columns * Rows; ++block) {
        const auto c = BlockColour(block);
        palette.append(qRgb(c[0], c[1], c[2]));
    }
    indexed.SetPalette(palette);
    TBitmap rgb(Columns * Side, Rows * Side);
    for (int y = 0; y < Rows * Side; ++y) {
        for (int x = 0; x < Columns * Side; ++x) {
            const int block = (y / Side) * Columns + x / Side;
            indexed.SetPixelValue(x, y, quint32(block));
            rgb.SetPixelValue(x, y, palette[block] & 0xFFFFFF);
        }
    }
    for (const TBitmap& picture : {indexed, rgb}) {
        WriteJpeg(picture, QSize(Columns, Rows), folder.FilePath(QStringLiteral("small.jpg")));
        EXPECT_EQ(folder.ReadFile(QStringLiteral("small.jpg")), reference);
    }
}

struct TReducedCase {
    QSize Picture;
    QSize Box;
    QSize Written;
};

class WriteReducedTable : public ::testing::TestWithParam<TReducedCase> {};

TEST_P(WriteReducedTable, WritesAFileOfTheFittedSizeReplacingTheOldOne) {
    const TReducedCase c = GetParam();
    TTestFolder folder;
    const QString path = folder.WriteFile(QStringLiteral("thumbnail/a.jpg"), "old");
    TBitmap picture;
    LoadGraphic(picture, TJpegBuilder(c.Picture.width(), c.Picture.height())
                             .WriteTo(folder.FilePath(QStringLiteral("src.jpg"))));
    WriteReduced(picture, c.Box.width(), c.Box.height(), path);
    EXPECT_EQ(SizeOf(Decode(path)), c.Written);
    EXPECT_EQ(
        QDir(folder.FilePath(QStringLiteral("thumbnail"))).entryList(QDir::Files | QDir::Hidden),
        QStringList{QStringLiteral("a.jpg")});
}

INSTANTIATE_TEST_SUITE_P(Sizes, WriteReducedTable,
                         ::testing::Values(TReducedCase{{130, 97}, {130, 130}, {130, 97}},
                                           TReducedCase{{131, 97}, {130, 130}, {130, 96}},
                                           TReducedCase{{400, 300}, {130, 130}, {130, 98}},
                                           TReducedCase{{640, 640}, {600, 600}, {600, 600}},
                                           TReducedCase{{20, 900}, {600, 600}, {13, 600}}));

TEST(WriteJpeg, AnUnwritablePathRaisesAndLeavesTheOldFile) {
    TTestFolder folder;
    folder.WriteFile(QStringLiteral("file"), "x");
    const QString readOnly = folder.WriteFile(QStringLiteral("ro.jpg"), "old");
    ::chmod(QFile::encodeName(readOnly).constData(), 0444);
    const TBitmap picture(20, 10);
    for (const QString& path : {folder.FilePath(QStringLiteral("missing/a.jpg")),
                                folder.FilePath(QStringLiteral("file/a.jpg")), readOnly}) {
        try {
            WriteJpeg(picture, path);
            FAIL() << "no error for " << path.toStdString();
        } catch (const EWriteError& error) {
            EXPECT_TRUE(error.Message().startsWith(
                QStringLiteral("ファイル \"%1\" を作成できません。").arg(path)))
                << error.Message().toStdString();
        }
    }
    EXPECT_EQ(folder.ReadFile(QStringLiteral("ro.jpg")), QByteArray("old"));
    // A size or a picture that cannot be written leaves an existing file as it was.
    const QString old = folder.WriteFile(QStringLiteral("old.jpg"), "old");
    EXPECT_THROW(WriteJpeg(picture, QSize(0, 10), old), Exception);
    EXPECT_THROW(WriteJpeg(TBitmap(), old), Exception);
    EXPECT_EQ(folder.ReadFile(QStringLiteral("old.jpg")), QByteArray("old"));
}

}  // namespace
