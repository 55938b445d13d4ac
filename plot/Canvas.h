#pragma once

#include <QColor>
#include <QPen>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

// A font asked for by face and size, as the printouts and the plot name them.
struct CanvasFont
{
    // Family name such as "Courier", "Arial Cyr", "Tahoma" or "Symbol"; a face that is not
    // installed is replaced by a look-alike. Empty: the canvas's default face.
    QString face;
    // Character height in the canvas's units. The sign is ignored, so the negative
    // "character height" form of the printouts may be passed as is; 0: a 10 pt default.
    int height = 0;
    // 100 (thin) to 900 (black); 400 is normal, 700 bold.
    int weight = 400;
    bool italic = false;
    // Direction of the text in tenths of a degree, counter-clockwise from the x axis:
    // -900 runs the text downward, 900 upward.
    int escapement = 0;

    bool operator==(const CanvasFont &) const = default;
};

// A rectangle given by two opposite corners, each in the canvas's own units; with y upward
// the top lies above the bottom (top > bottom). The area spans from corner to corner.
inline QRect cornerRect(int left, int top, int right, int bottom)
{
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

// The drawing surface that the plot view and the printouts write to. Coordinates are in
// the canvas's logical units (device pixels with y downward on screen, 0.1 mm with y upward
// on paper). Rectangles are read corner to corner, as made by cornerRect().
// A canvas starts with defaultPen() and a default CanvasFont selected, at position (0, 0).
class Canvas
{
public:
    virtual ~Canvas() = default;

    // The thinnest solid black line the device can draw.
    static QPen defaultPen() { return QPen(Qt::black, 0); }

    // Sets the current position without drawing.
    virtual void moveTo(QPoint point) = 0;
    // Draws a line with the selected pen from the current position to point, which becomes
    // the current position.
    virtual void lineTo(QPoint point) = 0;
    // Outlines rect with the selected pen; the inside is left as it is.
    virtual void rectangle(const QRect &rect) = 0;
    virtual void fillRect(const QRect &rect, const QColor &color) = 0;

    // Pen widths are in the canvas's units; 0 is the device's thinnest line.
    // Returns the pen selected before.
    virtual QPen selectPen(const QPen &pen) = 0;
    // Returns the font selected before.
    virtual CanvasFont selectFont(const CanvasFont &font) = 0;

    // Writes text in black on a transparent background in the selected font, with the top
    // left of its first character cell at topLeft; rotated text turns about that point.
    virtual void textOut(QPoint topLeft, const QString &text) = 0;
    // Width and height of text on one line in the selected font, ignoring its escapement.
    virtual QSize textExtent(const QString &text) const = 0;
    // Writes text on one line inside rect, placed by alignment (for instance
    // Qt::AlignHCenter | Qt::AlignTop, Qt::AlignCenter, or Qt::AlignLeft | Qt::AlignVCenter);
    // insets are made by shrinking rect. Text larger than rect is not clipped.
    virtual void drawText(const QRect &rect, const QString &text, Qt::Alignment alignment) = 0;
};
