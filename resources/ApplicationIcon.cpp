#include "resources/ApplicationIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

// Drawn on a 32-unit square and scaled, so every size comes from one picture.
QPixmap drawIcon(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 32.0, size / 32.0);

    // The beam, from the lens to the measured spot.
    QPainterPath beam;
    beam.moveTo(15, 9);
    beam.lineTo(29, 4);
    beam.lineTo(29, 16);
    beam.lineTo(15, 13);
    beam.closeSubpath();
    painter.fillPath(beam, QColor(255, 120, 40, 140));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(220, 30, 20));
    painter.drawEllipse(QRectF(26, 6, 5, 8));

    // The instrument: body, handle and display.
    painter.setPen(QPen(QColor(30, 30, 60), 1.2));
    painter.setBrush(QColor(40, 90, 170));
    QPainterPath body;
    body.addRoundedRect(QRectF(2, 6, 14, 10), 2.5, 2.5);
    body.addRoundedRect(QRectF(4, 14, 6, 15), 2, 2);
    painter.drawPath(body.simplified());
    painter.setBrush(QColor(200, 240, 200));
    painter.drawRect(QRectF(4.5, 8.5, 7, 4));
    return pixmap;
}

} // namespace

QIcon ApplicationIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64})
        icon.addPixmap(drawIcon(size));
    return icon;
}
