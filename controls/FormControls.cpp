#include "controls/FormControls.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

QLabel* NewLabel(QWidget* parent, const char* name, const QString& caption, QPoint place) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->move(place);
    label->adjustSize();
    return label;
}

QLabel* NewLabel(QWidget* parent, const char* name, const QString& caption, const QRect& geometry) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
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

bool FirstShow(QWidget* window) {
    static const char* const Shown = "kavroShown";
    if (window->property(Shown).toBool())
        return false;
    window->setProperty(Shown, true);
    return true;
}
