#pragma once

#include <QIcon>
#include <QList>
#include <QRect>
#include <QString>

#include "controls/FormControls.h"
#include "controls/WindowPlacement.h"

// What the favourite sites' dialogs share.

// The chooser's tick pictures, 16 x 20: 0 an empty box, 1 a box with a green tick.
QList<QIcon> TickImages();
