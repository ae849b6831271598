#pragma once

#include <QIcon>
#include <QList>
#include <QRect>
#include <QString>

#include "controls/WindowPlacement.h"

class QLabel;
class QPushButton;
class QWidget;

// What the favourite sites' dialogs share.

QLabel* NewSiteLabel(QWidget* parent, const char* name, const QString& caption,
                     const QRect& geometry, int fontPixels);
QPushButton* NewSiteButton(QWidget* parent, const char* name, const QString& caption,
                           const QRect& geometry);

// The chooser's tick pictures, 16 x 20: 0 an empty box, 1 a box with a green tick.
QList<QIcon> TickImages();
