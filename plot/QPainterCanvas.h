#pragma once

#include "plot/Canvas.h"

#include <QFont>
#include <QFontMetricsF>
#include <QHash>

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
    // Draws the lines still held back.
    ~QPainterCanvas() override;
    QPainterCanvas(const QPainterCanvas &) = delete;
    QPainterCanvas &operator=(const QPainterCanvas &) = delete;

    // Draws the lines still held back; call before the painter's page ends or it is ended.
    void flush();

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
        // Extents of texts measured in this font: the texts of a table repeat from row to
        // row, and measuring lays the text out anew each time.
        QHash<QString, QSize> extents;
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
    // Adds a line from the run's last point to point, merging the run's lines within one
    // column, which lie on one vertical line.
    void extendRun(QPoint point);

    // On paper, lines drawn one after another with round ends are held back and drawn as one
    // path: a path per line costs a printer far more than a point. A run of round-ended lines
    // within one column covers what the line from its lowest to its highest point covers, so
    // each column keeps at most its first, lowest, highest and last points.
    struct LineRun
    {
        std::vector<QPoint> points;
        // Index of the first point in the last column, and that column's extremes.
        std::size_t columnStart = 0;
        int columnLow = 0;
        int columnHigh = 0;
    };

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
    // Lines are held back in runs: on paper, with a pen whose ends and joins are round.
    bool m_paper = false;
    bool m_runsLines = false;
    LineRun m_run;
};
