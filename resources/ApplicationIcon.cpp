#include "resources/ApplicationIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

// Drawn on a 32-unit square and scaled, so every size comes from one picture. An image rather
// than a pixmap: it needs no window system, so the build can write the icon files too.
QImage ApplicationIconImage(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
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
    painter.end();
    return image;
}

QIcon ApplicationIcon()
{
    QIcon icon;
    for (int size : ApplicationIconSizes)
        icon.addPixmap(QPixmap::fromImage(ApplicationIconImage(size)));
    return icon;
}
