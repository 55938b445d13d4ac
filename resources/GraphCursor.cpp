#include "resources/GraphCursor.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

constexpr int CursorSize = 32;
constexpr int CrossArm = 5;

// Black strokes with a white rim, so that the pointer shows on the light plot and on the
// dark grid lines alike.
void drawRimmed(QPainter &painter, const QPainterPath &path)
{
    painter.strokePath(path, QPen(Qt::white, 3, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.strokePath(path, QPen(Qt::black, 1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
}

void drawCrosshair(QPainter &painter)
{
    // Pixel centres, so that the one-pixel strokes fill whole pixels.
    const QPointF centre = QPointF(GraphCursorHotSpot) + QPointF(0.5, 0.5);
    QPainterPath cross;
    cross.moveTo(centre.x() - CrossArm, centre.y());
    cross.lineTo(centre.x() + CrossArm, centre.y());
    cross.moveTo(centre.x(), centre.y() - CrossArm);
    cross.lineTo(centre.x(), centre.y() + CrossArm);
    drawRimmed(painter, cross);
}

void drawThermometer(QPainter &painter)
{
    const QRectF bulb(17.5, 17.5, 7, 7);
    const QRectF tube(19.5, 2.5, 3, 17);
    QPainterPath outline;
    outline.addRoundedRect(tube, 1.5, 1.5);
    outline.addEllipse(bulb);
    outline = outline.simplified();
    painter.fillPath(outline, Qt::white);
    drawRimmed(painter, outline);

    // The mercury: the bulb and half the tube.
    painter.fillRect(QRectF(20.5, 10.5, 1, 9), Qt::red);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::red);
    painter.drawEllipse(bulb.adjusted(1.5, 1.5, -1.5, -1.5));

    // The scale beside the tube.
    QPainterPath ticks;
    for (int y = 5; y <= 15; y += 2) {
        const bool major = y % 4 == 1;
        ticks.moveTo(24.5, y + 0.5);
        ticks.lineTo(major ? 27.5 : 26.5, y + 0.5);
    }
    painter.strokePath(ticks, QPen(Qt::black, 1));
}

} // namespace

QImage GraphCursorImage(qreal pixelRatio)
{
    const int size = qRound(CursorSize * pixelRatio);
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(pixelRatio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    drawThermometer(painter);
    drawCrosshair(painter);
    return image;
}

QCursor GraphCursor(qreal pixelRatio)
{
    // The window system takes the hot spot in the picture's own pixels.
    const QPoint hotSpot = (QPointF(GraphCursorHotSpot) * pixelRatio).toPoint();
    return QCursor(QPixmap::fromImage(GraphCursorImage(pixelRatio)), hotSpot.x(), hotSpot.y());
}
