#pragma once

#include "plot/Canvas.h"

// A canvas that hands every drawing on to another one moved by offset, so that a drawing made
// for a page of its own (the graph page) fills a part of a larger one.
class ShiftedCanvas : public Canvas
{
public:
    ShiftedCanvas(Canvas &target, QPoint offset) : m_target(target), m_offset(offset) {}

    void moveTo(QPoint point) override { m_target.moveTo(point + m_offset); }
    void lineTo(QPoint point) override { m_target.lineTo(point + m_offset); }
    void rectangle(const QRect &rect) override { m_target.rectangle(rect.translated(m_offset)); }
    void fillRect(const QRect &rect, const QColor &color) override
    {
        m_target.fillRect(rect.translated(m_offset), color);
    }
    QPen selectPen(const QPen &pen) override { return m_target.selectPen(pen); }
    CanvasFont selectFont(const CanvasFont &font) override { return m_target.selectFont(font); }
    void textOut(QPoint topLeft, const QString &text) override
    {
        m_target.textOut(topLeft + m_offset, text);
    }
    QSize textExtent(const QString &text) const override { return m_target.textExtent(text); }
    void drawText(const QRect &rect, const QString &text, Qt::Alignment alignment) override
    {
        m_target.drawText(rect.translated(m_offset), text, alignment);
    }

private:
    Canvas &m_target;
    QPoint m_offset;
};
