#include "controls/WindowPlacement.h"

#include <QAbstractItemView>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>
#include <QTabBar>
#include <QWidget>
#include <algorithm>

QString TextFamily() {
    return QStringLiteral("Noto Sans CJK JP");
}

namespace {

bool TextFamilyInstalled() {
    static const bool installed = QFontDatabase::hasFamily(TextFamily());
    return installed;
}

QRect AvailableArea(const QScreen* screen) {
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

// A window's frame: its size, and where the client area lies inside it.
struct TFrame {
    QSize Size;
    QPoint ClientOffset;
    bool Known = true;
};

// Before a window is first mapped its frame is not known yet; the owner's frame, drawn by the
// same window manager, is the best guess for it.
TFrame FrameOf(const QWidget* window, const QWidget* owner) {
    TFrame frame{window->frameGeometry().size(),
                 window->geometry().topLeft() - window->frameGeometry().topLeft()};
    if (frame.Size == window->size() && owner) {
        frame.Known = false;
        frame.Size += owner->frameGeometry().size() - owner->size();
        frame.ClientOffset = owner->geometry().topLeft() - owner->frameGeometry().topLeft();
    }
    return frame;
}

// Puts the frame's top left corner at the place. A window not created yet takes the place as its
// frame's once the frame is known; a created one whose frame is not known yet has its client
// area put there instead, so the client goes where the guessed frame puts it.
void MoveFrame(QWidget* window, const TFrame& frame, const QPoint& place) {
    const bool created = window->testAttribute(Qt::WA_WState_Created);
    window->move(frame.Known || !created ? place : place + frame.ClientOffset);
}

// The lowest screen row that must stay in sight: the owner's tabs and, above its largest list,
// the controls that act on the list. The list itself may be covered.
int KeepClearBottom(const QWidget* owner) {
    int bottom = owner->geometry().top();
    for (const QTabBar* tabs : owner->findChildren<QTabBar*>()) {
        if (tabs->isVisible())
            bottom = std::max(bottom, tabs->mapToGlobal(QPoint(0, tabs->height() - 1)).y());
    }
    const QAbstractItemView* largest = nullptr;
    for (const QAbstractItemView* view : owner->findChildren<QAbstractItemView*>()) {
        if (view->isVisible() && view->window() == owner &&
            (!largest || view->width() * view->height() > largest->width() * largest->height()))
            largest = view;
    }
    if (largest)
        bottom = std::max(bottom, largest->mapToGlobal(QPoint(0, 0)).y() - 1);
    return bottom;
}

}  // namespace

void UseTextFamily(QWidget* widget) {
    if (!TextFamilyInstalled())
        return;
    QFont font = widget->font();
    font.setFamilies({TextFamily()});
    widget->setFont(font);
}

void SetPixelFont(QWidget* control, int pixels) {
    QFont font = control->font();
    font.setPixelSize(pixels);
    if (TextFamilyInstalled())
        font.setFamilies({TextFamily()});
    control->setFont(font);
}

void CentreOnParent(QWidget* window) {
    const QWidget* parent = window->parentWidget() ? window->parentWidget()->window() : nullptr;
    QRect area;
    if (parent) {
        area = parent->frameGeometry();
    } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        area = screen->availableGeometry();
    }
    if (area.isValid())
        window->move(area.center() - window->rect().center());
}

QPoint KeepOnScreen(const QRect& frame, const QRect& screen) {
    if (!screen.isValid())
        return frame.topLeft();
    const int x =
        std::max(screen.left(), std::min(frame.left(), screen.right() + 1 - frame.width()));
    const int y =
        std::max(screen.top(), std::min(frame.top(), screen.bottom() + 1 - frame.height()));
    return {x, y};
}

QPoint PlaceBeside(const QRect& owner, const QSize& frame, const QRect& screen, int keepClearBelow,
                   int gap) {
    const int rightRoom = screen.right() - owner.right() - gap;
    const int leftRoom = owner.left() - screen.left() - gap;
    QPoint place;
    if (frame.width() <= rightRoom) {
        place = {owner.right() + 1 + gap, owner.top()};
    } else if (frame.width() <= leftRoom) {
        place = {owner.left() - gap - frame.width(), owner.top()};
    } else {
        // KeepOnScreen pulls it back from the edge it would pass.
        // An owner centred to within the gap (frames differ by a few pixels) counts as centred,
        // and a centred owner has the window on its right.
        const bool right = owner.center().x() <= screen.center().x() + gap;
        place = {right ? screen.right() + 1 : screen.left() - frame.width(),
                 keepClearBelow + 1 + gap};
    }
    return KeepOnScreen(QRect(place, frame), screen);
}

int NarrowestPageWidth(int arrangedWidth, const QList<QRect>& leftKept,
                       const QList<QRect>& rightKept, int gap) {
    int narrowest = 0;
    for (const QRect& left : leftKept) {
        for (const QRect& right : rightKept) {
            if (left.bottom() < right.top() || right.bottom() < left.top())
                continue;
            narrowest =
                std::max(narrowest, left.right() + 1 + gap + (arrangedWidth - right.left()));
        }
    }
    return narrowest;
}

void TRememberedPlace::Remember(const QWidget* window) {
    FPlace = window->pos();
}

void TRememberedPlace::Restore(QWidget* window, const QWidget* owner) const {
    const TFrame frame = FrameOf(window, owner);
    const QSize size = frame.Size;
    if (FPlace) {
        const QScreen* screen = QGuiApplication::screenAt(*FPlace);
        if (!screen)
            screen = owner ? owner->screen() : window->screen();
        MoveFrame(window, frame, KeepOnScreen(QRect(*FPlace, size), AvailableArea(screen)));
        return;
    }
    const QRect screen = AvailableArea(owner ? owner->screen() : window->screen());
    if (!owner) {
        MoveFrame(
            window, frame,
            KeepOnScreen(QRect(screen.center() - QPoint(size.width(), size.height()) / 2, size),
                         screen));
        return;
    }
    MoveFrame(window, frame,
              PlaceBeside(owner->frameGeometry(), size, screen, KeepClearBottom(owner)));
}
