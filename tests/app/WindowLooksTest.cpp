#include <gtest/gtest.h>

#include <QComboBox>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

#include "app/Unit31.h"
#include "app/Unit32.h"
#include "app/Unit33.h"
#include "app/Unit37.h"
#include "app/Unit38.h"
#include "controls/StringGrid1.h"
#include "controls/WindowPlacement.h"
#include "imaging/TurboImg.h"
#include "model/KavroUtils.h"
#include "tests/app/PhotoFixture.h"
#include "tests/support/ScriptedDialogs.h"

using namespace PhotoFixture;

namespace {

const QString Dated = QStringLiteral("20240701");

class WindowLooks : public ::testing::Test {
protected:
    // A photo whose thumbnail is a solid red picture of the given size.
    void AddPhoto(const QString& name, QSize thumbnail) {
        const QString dir = QStringLiteral("data/photo/") + Dated + u'/';
        const QByteArray reduced = TJpegBuilder(60, 45).Encode();
        Folder.WriteFile(dir + name, reduced);
        Folder.WriteFile(dir + QStringLiteral("reduce/") + name, reduced);
        Folder.WriteFile(
            dir + QStringLiteral("thumbnail/") + name,
            TJpegBuilder(thumbnail.width(), thumbnail.height()).Solid(220, 0, 0).Encode());
    }
    TForm31& Start() {
        Form = std::make_unique<TForm31>();
        Form->Form32 = &Viewer;
        Viewer.AlbumPage = Form.get();
        Form->show();
        Form->PageControl1->setCurrentWidget(Form->TabSheet2);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
        return *Form;
    }
    QRect TabsOnScreen() const {
        const QTabBar* bar = Form->PageControl1->tabBar();
        return QRect(bar->mapToGlobal(QPoint(0, 0)), bar->size());
    }

    TTestFolder Folder;
    TScriptedDialogs Dialogs;
    TForm32 Viewer;
    std::unique_ptr<TForm31> Form;
};

bool Reddish(QRgb pixel) {
    return qRed(pixel) > 150 && qGreen(pixel) < 90 && qBlue(pixel) < 90;
}

TEST_F(WindowLooks, OversizedThumbnailStaysInItsCell) {
    AddPhoto(QStringLiteral("big.JPG"), QSize(400, 400));
    AddPhoto(QStringLiteral("next.JPG"), QSize(130, 98));
    TForm31& form = Start();
    ASSERT_EQ(form.Album->PhotoList().Count(), 2);
    TMyStringGrid* grid = form.StringGrid1;
    const QImage painted = grid->viewport()->grab().toImage();
    const QRect thumbnailCell = grid->visualRect(grid->model()->index(0, 1));
    const QRect textCell = grid->visualRect(grid->model()->index(0, 2));
    const QRect belowCell = grid->visualRect(grid->model()->index(1, 1));
    ASSERT_TRUE(Reddish(painted.pixel(thumbnailCell.center()))) << "the thumbnail is drawn";
    const struct {
        const char* Name;
        QPoint At;
    } outside[] = {
        {"text column beside it", QPoint(textCell.left() + 60, textCell.top() + 100)},
        {"next row's thumbnail cell", QPoint(belowCell.right() - 3, belowCell.top() + 60)},
        {"next row's text", QPoint(textCell.left() + 30, belowCell.top() + 120)},
    };
    for (const auto& o : outside)
        EXPECT_FALSE(Reddish(painted.pixel(o.At))) << o.Name;
}

TEST_F(WindowLooks, RowNumberStaysOnOneLine) {
    AddPhoto(QStringLiteral("p.JPG"), QSize(130, 98));
    TForm31& form = Start();
    TMyStringGrid* grid = form.StringGrid1;
    const QRect cell = grid->visualRect(grid->model()->index(0, 0));
    const int lineHeight = QFontMetrics(grid->font()).height();
    for (const char* number : {"1000", "10000", "100000"}) {
        grid->SetCells(0, 0, QString::fromLatin1(number));
        const QImage painted = grid->viewport()->grab(cell).toImage();
        // The row is selected: the text is whatever differs from the cell's background.
        const int background = qGray(painted.pixel(painted.width() - 2, painted.height() - 2));
        int lastInk = -1;
        for (int y = 0; y < painted.height(); ++y)
            for (int x = 0; x < painted.width(); ++x)
                if (qAbs(qGray(painted.pixel(x, y)) - background) > 100)
                    lastInk = y;
        ASSERT_GE(lastInk, 0) << number;
        EXPECT_LT(lastInk, 2 + lineHeight) << number;
    }
}

TEST_F(WindowLooks, ViewerFirstBesideTheMainWindowThenWhereItWasLeft) {
    TForm31& form = Start();
    const QRect screen = form.screen()->availableGeometry();
    form.move(screen.topLeft());
    QApplication::processEvents();
    Viewer.show();
    QApplication::processEvents();
    EXPECT_FALSE(Viewer.frameGeometry().intersects(TabsOnScreen()));
    for (const QWidget* command : std::initializer_list<const QWidget*>{
             form.ComboBox2, form.ComboBox3, form.ComboBox1, form.BitBtn2, form.BitBtn10}) {
        EXPECT_FALSE(Viewer.frameGeometry().intersects(
            QRect(command->mapToGlobal(QPoint(0, 0)), command->size())))
            << command->objectName().toStdString();
    }
    EXPECT_TRUE(screen.contains(Viewer.frameGeometry()));

    const QSize frame = Viewer.frameGeometry().size();
    const struct {
        const char* Name;
        QPoint MovedTo;
        QPoint Expected;
    } cases[] = {
        {"where it was put", screen.topLeft() + QPoint(40, 90), screen.topLeft() + QPoint(40, 90)},
        {"past the corner: back on the screen", screen.bottomRight() - QPoint(20, 20),
         screen.bottomRight() + QPoint(1, 1) - QPoint(frame.width(), frame.height())},
    };
    for (const auto& c : cases) {
        Viewer.move(c.MovedTo);
        QApplication::processEvents();
        Viewer.N10->trigger();
        ASSERT_FALSE(Viewer.isVisible());
        Viewer.show();
        QApplication::processEvents();
        EXPECT_EQ(Viewer.pos(), c.Expected) << c.Name;
    }
}

TEST(WindowLooksDialogs, ThumbnailsKeepTheirShapeCentredInTheirBox) {
    const struct {
        const char* Name;
        QSize Thumbnail;
        QRect InBox;  // relative to the box's top left corner
    } cases[] = {
        {"portrait", QSize(98, 130), QRect(16, 0, 98, 130)},
        {"landscape", QSize(130, 65), QRect(0, 32, 130, 65)},
        {"small: its own size", QSize(40, 30), QRect(45, 50, 40, 30)},
        {"too large: shrunk", QSize(260, 200), QRect(0, 15, 130, 100)},
        {"none", QSize(), QRect(0, 0, 130, 130)},
    };
    for (const auto& c : cases) {
        TPhoto photo;
        if (c.Thumbnail.isValid()) {
            QImage picture(c.Thumbnail, QImage::Format_RGB32);
            picture.fill(Qt::green);
            photo.Thumbnail = TBitmap::FromImage(picture);
        }
        TForm37 deleteDialog;
        deleteDialog.Photo = &photo;
        deleteDialog.show();
        TForm38 tagDialog;
        tagDialog.Photo = &photo;
        tagDialog.show();
        EXPECT_EQ(deleteDialog.TurboImage2->geometry(), c.InBox.translated(102, 51)) << c.Name;
        EXPECT_EQ(tagDialog.TurboImage2->geometry(), c.InBox.translated(120, 24)) << c.Name;
    }
}

TEST_F(WindowLooks, OneFamilyForLatinAndJapaneseText) {
    TForm31& form = Start();
    TForm37 deleteDialog;
    TForm38 tagDialog;
    TForm33 settings;
    const std::pair<const char*, const QWidget*> controls[] = {
        {"album grid", form.StringGrid1},
        {"folder combo", form.ComboBox2},
        {"folder label", form.Label3},
        {"filter combo", form.ComboBox1},
        {"delete question", deleteDialog.Label1},
        {"delete yes", deleteDialog.Button1},
        {"tag edit", tagDialog.Edit1},
        {"tag example", tagDialog.Label2},
        {"tag OK", tagDialog.Button1},
        {"folder list", settings.StringGrid1},
        {"settings close", settings.Button3},
    };
    for (const auto& [name, control] : controls) {
        EXPECT_EQ(QFontInfo(control->font()).family(), TextFamily()) << name;
        const QFontMetrics metrics(control->font());
        for (const char32_t c : {U'1', U'a', U'フ', U'：'})
            EXPECT_TRUE(metrics.inFontUcs4(c)) << name;
    }
}

// Pairs of controls shown on the album page that lie on one another.
QStringList Overlaps(const QWidget* page, const QWidget* under) {
    QList<const QWidget*> shown;
    for (const QWidget* child : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isVisibleTo(page) && child != under)
            shown.append(child);
    }
    QStringList pairs;
    for (qsizetype i = 0; i < shown.size(); ++i)
        for (qsizetype j = i + 1; j < shown.size(); ++j)
            if (shown[i]->geometry().intersects(shown[j]->geometry()))
                pairs.append(shown[i]->objectName() + u'/' + shown[j]->objectName());
    return pairs;
}

TEST_F(WindowLooks, AtTheSmallestSizeNoControlLiesOnAnother) {
    AddPhoto(QStringLiteral("p.JPG"), QSize(130, 98));
    TForm31& form = Start();
    form.resize(1, 1);
    QApplication::processEvents();
    ASSERT_LT(form.width(), 738) << "the window can be made narrower than it starts";
    for (const int mode : {0, 1, 2}) {
        form.ComboBox3->setCurrentIndex(mode);
        form.ComboBox3Change();
        // The grey line lies under the header's buttons on purpose.
        EXPECT_EQ(Overlaps(form.TabSheet2, form.Shape2), QStringList()) << mode;
        for (const QWidget* control :
             form.TabSheet2->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (control->isVisibleTo(form.TabSheet2) && control != form.Shape2) {
                EXPECT_TRUE(form.TabSheet2->rect().contains(control->geometry()))
                    << mode << ' ' << control->objectName().toStdString();
            }
        }
        EXPECT_GE(form.StringGrid1->viewport()->height(), form.StringGrid1->RowHeights(0))
            << mode << ": one whole row in sight";
    }
}

TEST_F(WindowLooks, AnEmptyFolderListShowsNoSelectedRow) {
    const struct {
        const char* Name;
        QStringList Folders;
        int Removals;
        bool Selected;
    } cases[] = {
        {"empty from the start", {}, 0, false},
        {"emptied by a removal", {"/a"}, 1, false},
        {"one folder", {"/a"}, 0, true},
    };
    for (const auto& c : cases) {
        TPhotoSetting setting;
        TPhotoSaveDirList folders;
        for (const QString& path : c.Folders)
            folders.Add(
                std::make_unique<TPhotoSaveDir>(TPhotoSaveDir{qint32(folders.Count() + 1), path}));
        TForm33 dialog;
        dialog.PhotoSetting = &setting;
        dialog.SaveDirList = &folders;
        dialog.show();
        for (int i = 0; i < c.Removals; ++i) {
            Dialogs.AnswerNext(Dialogs::TMsgResult::Yes);
            dialog.Button5->click();
        }
        QTableWidget* grid = dialog.StringGrid1;
        EXPECT_EQ(grid->selectionModel()->selectedIndexes().isEmpty(), !c.Selected) << c.Name;
        const QRect row = grid->visualRect(grid->model()->index(0, 0));
        const QColor seen = grid->viewport()->grab(row).toImage().pixelColor(row.width() - 20, 5);
        const QColor highlight = grid->palette().color(QPalette::Active, QPalette::Highlight);
        const QColor inactive = grid->palette().color(QPalette::Inactive, QPalette::Highlight);
        EXPECT_EQ(seen == highlight || seen == inactive, c.Selected) << c.Name;
        EXPECT_EQ(grid->currentRow(), 0) << c.Name << ": the buttons still have a row to act on";
    }
}

}  // namespace
