#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDate>
#include <QFile>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "app/Unit31.h"
#include "app/Unit32.h"
#include "controls/StringGrid1.h"
#include "platform/Cp932.h"
#include "tests/support/ExifBuilder.h"
#include "tests/support/JpegBuilder.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TestFolder.h"

namespace {

const QString Dated = QStringLiteral("20240701");

QByteArray FullSize(const QByteArray& shot) {
    TExifBuilder exif;
    exif.Ascii(TExifDir::Exif, 0x9003, shot);
    exif.Ascii(TExifDir::Ifd0, 0x0132, "2024:07:02 10:00:00");
    return JpegBytes::Jpeg({exif.App1()});
}

// An EXIF block in a file that ends before any frame header: the reader raises.
QByteArray BrokenFullSize() {
    return QByteArray("\xFF\xD8", 2) + TExifBuilder().Ascii(TExifDir::Ifd0, 0x0132, "x").App1() +
           QByteArray("\xFF\xD9", 2);
}

QStringList ComboTexts(const QComboBox* combo) {
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts.append(combo->itemText(i));
    return texts;
}

class AlbumTest : public ::testing::Test {
protected:
    QString SaveDir() const { return Folder.Path() + QStringLiteral("data/photo/"); }
    QString DatedPath(const QString& dir = Dated) const { return SaveDir() + dir + u'/'; }
    // A photo's full-size file, reduced copy of 60 x 45 and green thumbnail of 40 x 30.
    void AddPhoto(const QString& name, const QString& dir = Dated,
                  const QByteArray& fullSize = FullSize("2024:07:01 09:00:00")) {
        const QString base = QStringLiteral("data/photo/") + dir + u'/';
        Folder.WriteFile(base + name, fullSize);
        Folder.MakeDir(base + QStringLiteral("reduce"));
        TJpegBuilder(60, 45).WriteTo(DatedPath(dir) + "reduce/" + name);
        Folder.MakeDir(base + QStringLiteral("thumbnail"));
        TJpegBuilder(40, 30).Solid(0, 200, 0).WriteTo(DatedPath(dir) + "thumbnail/" + name);
    }
    void WriteStore(const char* file, const QString& entries) {
        Folder.WriteFile(QStringLiteral("data/photo/") + QString::fromLatin1(file),
                         "<?xml version=\"1.0\" encoding=\"SHIFT-JIS\"?><data>" +
                             Cp932::Encode(entries) + "</data>");
    }
    // The main window as the program shows it, on the album tab.
    TForm31& Start() {
        Form = std::make_unique<TForm31>();
        Form->Form32 = &Viewer;
        Form->show();
        Form->PageControl1->setCurrentWidget(Form->TabSheet2);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
        return *Form;
    }
    void ChooseMode(int mode) {
        Form->ComboBox3->setCurrentIndex(mode);
        Form->ComboBox3Change();
    }
    // Paints the grid's rows in view, as a paint event does.
    QImage Paint() { return Form->StringGrid1->viewport()->grab().toImage(); }
    TPhoto* Photo(int row) const { return Form->PhotoOfRow(row); }
    QRect CellRect(int col, int row) const {
        return Form->StringGrid1->visualRect(Form->StringGrid1->model()->index(row, col));
    }

    TTestFolder Folder;
    TScriptedDialogs Dialogs;
    TForm32 Viewer;
    std::unique_ptr<TForm31> Form;
};

TEST_F(AlbumTest, ControlsOfThePage) {
    {
        const TForm31 created;
        EXPECT_TRUE(created.BitBtn7->isHidden());
        EXPECT_TRUE(created.BitBtn4->isHidden());
    }
    TForm31& form = Start();
    const QWidget* page = form.TabSheet2;
    struct TButton {
        const char* Name;
        const char* Hint;
        bool Shown;
    };
    const TButton buttons[] = {{"BitBtn2", "写真を表示", true},
                               {"BitBtn7", "お気に入りに設定", true},
                               {"BitBtn4", "お気に入り解除", false},
                               {"BitBtn8", "タグ", true},
                               {"BitBtn10", "写真を削除", true}};
    for (const TButton& b : buttons) {
        auto* button = form.findChild<QToolButton*>(QString::fromLatin1(b.Name));
        ASSERT_NE(button, nullptr) << b.Name;
        EXPECT_EQ(button->toolTip(), QString::fromUtf8(b.Hint)) << b.Name;
        EXPECT_EQ(button->size(), QSize(38, 38)) << b.Name;
        EXPECT_EQ(button->y(), 42) << b.Name;
        EXPECT_FALSE(button->icon().isNull()) << b.Name;
        EXPECT_EQ(button->focusPolicy(), Qt::NoFocus) << b.Name;
        EXPECT_EQ(button->isVisibleTo(page), b.Shown) << b.Name;
    }
    // Anchored to the right edge, in a row, the two star buttons on one spot.
    EXPECT_EQ(form.BitBtn10->geometry().right(), page->width() - 4);
    EXPECT_EQ(form.BitBtn7->pos(), form.BitBtn4->pos());
    EXPECT_EQ(form.BitBtn8->x() - form.BitBtn7->x(), 38);
    EXPECT_EQ(form.BitBtn7->x() - form.BitBtn2->x(), 38);

    EXPECT_EQ(ComboTexts(form.ComboBox3), (QStringList{"写真リスト", "タグ", "お気に入り"}));
    EXPECT_EQ(form.ComboBox3->currentIndex(), 0);
    EXPECT_EQ(form.ComboBox3->geometry().topLeft(), QPoint(3, 46));
    EXPECT_EQ(form.ComboBox1->geometry().topLeft(), QPoint(154, 46));
    EXPECT_EQ(form.ComboBox1->maxVisibleItems(), 12);

    TMyStringGrid* grid = form.StringGrid1;
    EXPECT_EQ(grid->geometry(), QRect(0, 82, page->width(), page->height() - 82));
    EXPECT_EQ(grid->ColCount(), 3);
    EXPECT_EQ(grid->RowCount(), 1);
    EXPECT_TRUE(grid->WordWrap());
    EXPECT_FALSE(grid->Editing());
    EXPECT_EQ(grid->font().pixelSize(), 15);
    EXPECT_EQ(grid->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(grid->ColWidths(0), 40);
    EXPECT_EQ(grid->ColWidths(1), 140);
    EXPECT_EQ(grid->ColWidths(2), form.frameGeometry().width() - 40 - 140 - 60);
    EXPECT_EQ(grid->RowHeights(0), 140);
    EXPECT_EQ(form.N1->text(), QStringLiteral("ファイル名をコピー（オリジナル）"));
    EXPECT_EQ(form.N2->text(), QStringLiteral("ファイル名をコピー（縮小）"));
    EXPECT_EQ(QApplication::focusWidget(), grid);

    form.resize(900, 700);
    EXPECT_EQ(grid->ColWidths(2), form.frameGeometry().width() - 240);
    EXPECT_EQ(form.BitBtn10->geometry().right(), page->width() - 4);
}

TEST_F(AlbumTest, FolderFilterIsNumericWithTheNewestChosen) {
    for (const char* dir : {"20240102", "202401", "abc", "20231231"})
        Folder.MakeDir(QStringLiteral("data/photo/") + QString::fromLatin1(dir));
    AddPhoto(QStringLiteral("p.JPG"), QStringLiteral("20240102"));
    TForm31& form = Start();
    EXPECT_EQ(ComboTexts(form.ComboBox1),
              (QStringList{"abc", "2024年01月", "2023年12月31日", "2024年01月02日"}));
    EXPECT_EQ(form.ComboBox1->currentIndex(), 3);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the hourglass is gone";
    ASSERT_EQ(form.Album->PhotoList().Count(), 1);
    EXPECT_EQ(form.StringGrid1->Cells(0, 0), QStringLiteral("1"));
}

TEST_F(AlbumTest, TagFilterOrderAndModes) {
    AddPhoto(QStringLiteral("a.JPG"));
    AddPhoto(QStringLiteral("b.JPG"));
    WriteStore("tag.xml", QStringLiteral("<tag><folder>20240701</folder><file>a.JPG</file>"
                                         "<val>b,トマト,A</val></tag><tag><folder>20240701"
                                         "</folder><file>b.JPG</file><val>B2,c</val></tag>"));
    WriteStore("okini.xml", QStringLiteral("<okiniiri><folder>20240701</folder><file>b.JPG"
                                           "</file></okiniiri>"));
    TForm31& form = Start();
    ASSERT_EQ(form.Album->PhotoTagList().Count(), 2) << "the store's format";

    struct TMode {
        int Mode;
        bool Filter, Star, Tag;
    };
    const TMode modes[] = {{1, true, true, false}, {2, false, false, true}, {0, true, true, true}};
    for (const TMode& m : modes) {
        ChooseMode(m.Mode);
        EXPECT_EQ(form.ComboBox1->isVisibleTo(form.TabSheet2), m.Filter) << m.Mode;
        // Row 0 is a.JPG in modes 0 and 1: not a favourite, so the grey star shows.
        EXPECT_EQ(form.BitBtn7->isVisibleTo(form.TabSheet2), m.Star) << m.Mode;
        EXPECT_FALSE(form.BitBtn4->isVisibleTo(form.TabSheet2)) << m.Mode;
        EXPECT_EQ(form.BitBtn8->isVisibleTo(form.TabSheet2), m.Tag) << m.Mode;
        EXPECT_TRUE(form.BitBtn2->isVisibleTo(form.TabSheet2));
        EXPECT_TRUE(form.BitBtn10->isVisibleTo(form.TabSheet2));
        if (m.Mode == 1) {
            EXPECT_EQ(ComboTexts(form.ComboBox1), (QStringList{"A", "b", "B2", "c", "トマト"}));
            EXPECT_EQ(form.ComboBox1->currentIndex(), 0);
            ASSERT_EQ(form.Album->PhotoList().Count(), 1);
            EXPECT_EQ(Photo(0)->FileName, QStringLiteral("a.JPG"));
        }
        if (m.Mode == 2) {
            ASSERT_EQ(form.Album->PhotoList().Count(), 1);
            EXPECT_TRUE(Photo(0)->Favourite);
            EXPECT_EQ(Photo(0)->Tags, QStringLiteral("B2,c"));
        }
    }
    // The favourite in row 1 turns the star buttons round.
    form.StringGrid1->SetRow(1);
    EXPECT_FALSE(form.BitBtn7->isVisibleTo(form.TabSheet2));
    EXPECT_TRUE(form.BitBtn4->isVisibleTo(form.TabSheet2));
    EXPECT_TRUE(form.StringGrid1->Cells(2, 1).endsWith(QStringLiteral("タグ：B2,c")));
}

TEST_F(AlbumTest, EmptyTagModeShowsOneBlankRow) {
    AddPhoto(QStringLiteral("a.JPG"));
    TForm31& form = Start();
    ChooseMode(1);
    EXPECT_EQ(form.ComboBox1->count(), 0);
    EXPECT_EQ(form.StringGrid1->RowCount(), 1);
    EXPECT_EQ(Photo(0), nullptr);
    EXPECT_TRUE(form.StringGrid1->Cells(2, 0).isEmpty());
    // The blank row is not drawn as a selected photo.
    EXPECT_FALSE(form.StringGrid1->selectionModel()->hasSelection());
    EXPECT_EQ(form.GetCurrentPhoto(), nullptr);
    EXPECT_EQ(form.SelectNextPhoto(), nullptr);
}

TEST_F(AlbumTest, EachPhotoIsReadOnceWhenItsRowIsFirstDrawn) {
    for (int i = 0; i < 9; ++i)
        AddPhoto(QStringLiteral("p%1.JPG").arg(i));
    TForm31& form = Start();
    ASSERT_EQ(form.Album->PhotoList().Count(), 9);
    const QImage first = Paint();
    EXPECT_EQ(Paint(), first) << "the first paint of a row already shows its dates";
    EXPECT_EQ(Photo(0)->ShotDate, QStringLiteral("2024:07:01 09:00:00"));
    EXPECT_TRUE(Photo(0)->ThumbnailLoaded);
    EXPECT_TRUE(form.StringGrid1->Cells(2, 0).contains(QStringLiteral("撮影日：2024:07:01")));
    EXPECT_TRUE(Photo(8)->NeedsExif() && Photo(8)->NeedsThumbnail()) << "row out of view";

    // Once read, a row draws from what it holds, whatever became of the files.
    QFile::remove(DatedPath() + QStringLiteral("p0.JPG"));
    QFile::remove(DatedPath() + QStringLiteral("thumbnail/p0.JPG"));
    Paint();
    EXPECT_EQ(Photo(0)->ExifState(), TReadState::Read);
    EXPECT_EQ(Photo(0)->ThumbnailState(), TReadState::Read);
    EXPECT_EQ(Photo(0)->ShotDate, QStringLiteral("2024:07:01 09:00:00"));
}

// The grid reads '&' as a mnemonic mark; a file name or a tag is drawn as it is stored.
TEST_F(AlbumTest, AmpersandsInNamesAndTagsAreDrawnAsStored) {
    AddPhoto(QStringLiteral("c_A&B.jpg"));
    WriteStore("tag.xml", QStringLiteral("<tag><folder>20240701</folder><file>c_A&amp;B.jpg</file>"
                                         "<val>R&amp;D</val></tag>"));
    TForm31& form = Start();
    Paint();  // the first paint reads the dates into the row's text
    const QRect cell = CellRect(2, 0);
    QString drawn;
    for (const TCellTextLine& line :
         LayoutCellText(form.StringGrid1->Cells(2, 0), form.StringGrid1->font(), cell.width() - 2,
                        cell.height() - 2, true)) {
        drawn += line.Text + u'|';
        EXPECT_TRUE(line.Underlined.isEmpty()) << line.Text.toStdString();
    }
    EXPECT_TRUE(drawn.contains(QStringLiteral("|ファイル：c_A&B.jpg|"))) << drawn.toStdString();
    EXPECT_TRUE(drawn.contains(QStringLiteral("|タグ：R&D"))) << drawn.toStdString();
}

TEST_F(AlbumTest, UnreadableRowsDrawAPlaceholderWithoutAMessage) {
    AddPhoto(QStringLiteral("a.JPG"));
    AddPhoto(QStringLiteral("b.JPG"));
    AddPhoto(QStringLiteral("c.JPG"), Dated, BrokenFullSize());
    Folder.WriteFile(QStringLiteral("data/photo/20240701/thumbnail/b.JPG"), "not a JPEG");
    TForm31& form = Start();
    form.StringGrid1->SetRow(2);  // the broken rows unselected: their cells keep the base colour
    QImage shot = Paint();
    shot = Paint();
    EXPECT_TRUE(Dialogs.Messages().isEmpty()) << Dialogs.MessageTexts().join(u'\n').toStdString();

    // The thumbnail of row 0 lies 5 pixels inside its cell; row 1 shows the placeholder.
    const QRect good = CellRect(1, 0);
    EXPECT_EQ(shot.pixelColor(good.topLeft() + QPoint(5 + 20, 5 + 15)).green(), 200);
    const QRect broken = CellRect(1, 1);
    const QColor placeholder = shot.pixelColor(broken.topLeft() + QPoint(72, 103));
    EXPECT_EQ(placeholder, QColor(150, 150, 150)) << placeholder.name().toStdString();
    const QString tooltip = form.StringGrid1->model()->index(1, 2).data(Qt::ToolTipRole).toString();
    // It names the thumbnail that could not be read.
    EXPECT_TRUE(tooltip.startsWith(Photo(1)->ThumbnailDir() + QStringLiteral("b.JPG：")))
        << tooltip.toStdString();
    EXPECT_TRUE(tooltip.contains(QStringLiteral("JPEG エラー #"))) << tooltip.toStdString();
    EXPECT_TRUE(form.StringGrid1->RowHint(0).isEmpty());

    // The row with broken EXIF data keeps its five lines, its dates empty.
    EXPECT_EQ(Photo(2)->ExifState(), TReadState::Failed);
    EXPECT_FALSE(form.StringGrid1->RowHint(2).isEmpty());
    EXPECT_TRUE(
        form.StringGrid1->Cells(2, 2).contains(QStringLiteral("撮影日：\r\n更新日時：\r\n")));
    EXPECT_TRUE(Photo(2)->ThumbnailLoaded);

    // A failed row is not read again at the next paint.
    TJpegBuilder(40, 30).WriteTo(DatedPath() + QStringLiteral("thumbnail/b.JPG"));
    Paint();
    EXPECT_EQ(Photo(1)->ThumbnailState(), TReadState::Failed);
}

TEST_F(AlbumTest, RightClickSelectsTheRowUnderTheMouseOnly) {
    AddPhoto(QStringLiteral("a.JPG"));
    AddPhoto(QStringLiteral("b.JPG"));
    TForm31& form = Start();
    QWidget* viewport = form.StringGrid1->viewport();
    ASSERT_GT(viewport->height(), 2 * 140 + 20);
    QTest::mousePress(viewport, Qt::RightButton, {}, CellRect(2, 1).center());
    EXPECT_EQ(form.StringGrid1->Row(), 1);
    for (const Qt::MouseButton button : {Qt::RightButton, Qt::LeftButton}) {
        QTest::mousePress(viewport, button, {}, QPoint(100, 2 * 140 + 10));
        EXPECT_EQ(form.StringGrid1->Row(), 1) << button;
        EXPECT_TRUE(form.StringGrid1->selectionModel()->isRowSelected(1, {})) << button;
    }
}

TEST_F(AlbumTest, CopyCommands) {
    AddPhoto(QStringLiteral("a.JPG"));
    AddPhoto(QStringLiteral("b.JPG"));
    QFile::remove(DatedPath() + QStringLiteral("b.JPG"));
    TForm31& form = Start();
    struct TCase {
        int Row;
        bool FullSizeEnabled;
    };
    for (const TCase c : {TCase{0, true}, TCase{1, false}}) {
        form.StringGrid1->SetRow(c.Row);
        form.PopupActionBar1Popup();
        EXPECT_EQ(form.N1->isEnabled(), c.FullSizeEnabled) << c.Row;
        EXPECT_TRUE(form.N2->isEnabled()) << c.Row;
        const QString name = c.Row == 0 ? QStringLiteral("a.JPG") : QStringLiteral("b.JPG");
        form.N1Click();
        EXPECT_EQ(QGuiApplication::clipboard()->text(), DatedPath() + name);
        form.N2->trigger();
        EXPECT_EQ(QGuiApplication::clipboard()->text(), DatedPath() + "reduce/" + name);
    }
    ChooseMode(2);  // no favourites: one blank row
    form.PopupActionBar1Popup();
    EXPECT_FALSE(form.N1->isEnabled());
    EXPECT_FALSE(form.N2->isEnabled());
}

TEST_F(AlbumTest, SteppingThroughTheRows) {
    AddPhoto(QStringLiteral("a.JPG"));
    AddPhoto(QStringLiteral("b.JPG"));
    TForm31& form = Start();
    EXPECT_EQ(form.GetCurrentPhoto(), Photo(0));
    EXPECT_EQ(form.SelectPreviousPhoto(), nullptr);
    EXPECT_EQ(form.StringGrid1->Row(), 0);
    EXPECT_EQ(form.SelectNextPhoto(), Photo(1));
    EXPECT_EQ(form.StringGrid1->Row(), 1);
    EXPECT_EQ(form.SelectNextPhoto(), nullptr);
    EXPECT_EQ(form.StringGrid1->Row(), 1);
    EXPECT_EQ(form.SelectPreviousPhoto(), Photo(0));

    // A double click brings the viewer up; a change of filter closes it.
    QTest::mouseDClick(form.StringGrid1->viewport(), Qt::LeftButton, {}, CellRect(2, 0).center());
    EXPECT_TRUE(Viewer.isVisible());
    form.ComboBox1Change();
    EXPECT_FALSE(Viewer.isVisible());
}

TEST_F(AlbumTest, ImportedPhotosAreListedInTheirDatedFolder) {
    AddPhoto(QStringLiteral("old.JPG"));
    TForm31& form = Start();
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyyMMdd"));
    const QStringList sources{TJpegBuilder(64, 48).WriteTo(Folder.FilePath("in1.jpg")),
                              TJpegBuilder(48, 64).WriteTo(Folder.FilePath("in2.jpg"))};
    Dialogs.ChooseFilesNext(sources);
    Dialogs.RunModalNext();  // the import window
    QTest::mouseClick(form.BitBtn5, Qt::LeftButton);
    EXPECT_EQ(form.ComboBox1->currentText(), FormatFolderCaption(today));
    ASSERT_EQ(form.Album->PhotoList().Count(), 2);
    QStringList names{Photo(0)->FileName, Photo(1)->FileName};
    names.sort();
    EXPECT_EQ(names, (QStringList{"in1.jpg", "in2.jpg"}));
    EXPECT_EQ(form.StringGrid1->Row(), 0);
    Paint();
    EXPECT_TRUE(Photo(0)->ThumbnailLoaded);

    // In the favourites mode an import leaves the page as it was.
    ChooseMode(2);
    form.ShowImportedFolder(today);
    EXPECT_EQ(form.Album->PhotoList().Count(), 0);
}

}  // namespace
