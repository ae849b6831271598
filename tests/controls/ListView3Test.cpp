#include <gtest/gtest.h>

#include <QTest>

#include "controls/ListView3.h"

namespace {

// An action on the list: "c2" press on row 2, "d2" double click on row 2, "e" press below the
// last row, "s2" select row 2 without ticking, "n" clear the selection, " " the space bar.
struct TTickCase {
    const char* Name;
    bool MultiCheck;
    bool ReadOnly;
    bool Checkboxes2;
    QList<int> Start;  // image indexes of the rows
    QStringList Actions;
    QList<int> Expected;
    QString Events;  // "+n" ticked row n, "-n" unticked
    int MouseDowns;
};

void PrintTo(const TTickCase& c, std::ostream* out) {
    *out << c.Name;
}

class ListView3Ticks : public ::testing::TestWithParam<TTickCase> {
protected:
    void SetUp() override {
        View.resize(300, 300);
        View.setColumnCount(2);
        for (int i = 0; i < GetParam().Start.size(); ++i)
            View.AddItem(QString::number(i), {QStringLiteral("sub")}, GetParam().Start[i]);
        View.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&View));
    }
    QPoint RowCentre(int row) { return View.visualItemRect(View.topLevelItem(row)).center(); }
    void Run(const QString& action) {
        QWidget* port = View.viewport();
        const int row = action.mid(1).toInt();
        switch (action.at(0).toLatin1()) {
            case 'c':
                QTest::mousePress(port, Qt::LeftButton, {}, RowCentre(row));
                QTest::mouseRelease(port, Qt::LeftButton, {}, RowCentre(row));
                break;
            case 'r':  // right button with a modifier ticks as well
                QTest::mousePress(port, Qt::RightButton, Qt::ShiftModifier, RowCentre(row));
                QTest::mouseRelease(port, Qt::RightButton, Qt::ShiftModifier, RowCentre(row));
                break;
            case 'd':
                QTest::mousePress(port, Qt::LeftButton, {}, RowCentre(row));
                QTest::mouseRelease(port, Qt::LeftButton, {}, RowCentre(row));
                QTest::mouseDClick(port, Qt::LeftButton, {}, RowCentre(row));
                break;
            case 'e':
                QTest::mouseClick(port, Qt::LeftButton, {}, QPoint(20, port->height() - 5));
                break;
            case 's':
                View.setCurrentItem(View.topLevelItem(row));
                break;
            case 'n':
                View.clearSelection();
                break;
            case ' ':
                QTest::keyClick(&View, Qt::Key_Space);
                break;
        }
    }

    TListView3 View;
};

TEST_P(ListView3Ticks, FollowTheModeRules) {
    const TTickCase& c = GetParam();
    View.MultiCheck = c.MultiCheck;
    View.CheckboxesReadOnly = c.ReadOnly;
    View.Checkboxes2 = c.Checkboxes2;
    QString events;
    View.OnCheckItem = [&](TListView3* sender, QTreeWidgetItem* item, bool checked) {
        EXPECT_EQ(sender, &View);
        events += (checked ? u'+' : u'-') + QString::number(View.indexOfTopLevelItem(item));
    };
    int mouseDowns = 0;
    QObject::connect(&View, &TListView3::MouseDown, [&] { ++mouseDowns; });
    for (const QString& action : c.Actions)
        Run(action);
    QList<int> images;
    for (int i = 0; i < View.topLevelItemCount(); ++i)
        images.append(TListView3::ImageIndex(View.topLevelItem(i)));
    EXPECT_EQ(images, c.Expected);
    EXPECT_EQ(events, c.Events);
    EXPECT_EQ(mouseDowns, c.MouseDowns);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ListView3Ticks,
    ::testing::Values(
        TTickCase{"singleMovesAndUnticks",
                  false,
                  false,
                  true,
                  {0, 0, 0, 0, 0},
                  {"c2", "c4", "c4"},
                  {0, 0, 0, 0, 0},
                  "+2-2+4-4",
                  3},
        TTickCase{"anyButtonTicks", false, false, true, {0, 0}, {"r1"}, {0, 1}, "+1", 1},
        TTickCase{"doubleClickTicksAndUnticks",
                  false,
                  false,
                  true,
                  {0, 0, 0},
                  {"d1"},
                  {0, 0, 0},
                  "+1-1",
                  2},
        TTickCase{"pressOnNoItem", false, false, true, {1, 0}, {"e"}, {1, 0}, "", 0},
        TTickCase{
            "pressOnNoItemWithoutTicking", false, false, false, {1, 0}, {"e", "c1"}, {1, 0}, "", 2},
        TTickCase{"readOnly", false, true, true, {0, 1}, {"c0", "s0", " "}, {0, 1}, "", 1},
        TTickCase{"spaceWithoutSelection", false, false, true, {0, 0}, {"n", " "}, {0, 0}, "", 0},
        TTickCase{
            "spaceSingle", false, false, true, {1, 0, 0}, {"s2", " ", " "}, {0, 0, 0}, "-0+2-2", 0},
        TTickCase{"spaceMultiTogglesOnlySelected",
                  true,
                  false,
                  true,
                  {1, 0, 0},
                  {"s2", " ", "s0", " "},
                  {0, 0, 1},
                  "+2-0",
                  0},
        TTickCase{"multiClicks",
                  true,
                  false,
                  true,
                  {0, 0, 0},
                  {"c0", "c2", "c0"},
                  {0, 0, 1},
                  "+0+2-0",
                  3},
        TTickCase{"indexTwoMultiClears", true, false, true, {2}, {"c0"}, {0}, "-0", 1},
        TTickCase{"indexTwoSingleTicks", false, false, true, {2, 1}, {"c0"}, {1, 0}, "-1+0", 1}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(ListView3, CountsAndFirstCheckedItemAndEventOnRepeatedCheck) {
    TListView3 view;
    for (int image : {0, 1, 2, 1})
        view.AddItem(QStringLiteral("x"), {}, image);
    EXPECT_FALSE(view.Checkboxes());
    EXPECT_EQ(view.CheckedIndex(), 1);
    EXPECT_EQ(view.CheckedCount(), 2);
    EXPECT_EQ(view.CheckedItem(), view.topLevelItem(1));
    int events = 0;
    view.OnCheckItem = [&](TListView3*, QTreeWidgetItem*, bool) { ++events; };
    view.CheckItem(1);
    EXPECT_EQ(events, 1);
    view.clear();
    EXPECT_EQ(view.CheckedIndex(), -1);
    EXPECT_EQ(view.CheckedItem(), nullptr);
}

}  // namespace
