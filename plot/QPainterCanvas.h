#pragma once

#include "plot/Canvas.h"

#include <QFont>
#include <QFontMetricsF>

#include <vector>

class QPainter;

// A canvas over an active QPainter (a widget, an image or a printer). The painter must stay
// active while the canvas is used, and its pen and font are the canvas's to set: nothing else
// may change them meanwhile. The canvas leaves the painter's transformation as it found it.
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
    // A font as the device draws it, with its metrics: building them asks the font database,
    // which is far dearer than drawing a short text, so each is built once per canvas.
    struct DeviceFont
    {
        CanvasFont key; // its escapement is always 0: turning the text needs no other font
        QFont font;
        QFontMetricsF metrics;
        bool symbolFace = false;
    };

    QPointF toDevice(QPoint point) const;
    QRectF toDevice(const QRect &rect) const;
    QFont deviceFont(const CanvasFont &font) const;
    // The selected font, built on first use, so that a canvas that only draws lines needs no
    // font database.
    const DeviceFont &currentFont() const;
    // The text as the selected face shows it: the Symbol face's letters are Greek.
    QString shownText(const QString &text, const DeviceFont &font) const;
    // Readies the painter for text in the selected font, or for lines in the selected pen;
    // each is set only when it is not already in force.
    const DeviceFont &useTextState();
    void useLineState();

    QPainter &m_painter;
    double m_scaleX = 1.0;
    double m_scaleY = 1.0;
    double m_dpiY = 0.0;
    QPoint m_position;
    QPen m_pen;
    QPen m_devicePen;
    CanvasFont m_font;
    mutable std::vector<DeviceFont> m_fonts;
    // Index in m_fonts of the selected font; -1 until it is built.
    mutable int m_current = -1;
    // Index in m_fonts of the font set on the painter; -1 for none yet.
    mutable int m_painterFont = -1;
    bool m_textPen = false;
};
