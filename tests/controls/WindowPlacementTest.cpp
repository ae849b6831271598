#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QVBoxLayout>

#include "controls/WindowPlacement.h"

namespace {

const QRect Screen(0, 0, 1280, 1024);

TEST(WindowPlacement, KeepOnScreenMovesAFrameAsLittleAsPossible) {
    const struct {
        const char* Name;
        QRect Frame;
        QPoint Expected;
    } cases[] = {
        {"inside", QRect(100, 200, 300, 300), QPoint(100, 200)},
        {"past the right edge", QRect(1100, 200, 300, 300), QPoint(980, 200)},
        {"past the bottom edge", QRect(100, 900, 300, 300), QPoint(100, 724)},
        {"above and left", QRect(-50, -20, 300, 300), QPoint(0, 0)},
        {"touching the corner", QRect(980, 724, 300, 300), QPoint(980, 724)},
        {"wider and taller than the screen", QRect(400, 300, 1500, 1100), QPoint(0, 0)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(KeepOnScreen(c.Frame, Screen), c.Expected) << c.Name;
    // A screen offset from the origin, as a second monitor is.
    EXPECT_EQ(KeepOnScreen(QRect(0, 0, 300, 300), QRect(1280, 0, 800, 600)), QPoint(1280, 0));
}

TEST(WindowPlacement, PlaceBesideTheOwnerClearOfItsTabs) {
    const struct {
        const char* Name;
        QRect Owner;
        QSize Frame;
        int TabsBottom;
        QPoint Expected;
    } cases[] = {
        {"right of it", QRect(0, 100, 600, 700), QSize(620, 500), 150, QPoint(608, 100)},
        {"exactly fits on the right", QRect(0, 100, 600, 700), QSize(672, 500), 150,
         QPoint(608, 100)},
        {"left when the right is too narrow", QRect(660, 100, 600, 700), QSize(620, 500), 150,
         QPoint(32, 100)},
        {"neither side: below the tabs, away from the owner's centre", QRect(271, 162, 738, 700),
         QSize(620, 500), 220, QPoint(660, 229)},
        {"neither side, owner right of centre: the left edge", QRect(400, 162, 738, 700),
         QSize(620, 500), 220, QPoint(0, 229)},
        {"too tall below the tabs: kept on the screen", QRect(271, 162, 738, 700), QSize(620, 1000),
         220, QPoint(660, 24)},
        {"owner low on the screen: lifted onto it", QRect(0, 800, 600, 200), QSize(620, 500), 830,
         QPoint(608, 524)},
    };
    for (const auto& c : cases) {
        const QPoint place = PlaceBeside(c.Owner, c.Frame, Screen, c.TabsBottom);
        EXPECT_EQ(place, c.Expected) << c.Name;
        EXPECT_TRUE(Screen.contains(QRect(place, c.Frame)) || c.Frame.height() > Screen.height())
            << c.Name;
    }
}

TEST(WindowPlacement, NarrowestPageWidthKeepsRightControlsClearOfLeftOnes) {
    // Buttons placed for a page of 730 pixels, 38 wide at 575 and 689; a combo to 328.
    const QList<QRect> buttons{QRect(575, 42, 38, 38), QRect(689, 42, 38, 38)};
    const struct {
        const char* Name;
        QList<QRect> Left;
        int Gap;
        int Expected;
    } cases[] = {
        {"one combo in the row", {QRect(154, 46, 174, 26)}, 6, 328 + 6 + 155},
        {"the rightmost left control counts",
         {QRect(3, 46, 145, 26), QRect(154, 46, 174, 26)},
         6,
         489},
        {"no gap", {QRect(154, 46, 174, 26)}, 0, 483},
        {"a control of another row does not count",
         {QRect(154, 46, 174, 26), QRect(70, 4, 600, 30)},
         6,
         489},
        {"sharing one pixel row", {QRect(154, 79, 200, 10)}, 6, 354 + 6 + 155},
        {"the row just below", {QRect(154, 80, 200, 10)}, 6, 0},
        {"nothing on the left", {}, 6, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NarrowestPageWidth(730, c.Left, buttons, c.Gap), c.Expected) << c.Name;
}

// A window placed by TRememberedPlace beside an owner window that has tabs.
class RememberedPlace : public ::testing::Test {
protected:
    void SetUp() override {
        auto* layout = new QVBoxLayout(&Owner);
        Tabs = new QTabWidget(&Owner);
        // A page as the album's: a command button above a list.
        auto* page = new QWidget;
        auto* pageLayout = new QVBoxLayout(page);
        Command = new QPushButton(QStringLiteral("写真を表示"), page);
        List = new QListWidget(page);
        pageLayout->addWidget(Command);
        pageLayout->addWidget(List, 1);
        Tabs->addTab(page, QStringLiteral("フォトアルバム"));
        layout->addWidget(Tabs);
        Screen = QGuiApplication::primaryScreen()->availableGeometry();
    }
    void ShowOwner(const QRect& geometry) {
        Owner.setGeometry(geometry);
        Owner.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Owner));
    }
    void ShowWindow() {
        Place.Restore(&Window, &Owner);
        Window.show();
        QApplication::processEvents();
    }
    void HideWindow() {
        Place.Remember(&Window);
        Window.hide();
    }
    QRect TabsOnScreen() const {
        const QTabBar* bar = Tabs->tabBar();
        return QRect(bar->mapToGlobal(QPoint(0, 0)), bar->size());
    }

    QWidget Owner;
    QTabWidget* Tabs = nullptr;
    QPushButton* Command = nullptr;
    QListWidget* List = nullptr;
    QWidget Window;
    TRememberedPlace Place;
    QRect Screen;
};

TEST_F(RememberedPlace, FirstBesideTheOwnerThenWhereTheUserLeftIt) {
    ShowOwner(QRect(Screen.left(), Screen.top() + 40, Screen.width() / 2, Screen.height() / 2));
    Window.resize(Screen.width() / 4, Screen.height() / 4);
    ShowWindow();
    EXPECT_FALSE(Window.frameGeometry().intersects(Owner.frameGeometry()));
    EXPECT_TRUE(Screen.contains(Window.frameGeometry()));

    const struct {
        const char* Name;
        QPoint MovedTo;
        QPoint Expected;
    } cases[] = {
        {"left where it was put", Screen.topLeft() + QPoint(30, 60),
         Screen.topLeft() + QPoint(30, 60)},
        {"half off the screen: back on it", Screen.bottomRight() - QPoint(10, 10),
         Screen.bottomRight() + QPoint(1, 1) -
             QPoint(Window.frameGeometry().width(), Window.frameGeometry().height())},
    };
    for (const auto& c : cases) {
        Window.move(c.MovedTo);
        HideWindow();
        ShowWindow();
        EXPECT_EQ(Window.pos(), c.Expected) << c.Name;
    }
}

TEST_F(RememberedPlace, NoRoomBesideTheOwnerLeavesItsTabsAndCommandsInSight) {
    ShowOwner(Screen.adjusted(20, 20, -20, -20));
    Window.resize(Screen.width() / 3, Screen.height() / 3);
    ShowWindow();
    const QRect frame = Window.frameGeometry();
    EXPECT_FALSE(frame.intersects(TabsOnScreen()));
    EXPECT_FALSE(frame.intersects(QRect(Command->mapToGlobal(QPoint(0, 0)), Command->size())));
    EXPECT_GE(frame.top(), List->mapToGlobal(QPoint(0, 0)).y());
    EXPECT_TRUE(frame.intersects(QRect(List->mapToGlobal(QPoint(0, 0)), List->size())))
        << "the list may be covered";
    EXPECT_TRUE(Screen.contains(frame));
}

}  // namespace
