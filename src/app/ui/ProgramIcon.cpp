// Draws the program icon: a letter over the lines of a list, on a blue tile (64-unit design grid).
#include "app/ui/ProgramIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace corvane::ui {

namespace {
QPixmap drawn(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 64.0, size / 64.0);
    const QColor blue(0x2b, 0x57, 0x97);
    painter.setPen(Qt::NoPen);
    painter.setBrush(blue);
    painter.drawRoundedRect(QRectF(2, 2, 60, 60), 10, 10);
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(QRectF(10, 14, 44, 30), 2, 2);
    painter.drawRect(QRectF(10, 48, 44, 3));
    painter.drawRect(QRectF(10, 54, 30, 3));
    QPainterPath flap;
    flap.moveTo(10, 14);
    flap.lineTo(32, 32);
    flap.lineTo(54, 14);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(blue, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(flap);
    return pixmap;
}
} // namespace

QIcon ProgramIcon::icon() {
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64}) {
        icon.addPixmap(drawn(size));
    }
    return icon;
}

} // namespace corvane::ui
