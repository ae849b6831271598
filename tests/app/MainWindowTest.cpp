#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "app/FormUtils.h"
#include "app/Unit31.h"
#include "app/Unit32.h"
#include "platform/Cp932.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TestFolder.h"

namespace {

QStringList ComboTexts(const QComboBox* combo) {
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts.append(combo->itemText(i));
    return texts;
}

class MainWindowTest : public ::testing::Test {
protected:
    void WriteSaveDirs(const QList<std::pair<int, QString>>& saves) {
        QByteArray xml = "<?xml version=\"1.0\" encoding=\"SHIFT-JIS\"?><data>";
        for (const auto& [order, path] : saves) {
            xml += "<save order=\"" + QByteArray::number(order) + "\">" + Cp932::Encode(path) +
                   "</save>";
        }
        Folder.WriteFile(QStringLiteral("data/PhotoSaveDirList.xml"), xml + "</data>");
    }
    void WriteSaveFolderSetting(const QString& text) {
        Folder.WriteFile(QStringLiteral("KavroPhoto.ini"),
                         "[PHOTO]\r\nSAVE_FOLDER=\"" + Cp932::Encode(text) + "\"\r\n");
    }
    // Shows a main window as the program entry does, running its start-up sequence.
    std::unique_ptr<TForm31> Start() {
        auto form = std::make_unique<TForm31>();
        form->Form32 = &Viewer;
        form->show();
        return form;
    }
    void Choose(TForm31& form, int index) {
        form.ComboBox2->setCurrentIndex(index);
        emit form.ComboBox2->activated(index);
    }

    TTestFolder Folder;
    TScriptedDialogs Dialogs;
    TForm32 Viewer;
};

TEST_F(MainWindowTest, LayoutAndCaptions) {
    auto form = Start();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("ミルトア Ver.1.2.0"));
    EXPECT_EQ(form->size(), QSize(738, 700));
    const QStringList tabs{QStringLiteral("菜園情報"), QStringLiteral("フォトアルバム"),
                           QStringLiteral("オススメ"), QStringLiteral("お気に入り")};
    ASSERT_EQ(form->PageControl1->count(), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(form->PageControl1->tabText(i), tabs[i]);
    EXPECT_EQ(form->PageControl1->currentWidget(), form->TabSheet1);
    EXPECT_EQ(form->findChild<QWidget*>(QStringLiteral("TabSheet7")), form->TabSheet7);
    EXPECT_EQ(form->findChild<QLabel*>(QStringLiteral("Label3"))->text(),
              QStringLiteral("フォルダ："));
    const std::pair<const char*, const char*> buttons[] = {
        {"BitBtn5", "写真を取り込む"}, {"BitBtn9", "設定"}, {"BitBtn1", "ヘルプ"}};
    int lastLeft = 0;
    for (const auto& [name, hint] : buttons) {
        auto* button = form->findChild<QToolButton*>(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr) << name;
        EXPECT_EQ(button->toolTip(), QString::fromUtf8(hint));
        EXPECT_EQ(button->size(), QSize(38, 38));
        EXPECT_FALSE(button->icon().isNull()) << name;
        EXPECT_GT(button->x(), lastLeft);
        lastLeft = button->x();
    }
    form->PageControl1->setCurrentWidget(form->TabSheet2);
    EXPECT_LE(form->BitBtn1->geometry().right(), form->TabSheet2->width());
    EXPECT_LT(form->ComboBox2->geometry().right(), form->BitBtn5->x());
}

TEST_F(MainWindowTest, HeaderFollowsTheWindowWidth) {
    auto form = Start();
    form->PageControl1->setCurrentWidget(form->TabSheet2);
    const int comboWidth = form->ComboBox2->width();
    const int buttonRightGap = form->TabSheet2->width() - form->BitBtn1->geometry().right();
    form->resize(938, 700);
    QCoreApplication::processEvents();
    EXPECT_EQ(form->ComboBox2->width(), comboWidth + 200);
    EXPECT_EQ(form->TabSheet2->width() - form->BitBtn1->geometry().right(), buttonRightGap);
}

TEST_F(MainWindowTest, EmptyProgramFolderOpensTheCurrentFolder) {
    auto form = Start();
    EXPECT_EQ(ComboTexts(form->ComboBox2), QStringList{QStringLiteral("カレントフォルダ")});
    EXPECT_EQ(form->ComboBox2->currentIndex(), 0);
    EXPECT_EQ(form->Album->CurrentDir(), Folder.FilePath(QStringLiteral("data/photo/")));
    EXPECT_TRUE(form->BitBtn5->isEnabled());
    EXPECT_TRUE(Dialogs.Messages().isEmpty());
}

TEST_F(MainWindowTest, SaveFoldersAreListedByOrderAfterTheFixedEntries) {
    WriteSaveDirs(
        {{3, QStringLiteral("/c")}, {1, QStringLiteral("/a/畑")}, {2, QStringLiteral("/b")}});
    {
        auto form = Start();
        EXPECT_EQ(ComboTexts(form->ComboBox2),
                  (QStringList{QStringLiteral("カレントフォルダ"), "/a/畑", "/b", "/c"}));
        Choose(*form, 1);  // without the sibling folder, position 1 is the first save folder
        EXPECT_EQ(form->Album->CurrentDir(), QStringLiteral("/a/畑/"));
        EXPECT_TRUE(form->BitBtn5->isEnabled());
    }
    Folder.MakeDir(QStringLiteral("data/NebelkaPhoto"));
    auto form = Start();
    EXPECT_EQ(ComboTexts(form->ComboBox2),
              (QStringList{QStringLiteral("カレントフォルダ"), QStringLiteral("ネベルカ用フォルダ"),
                           "/a/畑", "/b", "/c"}));
    Choose(*form, 1);
    EXPECT_EQ(form->Album->CurrentDir(), Folder.FilePath(QStringLiteral("data/NebelkaPhoto/")));
    EXPECT_FALSE(form->BitBtn5->isEnabled());
    Choose(*form, 4);
    EXPECT_EQ(form->Album->CurrentDir(), QStringLiteral("/c/"));
    EXPECT_TRUE(form->BitBtn5->isEnabled());
    Choose(*form, 0);
    EXPECT_EQ(form->Album->CurrentDir(), Folder.FilePath(QStringLiteral("data/photo/")));
}

struct TRememberCase {
    const char* Name;
    QString Remembered;
    bool SiblingExists;
    QString Expected;
};

// Parameterised tests show a case by its name.
void PrintTo(const TRememberCase& c, std::ostream* out) {
    *out << c.Name;
}

class MainWindowRemembers : public MainWindowTest,
                            public ::testing::WithParamInterface<TRememberCase> {};

TEST_P(MainWindowRemembers, ReopensTheRememberedEntryOrTheFirst) {
    const TRememberCase& c = GetParam();
    WriteSaveDirs({{1, QStringLiteral("/a")}, {2, QStringLiteral("/b")}});
    if (c.SiblingExists)
        Folder.MakeDir(QStringLiteral("data/NebelkaPhoto"));
    WriteSaveFolderSetting(c.Remembered);
    auto form = Start();
    EXPECT_EQ(form->ComboBox2->currentText(), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MainWindowRemembers,
    ::testing::Values(TRememberCase{"saveFolder", "/b", false, "/b"},
                      TRememberCase{"sibling", QStringLiteral("ネベルカ用フォルダ"), true,
                                    QStringLiteral("ネベルカ用フォルダ")},
                      TRememberCase{"siblingGone", QStringLiteral("ネベルカ用フォルダ"), false,
                                    QStringLiteral("カレントフォルダ")},
                      TRememberCase{"removedFolder", "/gone", false,
                                    QStringLiteral("カレントフォルダ")},
                      TRememberCase{"otherCase", "/B", false, QStringLiteral("カレントフォルダ")}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(MainWindowTest, ClosingWritesTheSettingsWithTheComboText) {
    WriteSaveDirs({{1, QStringLiteral(" /畑 ")}});
    Folder.MakeDir(QStringLiteral("data/NebelkaPhoto"));
    auto form = Start();
    Viewer.show();
    Choose(*form, 2);
    form->close();
    EXPECT_FALSE(Viewer.isVisible());
    TPhotoSetting setting;
    setting.Load();
    EXPECT_EQ(setting.SaveFolder, QStringLiteral(" /畑 "));
    EXPECT_EQ(setting.ReduceWidth, QStringLiteral("600"));
    EXPECT_TRUE(Folder.ReadFile(QStringLiteral("KavroPhoto.ini")).contains("SAVE_FOLDER=\" /"));
}

TEST_F(MainWindowTest, UnwritableSettingsAreReportedAndTheWindowStillCloses) {
    auto form = Start();
    Folder.MakeDir(QStringLiteral("KavroPhoto.ini"));  // a folder where the file should be
    EXPECT_TRUE(form->close());
    EXPECT_EQ(Dialogs.MessageTexts(),
              QStringList{Folder.FilePath(QStringLiteral("KavroPhoto.ini")) +
                          QStringLiteral(" に書き込めません")});
}

TEST(SelectComboText, ExactMatchOrFirstItem) {
    QComboBox combo;
    int changes = 0;
    QObject::connect(&combo, &QComboBox::currentIndexChanged, [&] { ++changes; });
    SelectComboText(QStringLiteral("a"), &combo);
    EXPECT_EQ(combo.currentIndex(), -1);
    combo.addItems({QStringLiteral("x"), QStringLiteral("abc"), QStringLiteral("ABC")});
    changes = 0;
    SelectComboText(QStringLiteral("ABC"), &combo);
    EXPECT_EQ(combo.currentIndex(), 2);
    SelectComboText(QStringLiteral("Abc"), &combo);
    EXPECT_EQ(combo.currentIndex(), 0);
    EXPECT_EQ(changes, 0) << "choosing by program raises no change";
}

}  // namespace

// The help window blocks the windows behind it itself; clicks meant for its own controls and for
// its pop-ups still arrive.
TEST(InputBlocker, DropsClicksForOtherWindowsOnly) {
    QWidget behind;
    auto* behindButton = new QPushButton(QStringLiteral("後ろ"), &behind);
    QWidget front;
    auto* frontButton = new QPushButton(QStringLiteral("前"), &front);
    QWidget popup(&front, Qt::Popup);
    auto* popupButton = new QPushButton(QStringLiteral("ポップアップ"), &popup);
    for (QWidget* window : {&behind, &front, &popup})
        window->show();
    int behindClicks = 0, frontClicks = 0, popupClicks = 0;
    QObject::connect(behindButton, &QPushButton::clicked, [&] { ++behindClicks; });
    QObject::connect(frontButton, &QPushButton::clicked, [&] { ++frontClicks; });
    QObject::connect(popupButton, &QPushButton::clicked, [&] { ++popupClicks; });
    {
        const TInputBlocker blocker(&front);
        for (QPushButton* button : {behindButton, frontButton, popupButton})
            QTest::mouseClick(button, Qt::LeftButton);
    }
    QTest::mouseClick(behindButton, Qt::LeftButton);
    EXPECT_EQ(behindClicks, 1);  // only the click after the blocker went
    EXPECT_EQ(frontClicks, 1);
    EXPECT_EQ(popupClicks, 1);
}
