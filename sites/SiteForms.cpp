#include "sites/SiteForms.h"

#include <QPainter>
#include <QPainterPath>

QList<QIcon> TickImages() {
    constexpr int Width = 16;
    constexpr int Height = 20;
    const QRectF box(1.5, 3.5, 12, 12);
    QList<QIcon> images;
    for (const bool ticked : {false, true}) {
        QPixmap picture(Width, Height);
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(0x55, 0x55, 0x55), 1));
        painter.setBrush(Qt::white);
        painter.drawRect(box);
        if (ticked) {
            QPainterPath tick;
            tick.moveTo(3.5, 9.5);
            tick.lineTo(6.5, 13.0);
            tick.lineTo(14.5, 2.5);
            painter.setPen(
                QPen(QColor(0x1e, 0x9e, 0x2e), 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            painter.setBrush(Qt::NoBrush);
            painter.drawPath(tick);
        }
        painter.end();
        images.append(QIcon(picture));
    }
    return images;
}
