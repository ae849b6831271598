#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QPushButton>
#include <functional>

#include "app/Unit32.h"
#include "app/Unit37.h"
#include "app/ViewerAlbum.h"
#include "imaging/TurboImg.h"
#include "model/KavroUtils.h"
#include "tests/app/PhotoFixture.h"
#include "tests/support/ScriptedDialogs.h"

using namespace PhotoFixture;

namespace {

QSize SizeOf(const TBitmap& bitmap) {
    return {bitmap.Width(), bitmap.Height()};
}

class PhotoViewerTest : public ::testing::Test {
protected:
    TPhoto* Photo(const QString& name, int width, int height) {
        const QString dir = WritePhoto(Folder, QStringLiteral("data/photo/"),
                                       QStringLiteral("20240501"), name, width, height);
        Photos.push_back(std::make_unique<TPhoto>());
        Photos.back()->InitFromFile(dir, name, false, true);
        return Photos.back().get();
    }
    static QImage Reduced(const TPhoto* photo) {
        return ReadJpeg(photo->ReducedDir() + photo->FileName);
    }

    TTestFolder Folder;
    TScriptedDialogs Dialogs;
    std::vector<std::unique_ptr<TPhoto>> Photos;
    TForm32 Viewer;
};

TEST_F(PhotoViewerTest, ShowsTheReducedCopyAtNaturalSizeUntilClosed) {
    EXPECT_EQ(Viewer.ClientSize(), QSize(300, 300));
    TPhoto* photo = Photo(QStringLiteral("IMG_1.JPG"), 600, 450);
    Viewer.show();
    Viewer.ShowPhoto(photo);
    EXPECT_EQ(Viewer.ClientSize(), QSize(620, 470));
    EXPECT_EQ(Viewer.TurboImage1->geometry(), QRect(10, 10, 600, 450));
    EXPECT_EQ(Viewer.TurboImage1->Picture().Size(), QSize(600, 450));

    // Resizing stretches the picture with the window; the next show restores the natural size.
    Viewer.SetClientSize(800, 500);
    EXPECT_EQ(Viewer.TurboImage1->geometry(), QRect(10, 10, 780, 480));
    Viewer.ShowPhoto(photo);
    EXPECT_EQ(Viewer.TurboImage1->geometry(), QRect(10, 10, 600, 450));

    Viewer.N10->trigger();
    EXPECT_FALSE(Viewer.isVisible());
    EXPECT_TRUE(Viewer.TurboImage1->Picture().IsEmpty());
    EXPECT_EQ(Viewer.CurrentPhoto, photo);
}

TEST_F(PhotoViewerTest, QuarterTurnRewritesReducedCopyAndThumbnail) {
    const struct {
        const char* Name;
        QAction* TForm32::*Command;
        TCorner TopLeftFrom;  // the original corner that the turned top-left shows
    } cases[] = {{"left", &TForm32::N2, TopRight}, {"right", &TForm32::N3, BottomLeft}};
    Viewer.show();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TPhoto* photo = Photo(QString::fromLatin1(c.Name) + QStringLiteral(".JPG"), 600, 450);
        Viewer.ShowPhoto(photo);
        Viewer.SetClientSize(900, 900);  // the turn starts from the file, not from the window
        (Viewer.*c.Command)->trigger();

        const QImage thumbnail = ReadJpeg(photo->ThumbnailDir() + photo->FileName);
        EXPECT_EQ(Reduced(photo).size(), QSize(450, 600));
        EXPECT_EQ(CornerAt(Reduced(photo), TopLeft), c.TopLeftFrom);
        EXPECT_EQ(thumbnail.size(), QSize(98, 130));
        EXPECT_EQ(CornerAt(thumbnail, TopLeft), c.TopLeftFrom);
        EXPECT_EQ(SizeOf(photo->Thumbnail), QSize(98, 130));
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
    for (int corner = TopLeft; corner <= BottomRight; ++corner)
        EXPECT_EQ(CornerAt(Reduced(photo), TCorner(corner)), corner);
    EXPECT_EQ(Viewer.ClientSize(), QSize(320, 220));
    EXPECT_EQ(Folder.ReadFile(QStringLiteral("data/photo/20240501/IMG_1.JPG")), original);
}

TEST_F(PhotoViewerTest, UnreadableReducedCopyKeepsThePictureShown) {
    TPhoto* shown = Photo(QStringLiteral("IMG_1.JPG"), 200, 100);
    TPhoto* broken = Photo(QStringLiteral("IMG_2.JPG"), 100, 200);
    Folder.WriteFile(QStringLiteral("data/photo/20240501/reduce/IMG_2.JPG"), "not a jpeg");
    Viewer.show();
    Viewer.ShowPhoto(shown);
    // The message says which file could not be read, as the import's report does.
    const QString reduced = broken->ReducedDir() + broken->FileName;
    const auto messageOf = [&](const std::function<void()>& command) {
        try {
            command();
        } catch (const Exception& error) {
            return error.Message();
        }
        return QString();
    };
    for (const auto& command : {std::function<void()>([&] { Viewer.ShowPhoto(broken); }),
                                std::function<void()>([&] { Viewer.N3Click(); })}) {
        const QString message = messageOf(command);
        EXPECT_TRUE(message.startsWith(
            reduced + QStringLiteral("：JPEG 画像として読み込めません。JPEG エラー #")))
            << message.toStdString();
    }
    EXPECT_EQ(Folder.ReadFile(QStringLiteral("data/photo/20240501/reduce/IMG_2.JPG")),
              "not a jpeg");
    EXPECT_EQ(Viewer.CurrentPhoto, broken);
    EXPECT_EQ(Viewer.TurboImage1->Picture().Size(), QSize(200, 100));
    EXPECT_EQ(Viewer.ClientSize(), QSize(220, 120));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(PhotoViewerTest, FailedThumbnailWriteKeepsBothCopiesAndTheRecordsThumbnail) {
    TPhoto* photo = Photo(QStringLiteral("IMG_1.JPG"), 600, 450);
    // A folder in the thumbnail's place cannot be replaced by a file.
    QDir().remove(photo->ThumbnailDir() + photo->FileName);
    QDir().mkpath(photo->ThumbnailDir() + photo->FileName);
    Viewer.show();
    Viewer.ShowPhoto(photo);
    Viewer.SetClientSize(900, 900);
    EXPECT_THROW(Viewer.N2Click(), EWriteError);
    EXPECT_EQ(Reduced(photo).size(), QSize(600, 450)) << "not turned without its thumbnail";
    EXPECT_EQ(Viewer.TurboImage1->Picture().Size(), QSize(600, 450)) << "as the copy on disk";
    EXPECT_EQ(Viewer.ClientSize(), QSize(620, 470));
    EXPECT_EQ(SizeOf(photo->Thumbnail), QSize(130, 98));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// An album that only answers and records: the viewer needs nothing of the main window.
class TStubAlbum : public TViewerAlbum {
public:
    std::vector<TPhoto*> Photos;
    int Row = 0;
    QStringList Calls;

    TPhoto* GetCurrentPhoto() override { return Photos.empty() ? nullptr : Photos[size_t(Row)]; }
    TPhoto* SelectPreviousPhoto() override { return Step(-1); }
    TPhoto* SelectNextPhoto() override { return Step(+1); }
    qsizetype PhotoCount() const override { return qsizetype(Photos.size()); }
    void RefreshGridCells() override { Calls.append(QStringLiteral("refresh")); }
    void DeletePhoto(TPhoto* photo) override {
        Calls.append(QStringLiteral("delete ") + photo->FileName);
        Photos.erase(Photos.begin() + Row);
        Row = std::min<int>(Row, int(Photos.size()) - 1);
    }
    QWidget* AlbumWindow() override { return nullptr; }

private:
    TPhoto* Step(int by) {
        const int row = Row + by;
        if (row < 0 || row >= int(Photos.size()))
            return nullptr;
        Row = row;
        return Photos[size_t(row)];
    }
};

TEST_F(PhotoViewerTest, StepsTurnsAndDeletesThroughTheAlbumItFollows) {
    TStubAlbum album;
    album.Photos = {Photo(QStringLiteral("a.JPG"), 60, 45), Photo(QStringLiteral("b.JPG"), 45, 60)};
    Viewer.AlbumPage = &album;
    Viewer.show();
    Viewer.ShowPhoto(album.GetCurrentPhoto());
    const struct {
        QAction* TForm32::*Command;
        int Row;
    } steps[] = {{&TForm32::N9, 0}, {&TForm32::N8, 1}, {&TForm32::N8, 1}, {&TForm32::N9, 0}};
    for (const auto& step : steps) {
        (Viewer.*step.Command)->trigger();
        EXPECT_EQ(album.Row, step.Row);
        EXPECT_EQ(Viewer.CurrentPhoto, album.GetCurrentPhoto());
    }
    EXPECT_EQ(Viewer.TurboImage1->Picture().Size(), QSize(60, 45));

    Viewer.N3->trigger();
    EXPECT_EQ(album.Calls, QStringList{QStringLiteral("refresh")}) << "the row shows the turn";

    // Deleting shows the photo the album selects next; the last one closes the viewer.
    for (const char* name : {"a.JPG", "b.JPG"}) {
        Dialogs.DriveModalNext<TForm37>([](TForm37& d) { d.Button1->click(); });
        Viewer.Del1->trigger();
        EXPECT_EQ(album.Calls.last(), QStringLiteral("delete ") + QLatin1String(name));
    }
    EXPECT_EQ(album.Calls.size(), 3);
    EXPECT_FALSE(Viewer.isVisible());
    EXPECT_TRUE(Dialogs.Messages().isEmpty());
}

}  // namespace
