#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QString>

#include "controls/FormControls.h"
#include "controls/WindowPlacement.h"

class QLabel;
class QWidget;
class TBitmap;
class TTurboImage;

// The main program's picture box, made like the other controls (FormControls.h).
TTurboImage* NewPictureBox(QWidget* parent, const char* name, const QRect& geometry);

// Where a picture of the given size goes in a box: at its own size when it fits, else shrunk to
// fit with its proportions kept, centred either way. An empty picture takes the whole box.
QRect FittedPlace(const QSize& picture, const QRect& box);
// Gives the picture box a share of the picture and puts it at FittedPlace in the box, so that a
// thumbnail is never stretched out of shape.
void ShowFitted(TTurboImage* pictureBox, const QRect& box, const TBitmap& picture);

// Keeps a one-line label whole inside its window: a text wider than its designed place allows
// (Japanese glyphs run wider than the design's font) moves the label left just enough, and a
// text wider than the window less its margins gets a smaller font until it fits.
void KeepLabelInside(QLabel* label, int margin = 8);

// Centres a window on another window; with none given, as CentreOnParent.
void CentreOnWindow(QWidget* window, const QWidget* target);

// Asks the window system for a frame with a title and no buttons (no system menu, minimise,
// maximise or close), for a window about to be mapped; nothing happens off X11.
void AskForFrameWithoutButtons(QWidget* window);

// While alive, input (mouse, wheel, keys, context menus) meant for any window other than the
// given one and the windows it owns (its menus and pop-ups) is dropped.
class TInputBlocker : public QObject {
public:
    explicit TInputBlocker(QWidget* window);
    ~TInputBlocker() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* FWindow;
};
