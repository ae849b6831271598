#include "platform/WaitCursor.h"

#include <QApplication>
#include <QCursor>

TWaitCursor::TWaitCursor() {
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

TWaitCursor::~TWaitCursor() {
    QApplication::restoreOverrideCursor();
}

TNormalCursor::TNormalCursor() {
    QApplication::setOverrideCursor(QCursor(Qt::ArrowCursor));
}

TNormalCursor::~TNormalCursor() {
    QApplication::restoreOverrideCursor();
}
