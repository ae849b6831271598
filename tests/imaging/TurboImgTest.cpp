#include <gtest/gtest.h>

#include <QPainter>
#include <QPixmap>
#include <climits>
#include <cstring>
#include <memory>
#include <random>

#include "imaging/TurboImg.h"

namespace {

quint32 ValueMask(TPixelFormat format) {
    const int bits = BitsPerPixelOf(format);
    return bits == 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
}

TBitmap RandomBitmap(int width, int height, TPixelFormat format, unsigned seed = 7) {
    std::mt19937 random(seed);
    TBitmap bitmap(width, height, format);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            bitmap.SetPixelValue(x, y, random() & ValueMask(format));
    }
    if (BitsPerPixelOf(format) <= 8) {
        QList<QRgb> palette;
        for (int i = 0; i < (1 << BitsPerPixelOf(format)); ++i)
            palette.append(qRgb(int(random() % 256), int(random() % 256), int(random() % 256)));
        bitmap.SetPalette(palette);
    }
    return bitmap;
}

bool SamePixels(const TBitmap& a, const TBitmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height())
        return false;
    for (int y = 0; y < a.Height(); ++y) {
        for (int x = 0; x < a.Width(); ++x) {
            if (a.PixelValue(x, y) != b.PixelValue(x, y))
                return false;
        }
    }
    return true;
}

// A picture slot's "other graphic": a plain colour of a given size.
class TColourGraphic : public TGraphic {
public:
    TColourGraphic(QSize size, QColor colour) : FSize(size), FColour(colour) {}
    int Width() const override { return FSize.width(); }
    int Height() const override { return FSize.height(); }
    void Draw(QPainter& painter, const QRect& target) const override {
        painter.fillRect(target, FColour);
    }

private:
    QSize FSize;
    QColor FColour;
};

TIcon RedIcon() {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::red);
    return TIcon{QIcon(pixmap), QSize(16, 16)};
}

TMetafile BlueMetafile() {
    TMetafile metafile;
    metafile.Size = QSize(20, 10);
    QPainter painter(&metafile.Commands);
    painter.fillRect(QRect(0, 0, 20, 10), Qt::blue);
    return metafile;
}

struct TEvents {
    int Amend = 0;
    int Amended = 0;
    QStringList Kinds;
    void Watch(TTurboImage& image) {
        const auto counter = [this, &image](int& count) {
            return [this, &image, &count](TTurboImage* sender, const QString& kind) {
                EXPECT_EQ(sender, &image);
                ++count;
                Kinds.append(kind);
            };
        };
        image.SetOnAmend(counter(Amend));
        image.SetOnAmended(counter(Amended));
    }
};

// --- Turn at every depth ----------------------------------------------------------------------

struct TDepthCase {
    TPixelFormat Format;
    int Width;
    int Height;
};

class TurnDepth : public ::testing::TestWithParam<TDepthCase> {};

TEST_P(TurnDepth, MovesEveryPixelWholeAndFourTurnsGiveItBack) {
    const TDepthCase c = GetParam();
    const TBitmap source = RandomBitmap(c.Width, c.Height, c.Format);
    for (const int angle : {90, 180, 270}) {
        TTurboImage image;
        image.Picture().Assign(source);
        image.Turn(angle);
        const TBitmap* turned = image.Picture().Bitmap();
        ASSERT_NE(turned, nullptr);
        EXPECT_EQ(turned->PixelFormat(), c.Format);
        EXPECT_EQ(turned->Palette(), source.Palette());
        const bool quarter = angle != 180;
        ASSERT_EQ(turned->Width(), quarter ? c.Height : c.Width);
        ASSERT_EQ(turned->Height(), quarter ? c.Width : c.Height);
        // Where source pixel (x, y) lands, turning clockwise.
        for (int y = 0; y < c.Height; ++y) {
            for (int x = 0; x < c.Width; ++x) {
                const QPoint to = angle == 90    ? QPoint(c.Height - 1 - y, x)
                                  : angle == 180 ? QPoint(c.Width - 1 - x, c.Height - 1 - y)
                                                 : QPoint(y, c.Width - 1 - x);
                ASSERT_EQ(turned->PixelValue(to.x(), to.y()), source.PixelValue(x, y))
                    << "angle " << angle << " pixel " << x << "," << y;
            }
        }
    }
    // Four quarter turns give back the pixels; the caller's bitmap is never touched.
    const TBitmap original = RandomBitmap(c.Width, c.Height, c.Format);
    TTurboImage image;
    image.Picture().Assign(source);
    for (int i = 0; i < 4; ++i)
        image.Turn(90);
    EXPECT_TRUE(SamePixels(*image.Picture().Bitmap(), original));
    EXPECT_EQ(image.Picture().Bitmap()->Palette(), original.Palette());
    EXPECT_TRUE(SamePixels(source, original));
}

INSTANTIATE_TEST_SUITE_P(
    Depths, TurnDepth,
    ::testing::Values(
        TDepthCase{TPixelFormat::pf1bit, 13, 5}, TDepthCase{TPixelFormat::pf1bit, 8, 3},
        TDepthCase{TPixelFormat::pf1bit, 33, 9}, TDepthCase{TPixelFormat::pf4bit, 7, 3},
        TDepthCase{TPixelFormat::pf4bit, 1, 6}, TDepthCase{TPixelFormat::pf8bit, 37, 41},
        TDepthCase{TPixelFormat::pf15bit, 5, 3}, TDepthCase{TPixelFormat::pf16bit, 70, 33},
        TDepthCase{TPixelFormat::pf24bit, 65, 34}, TDepthCase{TPixelFormat::pf24bit, 3, 2},
        TDepthCase{TPixelFormat::pf32bit, 3, 2}, TDepthCase{TPixelFormat::pf32bit, 1, 1}));

TEST(Turn, ThreeByTwoQuarterTurnPutsTheLeftCornersOnTop) {
    TBitmap source(3, 2, TPixelFormat::pf24bit);
    source.SetPixelValue(0, 0, 0x111111);  // top left
    source.SetPixelValue(0, 1, 0x222222);  // bottom left
    TTurboImage image;
    image.Picture().Assign(source);
    image.resize(3, 2);
    image.Turn(90);
    const TBitmap* turned = image.Picture().Bitmap();
    EXPECT_EQ(QSize(turned->Width(), turned->Height()), QSize(2, 3));
    EXPECT_EQ(turned->PixelValue(1, 0), 0x111111u);
    EXPECT_EQ(turned->PixelValue(0, 0), 0x222222u);
    EXPECT_EQ(image.size(), QSize(2, 3));
}

// --- Angles and events ------------------------------------------------------------------------

struct TAngleCase {
    int Angle;
    int SameAs;  // 0: nothing is turned
};

class TurnAngle : public ::testing::TestWithParam<TAngleCase> {};

TEST_P(TurnAngle, NormalisesOrDoesNothing) {
    const TAngleCase c = GetParam();
    const TBitmap source = RandomBitmap(5, 3, TPixelFormat::pf24bit);
    TTurboImage image;
    image.Picture().Assign(source);
    TEvents events;
    events.Watch(image);
    image.Turn(c.Angle);
    EXPECT_EQ(image.AmendKind(), QStringLiteral("Turn"));
    EXPECT_EQ(events.Amend, 1);
    EXPECT_EQ(events.Amended, c.SameAs != 0 ? 1 : 0);
    EXPECT_TRUE(events.Kinds.size() == events.Amend + events.Amended &&
                events.Kinds.count(QStringLiteral("Turn")) == events.Kinds.size());
    if (c.SameAs == 0) {
        EXPECT_TRUE(image.Picture().Bitmap()->SharesPixelsWith(source)) << "picture was touched";
        return;
    }
    TTurboImage reference;
    reference.Picture().Assign(source);
    reference.Turn(c.SameAs);
    EXPECT_TRUE(SamePixels(*image.Picture().Bitmap(), *reference.Picture().Bitmap()));
}

INSTANTIATE_TEST_SUITE_P(Angles, TurnAngle,
                         ::testing::Values(TAngleCase{-90, 270}, TAngleCase{450, 90},
                                           TAngleCase{-270, 90}, TAngleCase{-180, 180},
                                           TAngleCase{810, 90}, TAngleCase{-450, 270},
                                           TAngleCase{0, 0}, TAngleCase{360, 0}, TAngleCase{45, 0},
                                           TAngleCase{-720, 0}, TAngleCase{100, 0},
                                           TAngleCase{INT_MIN, 0}, TAngleCase{INT_MAX, 0}));

TEST(Turn, AmendKindIsEmptyUntilTheFirstTurn) {
    TTurboImage image;
    EXPECT_TRUE(image.AmendKind().isEmpty());
    image.Turn(90);  // no picture: only OnAmend
    EXPECT_EQ(image.AmendKind(), QStringLiteral("Turn"));
}

// --- The control's size, Stretch and AutoSize --------------------------------------------------

struct TSizeCase {
    bool Stretch;
    bool AutoSize;
    QSize Control;  // before the turn; with AutoSize the control takes the picture's size
    int Angle;
    QSize Expected;
};

class TurnSize : public ::testing::TestWithParam<TSizeCase> {};

TEST_P(TurnSize, ExchangesTheControlSizeForQuarterTurnsOnly) {
    const TSizeCase c = GetParam();
    TTurboImage image;
    image.resize(c.Control);
    image.SetStretch(c.Stretch);
    image.SetAutoSize(c.AutoSize);
    image.Picture().Assign(RandomBitmap(30, 20, TPixelFormat::pf8bit));
    image.Turn(c.Angle);
    EXPECT_EQ(image.size(), c.Expected);
    EXPECT_EQ(image.Stretch(), c.Stretch);
    EXPECT_EQ(image.AutoSize(), c.AutoSize);
    EXPECT_EQ(image.PictureType(), TPictureType::picBitmap);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, TurnSize,
    ::testing::Values(TSizeCase{true, false, QSize(30, 20), 90, QSize(20, 30)},
                      TSizeCase{false, false, QSize(30, 20), 270, QSize(20, 30)},
                      TSizeCase{true, false, QSize(50, 7), 90, QSize(7, 50)},
                      TSizeCase{false, false, QSize(50, 7), 180, QSize(50, 7)},
                      TSizeCase{true, false, QSize(30, 20), 180, QSize(30, 20)},
                      TSizeCase{false, true, QSize(99, 99), 90, QSize(20, 30)},
                      TSizeCase{true, true, QSize(99, 99), 180, QSize(30, 20)}));

// --- Forms other than a plain device-independent bitmap ---------------------------------------

TEST(Turn, DeviceDependentAndCustomBitmapsComeOutAsTwentyFourBits) {
    for (const QImage::Format format :
         {QImage::Format_RGB32, QImage::Format_ARGB32, QImage::Format_RGB888}) {
        QImage screen(4, 3, format);
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 4; ++x)
                screen.setPixel(x, y, qRgb(x * 60, y * 80, 200));
        }
        const TBitmap source = TBitmap::FromImage(screen);
        EXPECT_FALSE(source.IsDeviceIndependent());
        TTurboImage image;
        image.Picture().Assign(source);
        image.Turn(90);
        const TBitmap* turned = image.Picture().Bitmap();
        EXPECT_EQ(turned->PixelFormat(), TPixelFormat::pf24bit);
        EXPECT_EQ(turned->BitsPerPixel(), 24);
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 4; ++x)
                EXPECT_EQ(turned->PixelColor(2 - y, x), screen.pixel(x, y) | 0xff000000u);
        }
    }
}

TEST(Turn, OtherPicturesAreLeftAlone) {
    TTurboImage image;
    image.resize(40, 10);
    const auto assigns = {
        std::function<void()>([&] { image.Picture().Assign(BlueMetafile()); }),
        std::function<void()>([&] { image.Picture().Assign(RedIcon()); }),
        std::function<void()>([&] {
            image.Picture().Assign(std::make_shared<TColourGraphic>(QSize(6, 4), Qt::green));
        }),
    };
    for (const auto& assign : assigns) {
        assign();
        const TPictureType before = image.PictureType();
        TEvents events;
        events.Watch(image);
        image.Turn(90);
        EXPECT_EQ(image.PictureType(), before);
        EXPECT_EQ(image.size(), QSize(40, 10));
        EXPECT_EQ(events.Amend, 1);
        EXPECT_EQ(events.Amended, 0);
    }
}

TEST(Turn, AFailedTurnKeepsThePictureAndGivesBackStretchAndAutoSize) {
    // A custom bitmap whose 24-bit form the toolkit cannot hold (its rows would pass 2 GiB).
    QImage huge(100'000'000, 1, QImage::Format_Mono);
    ASSERT_FALSE(huge.isNull());
    TTurboImage image;
    image.Picture().Assign(TBitmap::FromImage(huge));
    image.SetStretch(true);
    image.SetAutoSize(true);
    TEvents events;
    events.Watch(image);
    EXPECT_THROW(image.Turn(90), EOutOfMemory);
    EXPECT_TRUE(image.Stretch());
    EXPECT_TRUE(image.AutoSize());
    EXPECT_EQ(image.Picture().Width(), 100'000'000);
    EXPECT_EQ(events.Amended, 0);
}

// --- PictureType ------------------------------------------------------------------------------

enum class TSource { Nil, Bitmap, Metafile, Icon, Other };

void Fill(TTurboImage& image, TSource source) {
    switch (source) {
        case TSource::Nil:
            image.Picture().Clear();
            break;
        case TSource::Bitmap:
            image.Picture().Assign(RandomBitmap(12, 8, TPixelFormat::pf24bit));
            break;
        case TSource::Metafile:
            image.Picture().Assign(BlueMetafile());
            break;
        case TSource::Icon:
            image.Picture().Assign(RedIcon());
            break;
        case TSource::Other:
            image.Picture().Assign(std::make_shared<TColourGraphic>(QSize(6, 4), Qt::green));
            break;
    }
}

struct TTypeCase {
    TSource Source;
    TPictureType Read;
    TPictureType Write;
    TPictureType After;
};

class PictureTypeWrite : public ::testing::TestWithParam<TTypeCase> {};

TEST_P(PictureTypeWrite, ConvertsOrLeavesThePicture) {
    const TTypeCase c = GetParam();
    TTurboImage image;
    Fill(image, c.Source);
    EXPECT_EQ(image.PictureType(), c.Read);
    const QSize size(image.Picture().Width(), image.Picture().Height());
    image.SetPictureType(c.Write);
    EXPECT_EQ(image.PictureType(), c.After);
    if (c.After != TPictureType::picNil) {
        EXPECT_EQ(QSize(image.Picture().Width(), image.Picture().Height()), size);
    }
}

constexpr auto Nil = TPictureType::picNil;
constexpr auto Bmp = TPictureType::picBitmap;
constexpr auto Meta = TPictureType::picMetafile;
constexpr auto Ico = TPictureType::picIcon;
constexpr auto Unk = TPictureType::picUnknown;

INSTANTIATE_TEST_SUITE_P(
    Conversions, PictureTypeWrite,
    ::testing::Values(
        TTypeCase{TSource::Nil, Nil, Bmp, Bmp}, TTypeCase{TSource::Nil, Nil, Ico, Nil},
        TTypeCase{TSource::Nil, Nil, Meta, Meta}, TTypeCase{TSource::Bitmap, Bmp, Meta, Meta},
        TTypeCase{TSource::Bitmap, Bmp, Nil, Nil}, TTypeCase{TSource::Bitmap, Bmp, Ico, Bmp},
        TTypeCase{TSource::Bitmap, Bmp, Unk, Bmp}, TTypeCase{TSource::Metafile, Meta, Bmp, Bmp},
        TTypeCase{TSource::Metafile, Meta, Meta, Meta}, TTypeCase{TSource::Icon, Ico, Bmp, Bmp},
        TTypeCase{TSource::Icon, Ico, Meta, Meta}, TTypeCase{TSource::Icon, Ico, Unk, Ico},
        TTypeCase{TSource::Other, Unk, Bmp, Bmp}, TTypeCase{TSource::Other, Unk, Meta, Meta},
        TTypeCase{TSource::Other, Unk, Nil, Nil}, TTypeCase{TSource::Other, Unk, Ico, Unk}));

TEST(PictureType, BitmapThroughMetafileAndBackKeepsItsColours) {
    const TBitmap source = RandomBitmap(9, 5, TPixelFormat::pf24bit);
    TTurboImage image;
    image.Picture().Assign(RandomBitmap(9, 5, TPixelFormat::pf24bit));  // held by the picture only
    image.SetPictureType(TPictureType::picMetafile);
    image.SetPictureType(TPictureType::picBitmap);
    const TBitmap* back = image.Picture().Bitmap();
    ASSERT_EQ(QSize(back->Width(), back->Height()), QSize(9, 5));
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 9; ++x)
            ASSERT_EQ(back->PixelColor(x, y), source.PixelColor(x, y)) << x << "," << y;
    }
}

TEST(PictureType, OtherGraphicsAreDrawnIntoAScreenBitmap) {
    TTurboImage image;
    Fill(image, TSource::Icon);
    image.SetPictureType(TPictureType::picBitmap);
    EXPECT_EQ(image.Picture().Bitmap()->PixelFormat(), TPixelFormat::pfDevice);
    EXPECT_EQ(image.Picture().Bitmap()->PixelColor(8, 8), qRgb(255, 0, 0));
    Fill(image, TSource::Other);
    image.SetPictureType(TPictureType::picBitmap);
    EXPECT_EQ(image.Picture().Bitmap()->PixelColor(5, 3), qRgb(0, 255, 0));
}

// --- Drawing ----------------------------------------------------------------------------------

TEST(TurboImage, DrawsStretchedOnlyWhenStretchIsOn) {
    TBitmap bitmap(2, 1, TPixelFormat::pf24bit);
    bitmap.SetPixelValue(0, 0, 0xFF0000);
    bitmap.SetPixelValue(1, 0, 0x0000FF);
    TTurboImage image;
    image.resize(20, 10);
    image.Picture().Assign(bitmap);
    for (const bool stretch : {true, false}) {
        image.SetStretch(stretch);
        QImage shot(20, 10, QImage::Format_RGB32);
        shot.fill(Qt::white);
        image.render(&shot, QPoint(), QRegion(), QWidget::RenderFlags());
        EXPECT_EQ(shot.pixel(2, 8), stretch ? qRgb(255, 0, 0) : qRgb(255, 255, 255));
        EXPECT_EQ(shot.pixel(17, 2), stretch ? qRgb(0, 0, 255) : qRgb(255, 255, 255));
        EXPECT_EQ(shot.pixel(1, 0), stretch ? qRgb(255, 0, 0) : qRgb(0, 0, 255));
    }
}

// --- Images drawn from a bitmap ----------------------------------------------------------------

enum class TBitmapChange { Pixel, Refill, Clear, Destroy };

class ImageFromBitmap : public ::testing::TestWithParam<std::pair<TPixelFormat, TBitmapChange>> {};

// An image, and an image scaled from it to its own size (the same image), keeps the pixels it
// was made from when the bitmap is changed, refilled in place, cleared or destroyed afterwards.
TEST_P(ImageFromBitmap, KeepsItsPixelsWhateverHappensToTheBitmap) {
    const auto [format, change] = GetParam();
    auto bitmap = std::make_unique<TBitmap>(RandomBitmap(9, 5, format, 1));
    const QImage image = bitmap->ToImage();
    const QImage scaled = image.scaled(image.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    const QImage expected = image.copy();
    if (change == TBitmapChange::Pixel) {
        bitmap->SetPixelValue(0, 0, ~bitmap->PixelValue(0, 0) & ValueMask(format));
    } else if (change == TBitmapChange::Refill) {
        bitmap->Reshape(9, 5, format);
        for (int y = 0; y < 5; ++y)
            std::memset(bitmap->ScanLine(y), 0x5A, size_t(bitmap->BytesPerLine()));
    } else if (change == TBitmapChange::Clear) {
        bitmap->Clear();
    } else {
        bitmap.reset();
    }
    // Whatever takes freed memory next must not show through the images.
    [[maybe_unused]] const TBitmap other = RandomBitmap(9, 5, format, 2);
    for (const QImage& shown : {image, scaled}) {
        for (int y = 0; y < 5; ++y) {
            for (int x = 0; x < 9; ++x)
                ASSERT_EQ(shown.pixel(x, y), expected.pixel(x, y)) << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Bitmap, ImageFromBitmap,
                         ::testing::Values(std::pair{TPixelFormat::pf24bit, TBitmapChange::Pixel},
                                           std::pair{TPixelFormat::pf1bit, TBitmapChange::Pixel},
                                           std::pair{TPixelFormat::pf32bit, TBitmapChange::Refill},
                                           std::pair{TPixelFormat::pf24bit, TBitmapChange::Clear},
                                           std::pair{TPixelFormat::pf8bit, TBitmapChange::Destroy},
                                           std::pair{TPixelFormat::pf15bit,
                                                     TBitmapChange::Destroy}));

}  // namespace
