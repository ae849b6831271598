#include <gtest/gtest.h>

#include <QApplication>
#include <QHash>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "controls/ListView3.h"
#include "model/KavroUtils.h"
#include "sites/Unit18.h"
#include "sites/Unit19.h"
#include "tests/support/ScriptedDialogs.h"

namespace {

QStringList Entries(const TOkiniList& list) {
    QStringList entries;
    for (const TOkini* entry : list)
        entries.append(entry->Name + u'|' + entry->Url + u'|' + entry->Memo);
    return entries;
}

void Retype(QLineEdit* box, const QString& text) {
    box->selectAll();
    box->insert(text);
}

struct TRegisterCase {
    const char* Name;
    bool Changing;  // the dialog changes the list's first entry instead of adding
    QString NameText, UrlText, MemoText;
    bool Accepted;
    QString Message;
    const char* Focus;  // the box holding the focus after OK
    QStringList Expected;
};

void PrintTo(const TRegisterCase& c, std::ostream* out) {
    *out << c.Name;
}

class RegisterDialog : public ::testing::TestWithParam<TRegisterCase> {
protected:
    TScriptedDialogs Dialogs;
};

TEST_P(RegisterDialog, OkChecksTheBoxesAndStoresTheTexts) {
    const TRegisterCase& c = GetParam();
    TOkiniList list;
    list.Add(std::make_unique<TOkini>(TOkini{"old", "http://old/", "m"}));
    TForm18 form;
    form.OkiniList = &list;
    form.Okini = c.Changing ? list.First() : nullptr;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    Retype(form.Edit1, c.NameText);
    Retype(form.Edit3, c.UrlText);
    Retype(form.Edit2, c.MemoText);
    QTest::mouseClick(form.Button1, Qt::LeftButton);
    EXPECT_EQ(form.result() == QDialog::Accepted, c.Accepted);
    EXPECT_EQ(form.isVisible(), !c.Accepted);
    EXPECT_EQ(Dialogs.MessageTexts(), c.Message.isEmpty() ? QStringList{} : QStringList{c.Message});
    if (c.Focus) {
        EXPECT_EQ(QApplication::focusWidget()->objectName(), QString::fromLatin1(c.Focus));
    }
    EXPECT_EQ(Entries(list), c.Expected);
    if (c.Accepted) {
        EXPECT_EQ(form.Okini, c.Changing ? list.First() : list.Last());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RegisterDialog,
    ::testing::Values(
        TRegisterCase{"addAppendsAtTheEnd",
                      false,
                      "A",
                      "http://",
                      QStringLiteral("メモ "),
                      true,
                      "",
                      nullptr,
                      {"old|http://old/|m", QStringLiteral("A|http://|メモ ")}},
        TRegisterCase{"oneSpaceIsAName",
                      false,
                      " ",
                      "u",
                      "",
                      true,
                      "",
                      nullptr,
                      {"old|http://old/|m", " |u|"}},
        TRegisterCase{"emptyName",
                      false,
                      "",
                      "http://x/",
                      "",
                      false,
                      QStringLiteral("名称を入力してください。"),
                      "Edit1",
                      {"old|http://old/|m"}},
        TRegisterCase{"emptyAddress",
                      false,
                      "A",
                      "",
                      "",
                      false,
                      QStringLiteral("URLを入力してください。"),
                      "Edit3",
                      {"old|http://old/|m"}},
        TRegisterCase{
            "changeInPlace", true, "B", "http://b/", "", true, "", nullptr, {"B|http://b/|"}},
        TRegisterCase{"changeWithEmptyAddressKeepsTheEntry",
                      true,
                      "B",
                      "",
                      "n",
                      false,
                      QStringLiteral("URLを入力してください。"),
                      "Edit3",
                      {"old|http://old/|m"}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(RegisterDialogShow, StartsWithTheEntryOrTheInitialTextsAndCancelChangesNothing) {
    TScriptedDialogs dialogs;
    TOkiniList list;
    list.Add(std::make_unique<TOkini>(TOkini{"n", "http://u/", "m"}));
    {
        TForm18 form;
        form.OkiniList = &list;
        EXPECT_EQ(form.windowTitle(), QStringLiteral("URL登録"));
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
        EXPECT_EQ(form.size(), QSize(434, 243));
        EXPECT_EQ(form.Edit1->text(), QString());
        EXPECT_EQ(form.Edit3->text(), QStringLiteral("http://"));
        EXPECT_EQ(form.Edit2->text(), QString());
        EXPECT_EQ(form.Label2->buddy(), form.Edit1);
        // Tab order: name, address, note, OK, キャンセル.
        QList<QWidget*> order{QApplication::focusWidget()};
        for (int i = 0; i < 4; ++i) {
            QTest::keyClick(order.last(), Qt::Key_Tab);
            order.append(QApplication::focusWidget());
        }
        EXPECT_EQ(order, (QList<QWidget*>{form.Edit1, form.Edit3, form.Edit2, form.Button1,
                                          form.Button2}));
    }
    TForm18 form;
    form.OkiniList = &list;
    form.Okini = list.First();
    form.show();
    EXPECT_EQ(form.Edit1->text(), QStringLiteral("n"));
    EXPECT_EQ(form.Edit3->text(), QStringLiteral("http://u/"));
    EXPECT_EQ(form.Edit2->text(), QStringLiteral("m"));
    Retype(form.Edit1, QStringLiteral("changed"));
    QTest::mouseClick(form.Button2, Qt::LeftButton);
    EXPECT_EQ(form.result(), QDialog::Rejected);
    EXPECT_EQ(Entries(list), QStringList{"n|http://u/|m"});
}

class Chooser : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* url : {"http://a/", "http://b/", "http://c/"})
            List.Add(std::make_unique<TOkini>(TOkini{QStringLiteral("同名"), url, "memo"}));
        Form.OkiniList = &List;
        Form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Form));
    }
    void ClickRow(int row) {
        const QPoint centre =
            Form.ListView31->visualItemRect(Form.ListView31->topLevelItem(row)).center();
        QTest::mouseClick(Form.ListView31->viewport(), Qt::LeftButton, {}, centre);
    }

    TScriptedDialogs Dialogs;
    TOkiniList List;
    TForm19 Form;
};

TEST_F(Chooser, ListsEveryEntryWithAnEmptyBox) {
    EXPECT_EQ(Form.windowTitle(), QStringLiteral("お気に入り一覧"));
    ASSERT_EQ(Form.ListView31->topLevelItemCount(), 3);
    EXPECT_EQ(Form.ListView31->headerItem()->text(1), QStringLiteral("名称"));
    EXPECT_EQ(Form.ListView31->headerItem()->text(2), QStringLiteral("URL"));
    EXPECT_EQ(Form.ListView31->columnWidth(0), 25);
    for (int row = 0; row < 3; ++row) {
        const QTreeWidgetItem* item = Form.ListView31->topLevelItem(row);
        EXPECT_EQ(TListView3::ImageIndex(item), 0);
        EXPECT_EQ(item->text(1), QStringLiteral("同名"));
        EXPECT_EQ(item->text(2), List[row]->Url);
    }
    EXPECT_FALSE(Form.ListView31->MultiCheck);
}

TEST_F(Chooser, OkWithoutATickAsksForOneAndStaysOpen) {
    Form.ListView31->setCurrentItem(Form.ListView31->topLevelItem(1));  // selected, not ticked
    QTest::mouseClick(Form.Button2, Qt::LeftButton);
    EXPECT_EQ(Dialogs.MessageTexts(),
              QStringList{QStringLiteral("お気に入りを選択してください。")});
    EXPECT_TRUE(Form.isVisible());
    EXPECT_EQ(Form.SelectedOkini, nullptr);
}

TEST_F(Chooser, OkGivesTheTickedEntryAmongEqualNames) {
    ClickRow(0);
    ClickRow(2);
    QTest::mouseClick(Form.Button2, Qt::LeftButton);
    EXPECT_TRUE(Dialogs.Messages().isEmpty());
    EXPECT_EQ(Form.result(), QDialog::Accepted);
    EXPECT_EQ(Form.SelectedOkini, List[2]);
}

TEST_F(Chooser, CancelChoosesNothing) {
    ClickRow(1);
    QTest::mouseClick(Form.Button3, Qt::LeftButton);
    EXPECT_EQ(Form.result(), QDialog::Rejected);
    EXPECT_EQ(Form.SelectedOkini, nullptr);
}

// Pixels of a cell that stand out from its background: the strokes of its text. The cell's
// edges, where the grid lines run, are left out.
int InkPixels(const QImage& image, QRect cell) {
    cell = cell.adjusted(3, 2, -3, -2);
    QHash<QRgb, int> counts;
    for (int y = cell.top(); y <= cell.bottom(); ++y) {
        for (int x = cell.left(); x <= cell.right(); ++x)
            ++counts[image.pixel(x, y)];
    }
    QRgb background = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (it.value() > counts.value(background))
            background = it.key();
    }
    const int backgroundGrey = qGray(background);
    int ink = 0;
    for (int y = cell.top(); y <= cell.bottom(); ++y) {
        for (int x = cell.left(); x <= cell.right(); ++x)
            ink += std::abs(qGray(image.pixel(x, y)) - backgroundGrey) > 80 ? 1 : 0;
    }
    return ink;
}

// The selected row keeps its name and address readable, ticked or not, with the focus in the
// list or elsewhere.
TEST_F(Chooser, SelectedRowShowsItsTexts) {
    TListView3* view = Form.ListView31;
    for (const bool ticked : {false, true}) {
        for (const bool focused : {true, false}) {
            ClickRow(1);
            if (TListView3::ImageIndex(view->topLevelItem(1)) != (ticked ? 1 : 0))
                ClickRow(1);
            ASSERT_EQ(view->currentItem(), view->topLevelItem(1));
            ASSERT_TRUE(view->topLevelItem(1)->isSelected());
            (focused ? static_cast<QWidget*>(view) : Form.Button3)->setFocus();
            QApplication::processEvents();
            const QImage image = view->viewport()->grab().toImage();
            for (const int column : {1, 2}) {
                const int selected = InkPixels(
                    image, view->visualItemRect(view->topLevelItem(1))
                               .intersected(view->visualRect(view->model()->index(1, column))));
                const int plain =
                    InkPixels(image, view->visualRect(view->model()->index(0, column)));
                EXPECT_GT(plain, 20) << column;
                EXPECT_GT(selected, plain / 2)
                    << "ticked " << ticked << " focused " << focused << " column " << column;
            }
        }
    }
}

TEST(ChooserImages, EmptyBoxAndGreenTick) {
    TForm19 form;
    form.show();
    TOkiniList list;
    list.Add(std::make_unique<TOkini>());
    form.OkiniList = &list;
    form.FormShow();
    QTreeWidgetItem* item = form.ListView31->topLevelItem(0);
    const auto greenPixels = [&] {
        const QImage image = item->icon(0).pixmap(16, 20).toImage();
        EXPECT_EQ(image.size(), QSize(16, 20));
        int green = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                green += c.alpha() > 128 && c.green() > 100 && c.red() < 100 ? 1 : 0;
            }
        }
        return green;
    };
    EXPECT_EQ(greenPixels(), 0);
    form.ListView31->CheckItem(0);
    EXPECT_GT(greenPixels(), 10);
}

}  // namespace
