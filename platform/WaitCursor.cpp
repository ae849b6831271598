#include "platform/WaitCursor.h"

#include <QApplication>
#include <QCursor>

TWaitCursor::TWaitCursor() {
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

TWaitCursor::~TWaitCursor() {
    QApplication::restoreOverrideCursor();
}
