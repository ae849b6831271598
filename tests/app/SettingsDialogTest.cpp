#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QImage>
#include <QKeyEvent>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>
#include <functional>

#include "app/Unit31.h"
#include "app/Unit32.h"
#include "app/Unit33.h"
#include "controls/SujiEdit.h"
#include "tests/support/JpegBuilder.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TestFolder.h"

namespace {

const QString WidthMessage = QStringLiteral("幅は100～1000の範囲で設定してください。");
const QString HeightMessage = QStringLiteral("高さは100～1000の範囲で設定してください。");

QStringList Paths(const TPhotoSaveDirList& list) {
    QStringList paths;
    for (const TPhotoSaveDir* entry : list)
        paths.append(entry->Path);
    return paths;
}

QList<qint32> Orders(const TPhotoSaveDirList& list) {
    QList<qint32> orders;
    for (const TPhotoSaveDir* entry : list)
        orders.append(entry->Order);
    return orders;
}

QStringList GridTexts(const QTableWidget* grid) {
    QStringList texts;
    for (int row = 0; row < grid->rowCount(); ++row)
        texts.append(grid->item(row, 0) ? grid->item(row, 0)->text() : QString());
    return texts;
}

QStringList StoredPaths() {
    TPhotoSaveDirList stored;
    stored.Load();
    return Paths(stored);
}

class SettingsDialogTest : public ::testing::Test {
protected:
    void AddSaveDirs(const QStringList& paths) {
        for (const QString& path : paths) {
            SaveDirList.Add(std::make_unique<TPhotoSaveDir>(
                TPhotoSaveDir{qint32(SaveDirList.Count() + 1), path}));
        }
    }
    std::unique_ptr<TForm33> Open() {
        Setting.Load();
        auto dialog = std::make_unique<TForm33>();
        dialog->PhotoSetting = &Setting;
        dialog->SaveDirList = &SaveDirList;
        dialog->show();
        return dialog;
    }

    TTestFolder Folder;
    TScriptedDialogs Dialogs;
    TPhotoSetting Setting;
    TPhotoSaveDirList SaveDirList;
};

TEST_F(SettingsDialogTest, ShowsTheSettingsAndTheFoldersByOrder) {
    Folder.WriteFile(QStringLiteral("KavroPhoto.ini"),
                     "[PHOTO]\r\nREDUCE_WIDTH=0800\r\nREDUCE_HEIGHT=450\r\n");
    SaveDirList.Add(std::make_unique<TPhotoSaveDir>(TPhotoSaveDir{2, QStringLiteral("/b")}));
    SaveDirList.Add(std::make_unique<TPhotoSaveDir>(TPhotoSaveDir{1, QStringLiteral("/a/畑")}));
    auto dialog = Open();
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("設定"));
    EXPECT_EQ(dialog->size(), QSize(500, 369));
    EXPECT_EQ(dialog->Sujiin2->text(), QStringLiteral("0800"));
    EXPECT_EQ(dialog->Sujiin3->text(), QStringLiteral("450"));
    EXPECT_EQ(dialog->Sujiin2->MaxLength2(), 4);
    EXPECT_EQ(GridTexts(dialog->StringGrid1), (QStringList{QStringLiteral("/a/畑"), "/b"}));
    EXPECT_EQ(dialog->StringGrid1->columnWidth(0), 401);
    EXPECT_EQ(dialog->StringGrid1->currentRow(), 0);
    EXPECT_EQ(dialog->focusWidget(), dialog->Sujiin2);

    // Tab order: width, height, close, up, down, grid, add, remove, and round again.
    const QList<QWidget*> order{dialog->Sujiin2, dialog->Sujiin3, dialog->Button3,
                                dialog->Button2, dialog->Button1, dialog->StringGrid1,
                                dialog->Button4, dialog->Button5};
    for (int i = 0; i < order.size(); ++i) {
        QWidget* next = order[i]->nextInFocusChain();
        while (!(next->focusPolicy() & Qt::TabFocus))
            next = next->nextInFocusChain();
        EXPECT_EQ(next, order[(i + 1) % order.size()]) << i;
    }
}

struct TSizeCase {
    const char* Name;
    QString Width;
    QString Height;
    QString Message;  // empty: accepted
    const char* Focus;
};

void PrintTo(const TSizeCase& c, std::ostream* out) {
    *out << c.Name;
}

class SettingsDialogSizes : public SettingsDialogTest,
                            public ::testing::WithParamInterface<TSizeCase> {};

TEST_P(SettingsDialogSizes, AreCheckedWidthFirstAndWrittenAsTyped) {
    const TSizeCase& c = GetParam();
    auto dialog = Open();
    dialog->Sujiin2->setText(c.Width);
    dialog->Sujiin3->setText(c.Height);
    dialog->Button3->setFocus();
    dialog->Button3->click();

    TPhotoSetting stored;
    stored.Load();
    if (c.Message.isEmpty()) {
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_TRUE(Dialogs.Messages().isEmpty());
        EXPECT_EQ(Setting.ReduceWidth, c.Width);
        EXPECT_EQ(stored.ReduceWidth, c.Width);
        EXPECT_EQ(stored.ReduceHeight, c.Height);
    } else {
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(Dialogs.MessageTexts(), QStringList{c.Message});
        EXPECT_EQ(dialog->focusWidget()->objectName(), QString::fromLatin1(c.Focus));
        EXPECT_FALSE(Folder.Exists(QStringLiteral("KavroPhoto.ini")));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsDialogSizes,
    ::testing::Values(TSizeCase{"bothBounds", "100", "1000", {}, nullptr},
                      TSizeCase{"leadingZeroKept", "0600", "600", {}, nullptr},
                      TSizeCase{"widthBelow", "99", "600", WidthMessage, "Sujiin2"},
                      TSizeCase{"widthAbove", "1001", "600", WidthMessage, "Sujiin2"},
                      TSizeCase{"bothEmpty", "", "", WidthMessage, "Sujiin2"},
                      TSizeCase{"notANumber", "6O0", "600", WidthMessage, "Sujiin2"},
                      TSizeCase{"heightBelow", "600", "99", HeightMessage, "Sujiin3"},
                      TSizeCase{"heightAbove", "100", "1001", HeightMessage, "Sujiin3"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(SettingsDialogTest, EveryWayOfClosingChecksTheSize) {
    const std::pair<const char*, std::function<void(TForm33&)>> ways[] = {
        {"titleBar", [](TForm33& dialog) { dialog.close(); }},
        {"escape",
         [](TForm33& dialog) {
             QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, "\x1b");
             QApplication::sendEvent(dialog.Sujiin2, &escape);
         }},
    };
    for (const auto& [name, closeIt] : ways) {
        auto dialog = Open();
        dialog->Sujiin2->setText(QStringLiteral("50"));
        closeIt(*dialog);
        EXPECT_TRUE(dialog->isVisible()) << name;
        dialog->Sujiin2->setText(QStringLiteral("500"));
        closeIt(*dialog);
        EXPECT_FALSE(dialog->isVisible()) << name;
    }
    EXPECT_EQ(Dialogs.MessageTexts(), (QStringList{WidthMessage, WidthMessage}));
}

// A settings file that cannot be written is reported once; the next close of any kind goes
// through, and the sizes hold in memory for the rest of the run.
TEST_F(SettingsDialogTest, UnwritableSettingsAreReportedOnceThenTheDialogCloses) {
    const QString unwritable =
        Folder.FilePath(QStringLiteral("KavroPhoto.ini")) + QStringLiteral(" に書き込めません");
    const std::pair<const char*, std::function<void(TForm33&)>> ways[] = {
        {"button", [](TForm33& dialog) { dialog.Button3->click(); }},
        {"titleBar", [](TForm33& dialog) { dialog.close(); }},
        {"escape",
         [](TForm33& dialog) {
             QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, "\x1b");
             QApplication::sendEvent(dialog.Sujiin2, &escape);
         }},
    };
    Folder.MakeDir(QStringLiteral("KavroPhoto.ini"));
    for (const auto& [name, closeIt] : ways) {
        Dialogs.ClearMessages();
        auto dialog = Open();
        dialog->Sujiin2->setText(QStringLiteral("300"));
        closeIt(*dialog);
        EXPECT_TRUE(dialog->isVisible()) << name;
        EXPECT_EQ(Dialogs.MessageTexts(), QStringList{unwritable}) << name;

        // The size is still checked after the failure.
        dialog->Sujiin3->setText(QStringLiteral("5"));
        closeIt(*dialog);
        EXPECT_TRUE(dialog->isVisible()) << name;
        dialog->Sujiin3->setText(QStringLiteral("0400"));
        closeIt(*dialog);
        EXPECT_FALSE(dialog->isVisible()) << name;
        EXPECT_EQ(Dialogs.MessageTexts(), (QStringList{unwritable, HeightMessage})) << name;
        EXPECT_EQ(Setting.ReduceWidth, QStringLiteral("300")) << name;
        EXPECT_EQ(Setting.ReduceHeight, QStringLiteral("0400")) << name;
    }
}

struct TMoveCase {
    const char* Name;
    QStringList Start;
    int Row;
    bool Up;
    QStringList Expected;
    int ExpectedRow;
};

void PrintTo(const TMoveCase& c, std::ostream* out) {
    *out << c.Name;
}

class SettingsDialogMoves : public SettingsDialogTest,
                            public ::testing::WithParamInterface<TMoveCase> {};

TEST_P(SettingsDialogMoves, MoveTheSelectedFolderAndKeepTheNewOrder) {
    const TMoveCase& c = GetParam();
    AddSaveDirs(c.Start);
    auto dialog = Open();
    dialog->StringGrid1->setCurrentCell(c.Row, 0);
    (c.Up ? dialog->Button2 : dialog->Button1)->click();

    EXPECT_EQ(Paths(SaveDirList), c.Expected);
    EXPECT_EQ(dialog->StringGrid1->currentRow(), c.ExpectedRow);
    const QStringList grid = GridTexts(dialog->StringGrid1);
    EXPECT_EQ(grid, c.Expected.isEmpty() ? QStringList{QString()} : c.Expected);
    QList<qint32> ordered;
    for (int i = 1; i <= c.Expected.size(); ++i)
        ordered.append(i);
    EXPECT_EQ(Orders(SaveDirList), ordered);
    // A move is written at once; a move that does nothing writes nothing.
    const bool moved = c.Expected != c.Start;
    EXPECT_EQ(Folder.Exists(QStringLiteral("data/PhotoSaveDirList.xml")), moved);
    if (moved) {
        EXPECT_EQ(StoredPaths(), c.Expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsDialogMoves,
    ::testing::Values(
        TMoveCase{"upFromTheMiddle", {"/a", "/b", "/c"}, 1, true, {"/b", "/a", "/c"}, 0},
        TMoveCase{"downFromTheFirst", {"/a", "/b", "/c"}, 0, false, {"/b", "/a", "/c"}, 1},
        TMoveCase{"upOnTheFirst", {"/a", "/b", "/c"}, 0, true, {"/a", "/b", "/c"}, 0},
        TMoveCase{"downOnTheLast", {"/a", "/b", "/c"}, 2, false, {"/a", "/b", "/c"}, 2},
        TMoveCase{"upInAnEmptyList", {}, 0, true, {}, 0},
        TMoveCase{"downInAnEmptyList", {}, 0, false, {}, 0}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(SettingsDialogTest, AddingAppendsTheChosenFolderAndWritesTheList) {
    AddSaveDirs({"/a", "/b", "/c"});
    auto dialog = Open();
    dialog->Button4->click();  // the chooser is cancelled
    EXPECT_EQ(SaveDirList.Count(), 3);
    EXPECT_FALSE(Folder.Exists(QStringLiteral("data")));

    Dialogs.ChooseFolderNext(QStringLiteral("/a"));  // a folder already listed is added again
    dialog->Button4->click();
    ASSERT_EQ(Dialogs.FolderRequests().size(), 2);
    EXPECT_EQ(Dialogs.FolderRequests().front().Title,
              QStringLiteral("取り込んだ写真の保存先フォルダを指定してください。"));
    EXPECT_EQ(Paths(SaveDirList), (QStringList{"/a", "/b", "/c", "/a"}));
    EXPECT_EQ(Orders(SaveDirList), (QList<qint32>{1, 2, 3, 4}));
    EXPECT_EQ(GridTexts(dialog->StringGrid1), Paths(SaveDirList));
    // The program folder had no "data" yet: the first addition makes it.
    EXPECT_EQ(StoredPaths(), Paths(SaveDirList));
    EXPECT_TRUE(Dialogs.Messages().isEmpty());
}

TEST_F(SettingsDialogTest, RemovingAsksThenRemovesTheSelectedFolder) {
    AddSaveDirs({"/a", "/b", "/c"});
    auto dialog = Open();
    dialog->StringGrid1->setCurrentCell(1, 0);
    Dialogs.AnswerNext(Dialogs::TMsgResult::No);
    dialog->Button5->click();
    EXPECT_EQ(SaveDirList.Count(), 3);
    EXPECT_FALSE(Folder.Exists(QStringLiteral("data")));

    dialog->Button5->click();
    ASSERT_EQ(Dialogs.Messages().size(), 2);
    const Dialogs::TMessageRequest& question = Dialogs.Messages().back();
    EXPECT_EQ(question.Text, QStringLiteral("選択中の保存先をリストから削除します。\r\n"
                                            "（写真などは削除されません）\r\n"
                                            "削除してもよろしいですか？"));
    EXPECT_EQ(question.Buttons, Dialogs::TMsgButtons::YesNo);
    EXPECT_EQ(Paths(SaveDirList), (QStringList{"/a", "/c"}));
    EXPECT_EQ(Orders(SaveDirList), (QList<qint32>{1, 2}));
    EXPECT_EQ(GridTexts(dialog->StringGrid1), (QStringList{"/a", "/c"}));
    EXPECT_EQ(StoredPaths(), (QStringList{"/a", "/c"}));

    // The last row removed: the selection stays on the list's new last row.
    dialog->StringGrid1->setCurrentCell(1, 0);
    dialog->Button5->click();
    dialog->Button5->click();
    EXPECT_TRUE(SaveDirList.IsEmpty());
    EXPECT_EQ(GridTexts(dialog->StringGrid1), QStringList{QString()});
    // An empty list still asks, and writes the empty list.
    Folder.WriteFile(QStringLiteral("data/PhotoSaveDirList.xml"), "old");
    dialog->Button5->click();
    EXPECT_EQ(Dialogs.Messages().size(), 5);
    EXPECT_TRUE(Folder.ReadFile(QStringLiteral("data/PhotoSaveDirList.xml")).contains("<data/>"));
}

class SettingsFromMainWindow : public ::testing::Test {
protected:
    SettingsFromMainWindow() {
        TPhotoSaveDirList list;
        for (const char* path : {"/a", "/b", "/c"}) {
            list.Add(std::make_unique<TPhotoSaveDir>(
                TPhotoSaveDir{qint32(list.Count() + 1), QString::fromLatin1(path)}));
        }
        list.Save();
    }
    std::unique_ptr<TForm31> Start() {
        auto form = std::make_unique<TForm31>();
        form->Form32 = &Viewer;
        form->show();
        return form;
    }
    static QStringList ComboTexts(const QComboBox* combo) {
        QStringList texts;
        for (int i = 0; i < combo->count(); ++i)
            texts.append(combo->itemText(i));
        return texts;
    }
    void Choose(TForm31& form, int index) {
        form.ComboBox2->setCurrentIndex(index);
        emit form.ComboBox2->activated(index);
    }

    TTestFolder Folder;
    TScriptedDialogs Dialogs;
    TForm32 Viewer;
};

TEST_F(SettingsFromMainWindow, AMoveShowsInTheComboAndOutlivesARestart) {
    {
        auto form = Start();
        Choose(*form, 1);
        Viewer.show();
        bool viewerClosed = false;
        Dialogs.DriveModalNext<TForm33>([&](TForm33& dialog) {
            viewerClosed = !Viewer.isVisible();
            dialog.StringGrid1->setCurrentCell(0, 0);
            dialog.Button1->click();
            dialog.Button3->click();
        });
        form->BitBtn9->click();
        EXPECT_TRUE(viewerClosed);
        EXPECT_EQ(ComboTexts(form->ComboBox2),
                  (QStringList{QStringLiteral("カレントフォルダ"), "/b", "/a", "/c"}));
        EXPECT_EQ(form->ComboBox2->currentText(), QStringLiteral("/a"));
        EXPECT_EQ(form->Album->CurrentDir(), QStringLiteral("/a/"));
    }
    auto form = Start();
    EXPECT_EQ(ComboTexts(form->ComboBox2),
              (QStringList{QStringLiteral("カレントフォルダ"), "/b", "/a", "/c"}));
}

TEST_F(SettingsFromMainWindow, RemovingTheChosenFolderOpensTheFirstEntry) {
    auto form = Start();
    Choose(*form, 2);
    ASSERT_EQ(form->Album->CurrentDir(), QStringLiteral("/b/"));
    Dialogs.DriveModalNext<TForm33>([](TForm33& dialog) {
        dialog.StringGrid1->setCurrentCell(1, 0);
        dialog.Button5->click();
        dialog.Button3->click();
    });
    form->BitBtn9->click();
    EXPECT_EQ(ComboTexts(form->ComboBox2),
              (QStringList{QStringLiteral("カレントフォルダ"), "/a", "/c"}));
    EXPECT_EQ(form->ComboBox2->currentIndex(), 0);
    EXPECT_EQ(form->Album->CurrentDir(), Folder.FilePath(QStringLiteral("data/photo/")));
}

TEST_F(SettingsFromMainWindow, UnwritableSettingsLetTheDialogAndThenTheWindowClose) {
    auto form = Start();
    Folder.MakeDir(QStringLiteral("KavroPhoto.ini"));
    bool stuck = false;
    Dialogs.DriveModalNext<TForm33>([&](TForm33& dialog) {
        dialog.Sujiin2->setText(QStringLiteral("200"));
        dialog.Button3->click();
        dialog.Button3->click();
        stuck = dialog.isVisible();
        if (stuck)
            dialog.done(QDialog::Rejected);
    });
    form->BitBtn9->click();
    EXPECT_FALSE(stuck);
    EXPECT_EQ(form->PhotoSetting->ReduceWidth, QStringLiteral("200"));
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(form->isVisible());
}

TEST_F(SettingsFromMainWindow, ANewReduceSizeAppliesToTheNextImport) {
    auto form = Start();
    Dialogs.DriveModalNext<TForm33>([](TForm33& dialog) {
        dialog.Sujiin2->setText(QStringLiteral("200"));
        dialog.Sujiin3->setText(QStringLiteral("0150"));
        dialog.Button3->click();
    });
    form->BitBtn9->click();
    Dialogs.RunModalNext();  // the import window
    Dialogs.ChooseFilesNext(
        {TJpegBuilder(800, 400).WriteTo(Folder.MakeDir(QStringLiteral("in/")) + "a.jpg")});
    form->BitBtn5->click();
    const QString reduced = Folder.FilePath(QStringLiteral("data/photo/")) +
                            QDate::currentDate().toString(QStringLiteral("yyyyMMdd")) +
                            QStringLiteral("/reduce/a.jpg");
    QImage image;
    ASSERT_TRUE(image.load(reduced, "JPEG")) << Dialogs.MessageTexts().join(u'\n').toStdString();
    EXPECT_EQ(image.size(), QSize(200, 100));
}

}  // namespace
