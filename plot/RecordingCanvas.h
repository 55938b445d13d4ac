#pragma once

#include "plot/Canvas.h"

#include <QLine>
#include <QStringList>

#include <functional>
#include <vector>

// One call made on a RecordingCanvas, with the state it was made in.
struct CanvasCall
{
    enum class Kind
    {
        MoveTo,
        LineTo,
        Rectangle,
        FillRect,
        SelectPen,
        SelectFont,
        TextOut,
        DrawText
    };

    Kind kind;
    QPoint from;             // LineTo: the current position the line starts at
    QPoint to;               // MoveTo, LineTo: the point given; TextOut: the text's top left
    QRect rect;              // Rectangle, FillRect, DrawText
    QColor color;            // FillRect
    QPen pen;                // SelectPen: the pen selected; otherwise the pen in force
    CanvasFont font;         // SelectFont: the font selected; otherwise the font in force
    QString text;            // TextOut, DrawText
    Qt::Alignment alignment; // DrawText
};

// A canvas that draws nothing and keeps every call in order, for checking geometry exactly.
// Text extents follow a settable rule; by default a character is half the font height wide
// and a line is the font height tall.
class RecordingCanvas : public Canvas
{
public:
    using ExtentRule = std::function<QSize(const CanvasFont &font, const QString &text)>;

    RecordingCanvas();

    void moveTo(QPoint point) override;
    void lineTo(QPoint point) override;
    void rectangle(const QRect &rect) override;
    void fillRect(const QRect &rect, const QColor &color) override;
    QPen selectPen(const QPen &pen) override;
    CanvasFont selectFont(const CanvasFont &font) override;
    void textOut(QPoint topLeft, const QString &text) override;
    QSize textExtent(const QString &text) const override;
    void drawText(const QRect &rect, const QString &text, Qt::Alignment alignment) override;

    void setExtentRule(ExtentRule rule) { m_extentRule = std::move(rule); }

    const std::vector<CanvasCall> &calls() const { return m_calls; }
    std::vector<CanvasCall> callsOf(CanvasCall::Kind kind) const;
    // Every line drawn, from its start to its end, in order.
    std::vector<QLine> lines() const;
    // The texts of TextOut and DrawText, in order.
    QStringList texts() const;
    const QPen &pen() const { return m_pen; }
    const CanvasFont &font() const { return m_font; }
    // Forgets the calls; the position, pen and font stay.
    void clear() { m_calls.clear(); }

private:
    CanvasCall &record(CanvasCall::Kind kind);

    std::vector<CanvasCall> m_calls;
    ExtentRule m_extentRule;
    QPoint m_position;
    QPen m_pen;
    CanvasFont m_font;
};
