#pragma once

#include <QIcon>
#include <QList>
#include <QRect>
#include <QString>

class QLabel;
class QPushButton;
class QWidget;

// What the favourite sites' dialogs share.

QLabel* NewSiteLabel(QWidget* parent, const char* name, const QString& caption,
                     const QRect& geometry, int fontPixels);
QPushButton* NewSiteButton(QWidget* parent, const char* name, const QString& caption,
                           const QRect& geometry);
void SetFontPixels(QWidget* control, int pixels);

// Centres a dialog on the window it belongs to, or on the screen when it has none.
void CentreOnOwner(QWidget* dialog);

// The chooser's tick pictures, 16 x 20: 0 an empty box, 1 a box with a green tick.
QList<QIcon> TickImages();
