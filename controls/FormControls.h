#pragma once

#include <QPoint>
#include <QRect>
#include <QString>

class QLabel;
class QPushButton;
class QRadioButton;
class QWidget;

// The controls that every window built in code makes, each with its objectName, caption and
// place, for the main program's windows and the favourite sites' dialogs alike.

// A label at the place, as large as its caption.
QLabel* NewLabel(QWidget* parent, const char* name, const QString& caption, QPoint place);
// A label of a fixed size.
QLabel* NewLabel(QWidget* parent, const char* name, const QString& caption, const QRect& geometry);
QRadioButton* NewRadioButton(QWidget* parent, const char* name, const QString& caption,
                             QPoint place);
// A push button that Enter does not press unless it is made the default.
QPushButton* NewButton(QWidget* parent, const char* name, const QString& caption,
                       const QRect& geometry);

// True the first time it is asked about a window, false ever after: what a window does when it
// first appears (place itself, fill its controls) is not done again when it is shown anew.
bool FirstShow(QWidget* window);
