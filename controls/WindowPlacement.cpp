#include "controls/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

void SetPixelFont(QWidget* control, int pixels) {
    QFont font = control->font();
    font.setPixelSize(pixels);
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
