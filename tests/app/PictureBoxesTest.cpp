#include <gtest/gtest.h>

#include "app/PictureBoxes.h"
#include "imaging/TurboImg.h"
#include "model/Pictures.h"
#include "platform/Exception.h"
#include "tests/support/JpegBuilder.h"
#include "tests/support/TestFolder.h"

namespace {

TBitmap Decode(const QString& path) {
    TBitmap picture;
    LoadGraphic(picture, path);
    return picture;
}

TEST(PictureBoxes, ABoxSideOfZeroOrLessIsRefusedAndTheBoxKept) {
    const TBitmap picture(40, 30);
    for (const QSize box : {QSize(0, 600), QSize(600, 0), QSize(-1, 600), QSize(600, -600)}) {
        TTurboImage image;
        image.resize(7, 7);
        EXPECT_THROW(FitToBox(picture, box.width(), box.height(), image), Exception);
        EXPECT_EQ(image.size(), QSize(7, 7));
        EXPECT_TRUE(image.Picture().IsEmpty());
    }
}

TEST(PictureBoxes, TheBoxSharesThePictureUntilTheCallerChangesIt) {
    TBitmap picture(400, 300);
    picture.SetPixelValue(0, 0, 0x123456);
    TTurboImage box;
    FitToBox(picture, 130, 130, box);
    EXPECT_EQ(box.size(), QSize(130, 98));
    EXPECT_TRUE(box.Picture().Bitmap()->SharesPixelsWith(picture));
    picture.SetPixelValue(0, 0, 0x654321);
    EXPECT_EQ(box.Picture().Bitmap()->PixelValue(0, 0), 0x123456u);
}

TEST(PictureBoxes, ABoxWritesWhatTheBitmapRoutinesWriteAtItsSize) {
    TTestFolder folder;
    TBitmap picture;
    LoadGraphic(picture, TJpegBuilder(400, 300).WriteTo(folder.FilePath(QStringLiteral("s.jpg"))));
    const struct { QSize Box; } cases[] = {{{130, 130}}, {{600, 600}}, {{50, 400}}};
    for (const auto& c : cases) {
        TTurboImage box;
        WriteReduced(box, c.Box.width(), c.Box.height(), folder.FilePath(QStringLiteral("b.jpg")),
                     picture);
        WriteReduced(picture, c.Box.width(), c.Box.height(),
                     folder.FilePath(QStringLiteral("p.jpg")));
        EXPECT_EQ(folder.ReadFile(QStringLiteral("b.jpg")),
                  folder.ReadFile(QStringLiteral("p.jpg")))
            << c.Box.width() << "x" << c.Box.height();
    }
    // A box without a sensible size writes nothing.
    const QString old = folder.WriteFile(QStringLiteral("old.jpg"), "old");
    TTurboImage box;
    box.Picture().Assign(picture);
    box.resize(0, 10);
    EXPECT_THROW(WriteJpeg(box, old), Exception);
    EXPECT_EQ(folder.ReadFile(QStringLiteral("old.jpg")), QByteArray("old"));
}

TEST(PictureBoxes, OtherPicturesAreDrawnAtTheBoxSize) {
    TTestFolder folder;
    TTurboImage box;
    box.Picture().Assign(
        std::make_shared<TJpegImage>(TJpegBuilder(40, 20).Solid(0, 200, 0).Encode()));
    EXPECT_EQ(box.PictureType(), TPictureType::picUnknown);
    box.Turn(90);  // an undecoded JPEG is not turned
    EXPECT_EQ(box.PictureType(), TPictureType::picUnknown);
    box.resize(10, 5);
    const QString path = folder.FilePath(QStringLiteral("o.jpg"));
    WriteJpeg(box, path);
    const TBitmap written = Decode(path);
    EXPECT_EQ(QSize(written.Width(), written.Height()), QSize(10, 5));
    EXPECT_GT(qGreen(written.PixelColor(5, 2)), 180);
}

}  // namespace
