#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <optional>

class QWidget;

// The family of every text the windows draw. It holds Latin letters, digits and Japanese alike,
// so a line that mixes them comes out in one face instead of a Latin font with a Japanese
// fallback of another width and height.
QString TextFamily();

// Gives the widget, and every control that takes its font from it, the text family; sizes stay.
// Where the family is not installed the font is left as it was.
void UseTextFamily(QWidget* widget);

// Sets a font size in pixels, as the windows' designs give them, in the text family.
void SetPixelFont(QWidget* control, int pixels);

// Centres a window on its parent window, or on the screen when it has none.
void CentreOnParent(QWidget* window);

// The top left corner that puts a frame wholly inside the screen area, moving it as little as
// possible; a frame larger than the area keeps its top left corner inside it.
QPoint KeepOnScreen(const QRect& frame, const QRect& screen);

// Where a window of the given frame size first goes beside its owner's frame: to the right of
// it when it fits on the screen there, else to the left, top edges aligned. Where neither side
// has room it goes to the screen's edge away from the owner's centre, overlapping the owner but
// starting below keepClearBelow (the owner's tabs and the controls above its list), so that
// those stay in sight. Always on screen.
QPoint PlaceBeside(const QRect& owner, const QSize& frame, const QRect& screen, int keepClearBelow,
                   int gap = 8);

// The narrowest width of a page on which the controls in rightKept keep their distance from
// the right edge, as placed for a page of arrangedWidth, and stay at least gap pixels clear of
// the controls in leftKept, which keep their place (a stretching control counts with its least
// width). Only controls that share some height can meet; with none, the result is 0.
int NarrowestPageWidth(int arrangedWidth, const QList<QRect>& leftKept,
                       const QList<QRect>& rightKept, int gap);

// Remembers, while the program runs, where the user left a window, and puts it back there when
// it is shown again. The first time it goes beside its owner (PlaceBeside), clear of the owner's
// tabs and of the controls above the owner's largest list.
class TRememberedPlace {
public:
    // When the window is hidden.
    void Remember(const QWidget* window);
    // When the window is about to be shown; owner may be null (then the screen's centre).
    void Restore(QWidget* window, const QWidget* owner) const;

    std::optional<QPoint> Place() const { return FPlace; }

private:
    std::optional<QPoint> FPlace;
};
