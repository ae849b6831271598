#include "app/Unit32.h"

TForm32::TForm32(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("Form32"));
    setWindowTitle(QStringLiteral("フォトビュー"));
    resize(300, 300);
    QPalette background = palette();
    background.setColor(QPalette::Window, Qt::white);
    setPalette(background);
    setAutoFillBackground(true);
}

void TForm32::ShowPhoto(TPhoto* photo) {
    Q_UNUSED(photo);
}
