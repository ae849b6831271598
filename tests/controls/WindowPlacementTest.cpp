#include <gtest/gtest.h>

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

}  // namespace
