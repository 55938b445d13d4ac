#pragma once

#include "plot/Canvas.h"

#include <QFont>

class QPainter;

// A canvas over an active QPainter (a widget, an image or a printer). The painter must stay
// active while the canvas is used; the canvas changes its pen and font and leaves its
// transformation alone.
class QPainterCanvas : public Canvas
{
public:
    enum class Mapping
    {
        // Logical units are the painter's own pixels, y downward (the screen view).
        DevicePixels,
        // Logical units of 0.1 mm with y upward and the origin at the painter's origin (the
        // printable area's top-left on a printer), so points on the page have y <= 0. Converted
        // with the device's logical resolution: units * dpi / 254.
        Lometric,
    };

    QPainterCanvas(QPainter &painter, Mapping mapping);

    void moveTo(QPoint point) override;
    void lineTo(QPoint point) override;
    void rectangle(const QRect &rect) override;
    void fillRect(const QRect &rect, const QColor &color) override;
    QPen selectPen(const QPen &pen) override;
    CanvasFont selectFont(const CanvasFont &font) override;
    void textOut(QPoint topLeft, const QString &text) override;
    QSize textExtent(const QString &text) const override;
    void drawText(const QRect &rect, const QString &text, Qt::Alignment alignment) override;

    // The installed families tried, in order, for face.
    static QStringList familiesFor(const QString &face);

private:
    QPointF toDevice(QPoint point) const;
    QRectF toDevice(const QRect &rect) const;
    QFont deviceFont(const CanvasFont &font) const;
    // Built on first use, so that a canvas that only draws lines needs no font database.
    const QFont &currentFont() const;
    // The text as the selected face shows it: the Symbol face's letters are Greek.
    QString shownText(const QString &text) const;

    QPainter &m_painter;
    double m_scaleX = 1.0;
    double m_scaleY = 1.0;
    double m_dpiY = 0.0;
    QPoint m_position;
    QPen m_pen;
    CanvasFont m_font;
    mutable QFont m_deviceFont;
    mutable bool m_fontReady = false;
    bool m_symbolFace = false;
};
