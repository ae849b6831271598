#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QDir>
#include <QMenu>
#include <QMenuBar>

#include "app/Unit32.h"
#include "imaging/TurboImg.h"
#include "model/KavroUtils.h"
#include "tests/app/PhotoFixture.h"
#include "tests/support/ScriptedDialogs.h"

using namespace PhotoFixture;

namespace {

class PhotoViewerTest : public ::testing::Test {
protected:
    TPhoto* Photo(const QString& name, int width, int height) {
        const QString dir = WritePhoto(Folder, QStringLiteral("data/photo/"),
                                       QStringLiteral("20240501"), name, width, height);
        auto* photo = new TPhoto;
        photo->InitFromFile(dir, name, false, true);
        Photos.emplace_back(photo);
        return photo;
    }
    QImage Reduced(const TPhoto* photo) const {
        return ReadJpeg(photo->ReducedDir() + photo->FileName);
    }
    QImage Thumbnail(const TPhoto* photo) const {
        return ReadJpeg(photo->ThumbnailDir() + photo->FileName);
    }

    TTestFolder Folder;
    TScriptedDialogs Dialogs;
    std::vector<std::unique_ptr<TPhoto>> Photos;
    TForm32 Viewer;
};

TEST_F(PhotoViewerTest, MenuItemsInOrder) {
    QStringList seen;
    for (QAction* menu : Viewer.MainMenu1->actions()) {
        seen.append(menu->text());
        for (QAction* item : menu->menu()->actions())
            seen.append(item->isSeparator() ? QStringLiteral("-") : item->text());
    }
    EXPECT_EQ(seen, (QStringList{"フォト", "前へ（左矢印）", "次へ（右矢印）", "-", "閉じる",
                                 "編集", "左回りに回転", "右回りに回転", "-", "削除（Del）"}));
    EXPECT_EQ(Viewer.ClientSize(), QSize(300, 300));
}

TEST_F(PhotoViewerTest, ShowsReducedCopyAtNaturalSizeWithMargins) {
    TPhoto* photo = Photo(QStringLiteral("IMG_1.JPG"), 600, 450);
    Viewer.show();
    Viewer.ShowPhoto(photo);
    EXPECT_EQ(Viewer.CurrentPhoto, photo);
    EXPECT_EQ(Viewer.ClientSize(), QSize(620, 470));
    EXPECT_EQ(Viewer.TurboImage1->geometry(), QRect(10, 10, 600, 450));
    EXPECT_EQ(Viewer.TurboImage1->Picture().Size(), QSize(600, 450));
    EXPECT_FALSE(Viewer.TurboImage2->isVisible());
}

TEST_F(PhotoViewerTest, QuarterTurnRewritesReducedCopyAndThumbnail) {
    struct TCase {
        const char* Name;
        void (TForm32::*Command)();
        TCorner TopLeftFrom;  // the original corner that the turned top-left shows
    };
    const TCase cases[] = {
        {"left", &TForm32::N2Click, TopRight},
        {"right", &TForm32::N3Click, BottomLeft},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TPhoto* photo = Photo(QString::fromLatin1(c.Name) + QStringLiteral(".JPG"), 600, 450);
        Viewer.show();
        Viewer.ShowPhoto(photo);
        // The turn starts from the file, not from what the window shows.
        Viewer.resize(900, 900);
        (Viewer.*c.Command)();

        EXPECT_EQ(Reduced(photo).size(), QSize(450, 600));
        EXPECT_EQ(CornerAt(Reduced(photo), TopLeft), c.TopLeftFrom);
        EXPECT_EQ(Thumbnail(photo).size(), QSize(98, 130));
        EXPECT_EQ(CornerAt(Thumbnail(photo), TopLeft), c.TopLeftFrom);
        EXPECT_EQ(QSize(photo->Thumbnail.Width(), photo->Thumbnail.Height()), QSize(98, 130));
        EXPECT_TRUE(photo->ThumbnailLoaded);
        EXPECT_EQ(Viewer.ClientSize(), QSize(470, 620));
        EXPECT_EQ(Viewer.TurboImage1->geometry(), QRect(10, 10, 450, 600));
    }
    EXPECT_TRUE(Dialogs.Messages().isEmpty());
}

TEST_F(PhotoViewerTest, FourTurnsGiveBackTheOrientation) {
    TPhoto* photo = Photo(QStringLiteral("IMG_1.JPG"), 300, 200);
    const QByteArray original = Folder.ReadFile(QStringLiteral("data/photo/20240501/IMG_1.JPG"));
    Viewer.show();
    Viewer.ShowPhoto(photo);
    for (int i = 0; i < 4; ++i)
        Viewer.N3Click();
    EXPECT_EQ(Reduced(photo).size(), QSize(300, 200));
    for (int corner = TopLeft; corner <= BottomRight; ++corner)
        EXPECT_EQ(CornerAt(Reduced(photo), TCorner(corner)), corner);
    EXPECT_EQ(Viewer.ClientSize(), QSize(320, 220));
    EXPECT_EQ(Folder.ReadFile(QStringLiteral("data/photo/20240501/IMG_1.JPG")), original)
        << "the full-size file is never touched";
}

TEST_F(PhotoViewerTest, PictureStretchesWithTheWindowUntilTheNextShow) {
    TPhoto* photo = Photo(QStringLiteral("IMG_1.JPG"), 200, 100);
    Viewer.show();
    Viewer.ShowPhoto(photo);
    Viewer.SetClientSize(400, 300);
    EXPECT_EQ(Viewer.TurboImage1->geometry(), QRect(10, 10, 380, 280));
    Viewer.ShowPhoto(photo);
    EXPECT_EQ(Viewer.TurboImage1->geometry(), QRect(10, 10, 200, 100));
    EXPECT_EQ(Viewer.ClientSize(), QSize(220, 120));
}

TEST_F(PhotoViewerTest, UnreadableReducedCopyKeepsThePictureShown) {
    TPhoto* shown = Photo(QStringLiteral("IMG_1.JPG"), 200, 100);
    TPhoto* broken = Photo(QStringLiteral("IMG_2.JPG"), 100, 200);
    Folder.WriteFile(QStringLiteral("data/photo/20240501/reduce/IMG_2.JPG"), "not a jpeg");
    Viewer.show();
    Viewer.ShowPhoto(shown);
    EXPECT_THROW(Viewer.ShowPhoto(broken), Exception);
    EXPECT_EQ(Viewer.CurrentPhoto, broken);
    EXPECT_EQ(Viewer.TurboImage1->Picture().Size(), QSize(200, 100));
    EXPECT_EQ(Viewer.ClientSize(), QSize(220, 120));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(PhotoViewerTest, FailedThumbnailWriteKeepsTheRecordsThumbnail) {
    TPhoto* photo = Photo(QStringLiteral("IMG_1.JPG"), 600, 450);
    // A folder where the thumbnail should be cannot be replaced by a file.
    QDir().remove(photo->ThumbnailDir() + photo->FileName);
    QDir().mkpath(photo->ThumbnailDir() + photo->FileName);
    Viewer.show();
    Viewer.ShowPhoto(photo);
    EXPECT_THROW(Viewer.N2Click(), Exception);
    EXPECT_EQ(Reduced(photo).size(), QSize(450, 600)) << "the reduced copy was turned";
    EXPECT_EQ(QSize(photo->Thumbnail.Width(), photo->Thumbnail.Height()), QSize(130, 98));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(PhotoViewerTest, ClosingHidesAndLetsGoOfThePicture) {
    TPhoto* photo = Photo(QStringLiteral("IMG_1.JPG"), 200, 100);
    Viewer.show();
    Viewer.ShowPhoto(photo);
    Viewer.N10->trigger();
    EXPECT_FALSE(Viewer.isVisible());
    EXPECT_TRUE(Viewer.TurboImage1->Picture().IsEmpty());
    EXPECT_EQ(Viewer.CurrentPhoto, photo);
}

}  // namespace
