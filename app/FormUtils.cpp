#include "app/FormUtils.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <algorithm>

#include "imaging/TurboImg.h"

QLabel* NewLabel(QWidget* parent, const char* name, const QString& caption, QPoint place) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->move(place);
    label->adjustSize();
    return label;
}

QRadioButton* NewRadioButton(QWidget* parent, const char* name, const QString& caption,
                             QPoint place) {
    auto* button = new QRadioButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->move(place);
    button->adjustSize();
    return button;
}

QPushButton* NewButton(QWidget* parent, const char* name, const QString& caption,
                       const QRect& geometry) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    return button;
}

TTurboImage* NewPictureBox(QWidget* parent, const char* name, const QRect& geometry) {
    auto* box = new TTurboImage(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(geometry);
    box->SetStretch(true);
    return box;
}

void SetPixelFont(QWidget* control, int pixels) {
    QFont font = control->font();
    font.setPixelSize(pixels);
    control->setFont(font);
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

void CentreOnWindow(QWidget* window, const QWidget* target) {
    if (!target) {
        CentreOnParent(window);
        return;
    }
    const QRect area = target->window()->frameGeometry();
    if (area.isValid())
        window->move(area.center() - window->rect().center());
}
