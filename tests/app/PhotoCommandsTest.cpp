#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <functional>

#include "app/Unit31.h"
#include "app/Unit32.h"
#include "app/Unit37.h"
#include "app/Unit38.h"
#include "controls/StringGrid1.h"
#include "imaging/TurboImg.h"
#include "tests/app/PhotoFixture.h"
#include "tests/support/ScriptedDialogs.h"

using namespace PhotoFixture;

namespace {

const QString Dated = QStringLiteral("20240501");

class PhotoCommandsTest : public ::testing::Test {
protected:
    QString SaveDir() const { return Folder.Path() + QStringLiteral("data/photo/"); }
    QString DatedPath() const { return SaveDir() + Dated + u'/'; }
    void AddPhoto(const QString& name, int width = 60, int height = 45) {
        WritePhoto(Folder, QStringLiteral("data/photo/"), Dated, name, width, height);
    }
    void WriteStores(const QStringList& favourites, const QList<QStringList>& tags) {
        TPhotoOkiniList okini;
        for (const QString& name : favourites)
            okini.Add(Dated, name);
        okini.SaveToFile(SaveDir() + QStringLiteral("okini.xml"));
        TPhotoTagList tagList;
        for (const QStringList& entry : tags)
            tagList.Add(Dated, entry[0], entry[1]);
        tagList.SaveToFile(SaveDir() + QStringLiteral("tag.xml"));
    }
    QStringList StoredFavourites() const {
        TPhotoOkiniList okini;
        okini.LoadFromFile(SaveDir() + QStringLiteral("okini.xml"));
        QStringList names;
        for (const TPhotoOkini* entry : okini)
            names.append(entry->FileName);
        return names;
    }
    QStringList StoredTags() const {
        TPhotoTagList tags;
        tags.LoadFromFile(SaveDir() + QStringLiteral("tag.xml"));
        QStringList entries;
        for (const TPhotoTag* entry : tags)
            entries.append(entry->FileName + u'=' + entry->Tags);
        return entries;
    }
    TForm31& Start() {
        Form = std::make_unique<TForm31>();
        Form->Form32 = &Viewer;
        Viewer.AlbumPage = Form.get();
        Form->show();
        Form->PageControl1->setCurrentWidget(Form->TabSheet2);
        return *Form;
    }
    int RowOf(const QString& name) const {
        for (int row = 0; row < Form->StringGrid1->RowCount(); ++row) {
            if (const TPhoto* photo = Form->PhotoOfRow(row); photo && photo->FileName == name)
                return row;
        }
        return -1;
    }
    QString NameAt(int row) const {
        const TPhoto* photo = Form->PhotoOfRow(row);
        return photo ? photo->FileName : QString();
    }
    void Select(const QString& name) { Form->StringGrid1->SetRow(RowOf(name)); }
    QStringList RowNumbers() const {
        QStringList numbers;
        for (int row = 0; row < Form->StringGrid1->RowCount(); ++row)
            numbers.append(Form->StringGrid1->Cells(0, row));
        return numbers;
    }
    // Answers the next delete dialog.
    void Answer(bool yes) {
        Dialogs.DriveModalNext<TForm37>(
            [yes](TForm37& d) { (yes ? d.Button1 : d.Button2)->click(); });
    }
    // Opens the viewer on the selected row, as the view button does.
    void View() {
        Form->BitBtn2->click();
        ASSERT_TRUE(Viewer.isVisible());
    }

    TTestFolder Folder;
    TScriptedDialogs Dialogs;
    TForm32 Viewer;
    std::unique_ptr<TForm31> Form;
};

TEST_F(PhotoCommandsTest, CommandsWithoutASelectedRowAsk) {
    AddPhoto(QStringLiteral("a.JPG"));
    TForm31& form = Start();
    const struct {
        QToolButton* TForm31::*Button;
        QString Message;
    } cases[] = {
        {&TForm31::BitBtn2, QStringLiteral("一覧から表示する写真を選択してください。")},
        {&TForm31::BitBtn8, QStringLiteral("一覧から写真を選択してください。")},
        {&TForm31::BitBtn10, QStringLiteral("一覧から削除する写真を選択してください。")},
    };
    for (const auto& c : cases) {
        form.StringGrid1->setCurrentIndex({});
        Dialogs.ClearMessages();
        (form.*c.Button)->click();
        EXPECT_EQ(Dialogs.MessageTexts(), QStringList{c.Message});
        EXPECT_FALSE(Viewer.isVisible());
    }
    EXPECT_TRUE(Folder.Exists(QStringLiteral("data/photo/20240501/reduce/a.JPG")));
}

TEST_F(PhotoCommandsTest, FavouriteOnAndOffIsSavedAtOnce) {
    AddPhoto(QStringLiteral("a.JPG"));
    AddPhoto(QStringLiteral("b.JPG"));
    TForm31& form = Start();
    Select(QStringLiteral("b.JPG"));
    ASSERT_FALSE(form.BitBtn7->isHidden());
    form.BitBtn7->click();
    EXPECT_TRUE(form.BitBtn7->isHidden());
    EXPECT_FALSE(form.BitBtn4->isHidden());
    EXPECT_TRUE(form.PhotoOfRow(RowOf(QStringLiteral("b.JPG")))->Favourite);
    EXPECT_EQ(StoredFavourites(), QStringList{QStringLiteral("b.JPG")});

    form.BitBtn4->click();
    EXPECT_FALSE(form.BitBtn7->isHidden());
    EXPECT_FALSE(form.PhotoOfRow(RowOf(QStringLiteral("b.JPG")))->Favourite);
    EXPECT_TRUE(StoredFavourites().isEmpty());
}

// A name the stores cannot hold (a control character, which Linux allows in a file name) is
// refused by the store's Add: the photo, its row and the star buttons then show what is stored.
TEST_F(PhotoCommandsTest, ChangesTheStoreRefusesLeaveThePhotoAsStored) {
    const QString name = QStringLiteral("a\x01.JPG");
    AddPhoto(name);
    WriteStores({}, {});
    TForm31& form = Start();
    Select(name);
    const QByteArray okini = Folder.ReadFile(QStringLiteral("data/photo/okini.xml"));
    const QByteArray tags = Folder.ReadFile(QStringLiteral("data/photo/tag.xml"));
    const QString text = form.StringGrid1->Cells(2, RowOf(name));
    const std::function<void()> commands[] = {
        [&] { form.BitBtn7->click(); },
        [&] {
            Dialogs.DriveModalNext<TForm38>([](TForm38& d) {
                d.Edit1->setText(QStringLiteral("トマト"));
                d.Button1->click();
            });
            form.BitBtn8->click();
        },
    };
    for (const auto& command : commands) {
        Dialogs.ClearMessages();
        command();
        EXPECT_EQ(Dialogs.Messages().size(), 1);
        const TPhoto* photo = form.PhotoOfRow(RowOf(name));
        EXPECT_FALSE(photo->Favourite);
        EXPECT_TRUE(photo->Tags.isEmpty());
        EXPECT_FALSE(form.BitBtn7->isHidden());
        EXPECT_TRUE(form.BitBtn4->isHidden());
        EXPECT_EQ(form.StringGrid1->Cells(2, RowOf(name)), text);
        EXPECT_EQ(Folder.ReadFile(QStringLiteral("data/photo/okini.xml")), okini);
        EXPECT_EQ(Folder.ReadFile(QStringLiteral("data/photo/tag.xml")), tags);
        EXPECT_EQ(form.Album->PhotoOkiniList().Count() + form.Album->PhotoTagList().Count(), 0);
    }
}

TEST_F(PhotoCommandsTest, TagEditIsSavedAndShownInTheRow) {
    AddPhoto(QStringLiteral("a.JPG"));
    AddPhoto(QStringLiteral("b.JPG"));
    WriteStores({}, {{QStringLiteral("a.JPG"), QStringLiteral("トマト,収穫")}});
    TForm31& form = Start();
    Select(QStringLiteral("b.JPG"));
    QStringList offered;
    Dialogs.DriveModalNext<TForm38>([&](TForm38& d) {
        for (int i = 0; i < d.ComboBox1->count(); ++i)
            offered.append(d.ComboBox1->itemText(i));
        d.ComboBox1->setCurrentIndex(0);
        d.Button3->click();
        d.Button3->click();
        d.Button1->click();
    });
    form.BitBtn8->click();
    EXPECT_EQ(offered, (QStringList{"トマト", "収穫"})) << "in the order of first appearance";
    EXPECT_EQ(StoredTags(), (QStringList{"a.JPG=トマト,収穫", "b.JPG=トマト,トマト"}));
    const int row = RowOf(QStringLiteral("b.JPG"));
    EXPECT_TRUE(form.StringGrid1->Cells(2, row).endsWith(QStringLiteral("タグ：トマト,トマト")));

    // An existing entry is changed in place; erasing every tag keeps it with an empty text.
    Select(QStringLiteral("a.JPG"));
    Dialogs.DriveModalNext<TForm38>([](TForm38& d) {
        d.Edit1->clear();
        d.Button1->click();
    });
    form.BitBtn8->click();
    EXPECT_EQ(StoredTags(), (QStringList{"a.JPG=", "b.JPG=トマト,トマト"}));

    // A cancelled edit writes nothing and closes the viewer all the same.
    const QByteArray stored = Folder.ReadFile(QStringLiteral("data/photo/tag.xml"));
    View();
    Dialogs.DriveModalNext<TForm38>([](TForm38& d) { d.Button2->click(); });
    form.BitBtn8->click();
    EXPECT_FALSE(Viewer.isVisible());
    EXPECT_EQ(Folder.ReadFile(QStringLiteral("data/photo/tag.xml")), stored);
}

TEST_F(PhotoCommandsTest, DeletingTheOnlyPhotoLeavesABlankRowAndClosesTheViewer) {
    // A dated folder that holds something else is kept with it, and nothing is said.
    for (const bool foreignFile : {false, true}) {
        SCOPED_TRACE(foreignFile);
        AddPhoto(QStringLiteral("a.JPG"));
        if (foreignFile)
            Folder.WriteFile(QStringLiteral("data/photo/20240501/memo.txt"), "the user's");
        TForm31& form = Start();
        View();
        Answer(true);
        QTest::keyClick(&Viewer, Qt::Key_Delete);
        EXPECT_EQ(QDir(DatedPath()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                  foreignFile ? QStringList{QStringLiteral("memo.txt")} : QStringList{});
        EXPECT_EQ(QFileInfo::exists(DatedPath()), foreignFile);
        EXPECT_EQ(form.Album->PhotoList().Count(), 0);
        EXPECT_EQ(RowNumbers(), QStringList{QString()}) << "one blank row";
        EXPECT_FALSE(Viewer.isVisible());
        EXPECT_TRUE(Dialogs.Messages().isEmpty());
    }
}

TEST_F(PhotoCommandsTest, DeletingAFavouriteWithTagsTakesItOutOfBothStores) {
    for (const char* name : {"a.JPG", "b.JPG", "c.JPG"})
        AddPhoto(QString::fromLatin1(name));
    WriteStores({QStringLiteral("b.JPG"), QStringLiteral("c.JPG")},
                {{QStringLiteral("b.JPG"), QStringLiteral("トマト")},
                 {QStringLiteral("a.JPG"), QStringLiteral("ナス")}});
    TForm31& form = Start();
    Select(QStringLiteral("b.JPG"));
    Answer(true);
    form.BitBtn10->click();
    EXPECT_EQ(StoredFavourites(), QStringList{QStringLiteral("c.JPG")});
    EXPECT_EQ(StoredTags(), QStringList{QStringLiteral("a.JPG=ナス")});
    EXPECT_EQ(form.Album->PhotoOkiniList().Count(), 1);
    for (const char* sub : {"", "reduce/", "thumbnail/"})
        EXPECT_FALSE(QFileInfo::exists(DatedPath() + QString::fromLatin1(sub) + "b.JPG")) << sub;
    EXPECT_EQ(RowNumbers(), (QStringList{"1", "2"}));
    EXPECT_EQ(RowOf(QStringLiteral("b.JPG")), -1);
}

TEST_F(PhotoCommandsTest, DeletingTheLastRowSelectsTheNewLastRow) {
    for (const char* name : {"a.JPG", "b.JPG", "c.JPG"})
        AddPhoto(QString::fromLatin1(name));
    TForm31& form = Start();
    // The row that becomes the last one is a favourite: the star buttons must follow it.
    const QString stays = NameAt(1);
    Select(stays);
    form.BitBtn7->click();
    form.StringGrid1->SetRow(2);
    ASSERT_FALSE(form.BitBtn7->isHidden());
    Answer(true);
    form.BitBtn10->click();
    EXPECT_EQ(form.StringGrid1->Row(), 1);
    EXPECT_EQ(form.GetCurrentPhoto()->FileName, stays);
    EXPECT_TRUE(form.BitBtn7->isHidden());
    EXPECT_FALSE(form.BitBtn4->isHidden());
}

TEST_F(PhotoCommandsTest, PhotoThatCannotBeDeletedKeepsItsEntries) {
    AddPhoto(QStringLiteral("a.JPG"));
    WriteStores({QStringLiteral("a.JPG")}, {{QStringLiteral("a.JPG"), QStringLiteral("トマト")}});
    TForm31& form = Start();
    // A folder in the reduced copy's place cannot be removed as a file.
    QFile::remove(DatedPath() + QStringLiteral("reduce/a.JPG"));
    QDir().mkpath(DatedPath() + QStringLiteral("reduce/a.JPG/x"));
    EXPECT_THROW(form.DeletePhoto(form.GetCurrentPhoto()), Exception);
    EXPECT_EQ(form.Album->PhotoList().Count(), 1);
    // Loading would drop entries whose reduced copy is no file: the files are read as text.
    EXPECT_TRUE(Folder.ReadFile(QStringLiteral("data/photo/okini.xml")).contains("a.JPG"));
    EXPECT_TRUE(Folder.ReadFile(QStringLiteral("data/photo/tag.xml")).contains("a.JPG"));
    EXPECT_TRUE(form.Album->PhotoOkiniList().Contains(Dated, QStringLiteral("a.JPG")));
    ASSERT_NE(form.Album->PhotoTagList().Find(Dated, QStringLiteral("a.JPG")), nullptr);
    EXPECT_EQ(form.Album->PhotoTagList().Find(Dated, QStringLiteral("a.JPG"))->Tags,
              QStringLiteral("トマト"));
}

TEST_F(PhotoCommandsTest, ViewerDeleteShowsThePhotoSelectedAfterwards) {
    AddPhoto(QStringLiteral("a.JPG"), 60, 45);
    AddPhoto(QStringLiteral("b.JPG"), 45, 60);
    TForm31& form = Start();
    // The deleted photo is a favourite, the one left is not: the star buttons must follow.
    form.StringGrid1->SetRow(1);
    form.BitBtn7->click();
    form.StringGrid1->SetRow(0);
    const QString other = NameAt(0);
    form.StringGrid1->SetRow(1);
    View();
    Answer(true);
    Viewer.Del1->trigger();
    EXPECT_FALSE(form.BitBtn7->isHidden());
    EXPECT_TRUE(form.BitBtn4->isHidden());
    ASSERT_EQ(form.Album->PhotoList().Count(), 1);
    EXPECT_TRUE(Viewer.isVisible());
    EXPECT_EQ(Viewer.CurrentPhoto, form.GetCurrentPhoto());
    EXPECT_EQ(Viewer.CurrentPhoto->FileName, other);
    EXPECT_EQ(Viewer.TurboImage1->Picture().Size(),
              other == QStringLiteral("a.JPG") ? QSize(60, 45) : QSize(45, 60));
}

TEST_F(PhotoCommandsTest, KeysStepThroughTheAlbumWhateverTheModifiers) {
    for (const char* name : {"a.JPG", "b.JPG", "c.JPG"})
        AddPhoto(QString::fromLatin1(name));
    TForm31& form = Start();
    form.StringGrid1->SetRow(1);
    View();
    const struct {
        Qt::Key Key;
        Qt::KeyboardModifiers Modifiers;
        int Row;
    } presses[] = {
        {Qt::Key_Left, Qt::ControlModifier, 0}, {Qt::Key_Left, Qt::NoModifier, 0},
        {Qt::Key_Right, Qt::ShiftModifier, 1},  {Qt::Key_Right, Qt::AltModifier, 2},
        {Qt::Key_Right, Qt::NoModifier, 2},     {Qt::Key_Up, Qt::NoModifier, 2},
    };
    for (const auto& p : presses) {
        QTest::keyClick(static_cast<QWidget*>(Viewer.MainMenu1), p.Key, p.Modifiers);
        EXPECT_EQ(form.StringGrid1->Row(), p.Row) << p.Key << " " << p.Modifiers;
        EXPECT_EQ(Viewer.CurrentPhoto, form.GetCurrentPhoto());
    }
    EXPECT_TRUE(Dialogs.Messages().isEmpty());
}

TEST_F(PhotoCommandsTest, StepToAPhotoThatCannotBeShownIsReportedOnce) {
    AddPhoto(QStringLiteral("a.JPG"), 60, 45);
    AddPhoto(QStringLiteral("b.JPG"), 60, 45);
    TForm31& form = Start();
    form.StringGrid1->SetRow(0);
    Folder.WriteFile(QStringLiteral("data/photo/20240501/reduce/") + NameAt(1), "broken");
    View();
    Viewer.N8->trigger();
    EXPECT_EQ(form.StringGrid1->Row(), 1);
    EXPECT_EQ(Dialogs.Messages().size(), 1);
    EXPECT_EQ(Viewer.TurboImage1->Picture().Size(), QSize(60, 45));
}

// A handler that fails ends its action with one box; the exception does not leave the slot (a
// button's click() emits its signal straight to the slot, past notify()), and the window goes on.
TEST_F(PhotoCommandsTest, FailingHandlerIsReportedOnceAndTheWindowGoesOn) {
    AddPhoto(QStringLiteral("a.JPG"));
    AddPhoto(QStringLiteral("b.JPG"));
    TForm31& form = Start();
    Folder.WriteFile(QStringLiteral("data/photo/20240501/reduce/a.JPG"), "broken");
    const std::function<void()> clicks[] = {
        [&] { form.BitBtn2->click(); },
        [&] { QTest::mouseClick(form.BitBtn2, Qt::LeftButton); },
    };
    for (const auto& click : clicks) {
        Dialogs.ClearMessages();
        Select(QStringLiteral("a.JPG"));
        EXPECT_NO_THROW(click());
        ASSERT_EQ(Dialogs.Messages().size(), 1);
        EXPECT_FALSE(Dialogs.MessageTexts().front().isEmpty());
        EXPECT_FALSE(Viewer.isVisible());

        Select(QStringLiteral("b.JPG"));
        click();
        EXPECT_TRUE(Viewer.isVisible());
        EXPECT_EQ(Viewer.TurboImage1->Picture().Size(), QSize(60, 45));
        EXPECT_EQ(Dialogs.Messages().size(), 1);
        Viewer.close();
    }
}

TEST_F(PhotoCommandsTest, TurnRefreshesTheAlbumRow) {
    AddPhoto(QStringLiteral("a.JPG"), 600, 450);
    TForm31& form = Start();
    View();
    Viewer.N2->trigger();
    const TPhoto* photo = form.GetCurrentPhoto();
    EXPECT_EQ(QSize(photo->Thumbnail.Width(), photo->Thumbnail.Height()), QSize(98, 130));
    const QImage row = form.StringGrid1->viewport()->grab().toImage();
    // The turned thumbnail's top-left quarter shows the original top-right colour.
    const QRect cell = form.StringGrid1->visualRect(form.StringGrid1->model()->index(0, 1));
    const QImage thumbnail = row.copy(cell.x() + 5, cell.y() + 5, 98, 130);
    EXPECT_EQ(CornerAt(thumbnail, TopLeft), TopRight);
}

}  // namespace
