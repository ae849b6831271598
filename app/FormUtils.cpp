#include "app/FormUtils.h"

#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <algorithm>
#include <cstdlib>

#include "imaging/TurboImg.h"
#include "model/KavroUtils.h"

TTurboImage* NewPictureBox(QWidget* parent, const char* name, const QRect& geometry) {
    auto* box = new TTurboImage(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(geometry);
    box->SetStretch(true);
    return box;
}

QRect FittedPlace(const QSize& picture, const QRect& box) {
    if (picture.isEmpty() || box.isEmpty())
        return box;
    const QSize fitted = FitSize(picture.width(), picture.height(), box.width(), box.height());
    return QRect(box.topLeft() + QPoint((box.width() - fitted.width()) / 2,
                                        (box.height() - fitted.height()) / 2),
                 fitted);
}

void ShowFitted(TTurboImage* pictureBox, const QRect& box, const TBitmap& picture) {
    pictureBox->setGeometry(FittedPlace(QSize(picture.Width(), picture.Height()), box));
    pictureBox->Picture().Assign(picture);
}

void KeepLabelInside(QLabel* label, int margin) {
    const int room = label->parentWidget()->width() - 2 * margin;
    label->adjustSize();
    for (int pixels = label->font().pixelSize(); label->width() > room && pixels > 9; --pixels) {
        SetPixelFont(label, pixels - 1);
        label->adjustSize();
    }
    const int right = label->parentWidget()->width() - margin;
    if (label->geometry().right() >= right)
        label->move(std::max(margin, right - label->width()), label->y());
}

void CentreOnWindow(QWidget* window, const QWidget* target) {
    if (!target) {
        CentreOnParent(window);
        return;
    }
    const QRect area = target->window()->frameGeometry();
    if (area.isValid())
        window->move(area.center() - window->rect().center());
}

void AskForFrameWithoutButtons(QWidget* window) {
    // Qt tells an X11 window manager which buttons to leave out only when the window asks for
    // at least one; a window without any gets the manager's default set. The Motif hints say it
    // directly: move only, a border and a title, nothing else.
    // The offscreen platform offers the interface too, without a connection.
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (QGuiApplication::platformName() != QLatin1String("xcb") || x11 == nullptr ||
        x11->connection() == nullptr) {
        return;
    }
    xcb_connection_t* connection = x11->connection();
    static constexpr char Name[] = "_MOTIF_WM_HINTS";
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, sizeof Name - 1, Name), nullptr);
    if (atom == nullptr)
        return;
    enum : quint32 { HintFunctions = 1u << 0, HintDecorations = 1u << 1 };
    enum : quint32 { FunctionMove = 1u << 2 };
    enum : quint32 { DecorationBorder = 1u << 1, DecorationTitle = 1u << 3 };
    const quint32 hints[5] = {HintFunctions | HintDecorations, FunctionMove,
                              DecorationBorder | DecorationTitle, 0, 0};
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, xcb_window_t(window->winId()),
                        atom->atom, atom->atom, 32, 5, hints);
    std::free(atom);
    xcb_flush(connection);
}

TInputBlocker::TInputBlocker(QWidget* window) : FWindow(window) {
    qApp->installEventFilter(this);
}

TInputBlocker::~TInputBlocker() {
    qApp->removeEventFilter(this);
}

bool TInputBlocker::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::ContextMenu:
            break;
        default:
            return false;
    }
    const auto* widget = qobject_cast<const QWidget*>(watched);
    if (widget == nullptr)
        return false;
    // A pop-up or menu of the window has the window among its parents' windows.
    for (const QWidget* top = widget->window(); top != nullptr;
         top = top->parentWidget() ? top->parentWidget()->window() : nullptr) {
        if (top == FWindow)
            return false;
    }
    return true;
}
