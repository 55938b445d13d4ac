#include "plot/RecordingCanvas.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <iterator>
#include <utility>

RecordingCanvas::RecordingCanvas()
    : m_extentRule([](const CanvasFont &font, const QString &text) {
          const qsizetype height = std::abs(qsizetype{font.height});
          return QSize(static_cast<int>(std::min<qsizetype>(text.size() * height / 2, INT_MAX)),
                       static_cast<int>(std::min<qsizetype>(height, INT_MAX)));
      }),
      m_pen(defaultPen())
{}

CanvasCall &RecordingCanvas::record(CanvasCall::Kind kind)
{
    CanvasCall &call = m_calls.emplace_back();
    call.kind = kind;
    call.pen = m_pen;
    call.font = m_font;
    return call;
}

void RecordingCanvas::moveTo(QPoint point)
{
    record(CanvasCall::Kind::MoveTo).to = point;
    m_position = point;
}

void RecordingCanvas::lineTo(QPoint point)
{
    CanvasCall &call = record(CanvasCall::Kind::LineTo);
    call.from = m_position;
    call.to = point;
    m_position = point;
}

void RecordingCanvas::rectangle(const QRect &rect)
{
    record(CanvasCall::Kind::Rectangle).rect = rect;
}

void RecordingCanvas::fillRect(const QRect &rect, const QColor &color)
{
    CanvasCall &call = record(CanvasCall::Kind::FillRect);
    call.rect = rect;
    call.color = color;
}

QPen RecordingCanvas::selectPen(const QPen &pen)
{
    QPen previous = std::exchange(m_pen, pen);
    record(CanvasCall::Kind::SelectPen);
    return previous;
}

CanvasFont RecordingCanvas::selectFont(const CanvasFont &font)
{
    CanvasFont previous = std::exchange(m_font, font);
    record(CanvasCall::Kind::SelectFont);
    return previous;
}

void RecordingCanvas::textOut(QPoint topLeft, const QString &text)
{
    CanvasCall &call = record(CanvasCall::Kind::TextOut);
    call.to = topLeft;
    call.text = text;
}

QSize RecordingCanvas::textExtent(const QString &text) const
{
    return m_extentRule(m_font, text);
}

void RecordingCanvas::drawText(const QRect &rect, const QString &text, Qt::Alignment alignment)
{
    CanvasCall &call = record(CanvasCall::Kind::DrawText);
    call.rect = rect;
    call.text = text;
    call.alignment = alignment;
}

std::vector<CanvasCall> RecordingCanvas::callsOf(CanvasCall::Kind kind) const
{
    std::vector<CanvasCall> result;
    std::copy_if(m_calls.begin(), m_calls.end(), std::back_inserter(result),
                 [kind](const CanvasCall &call) { return call.kind == kind; });
    return result;
}

std::vector<QLine> RecordingCanvas::lines() const
{
    std::vector<QLine> result;
    for (const CanvasCall &call : m_calls) {
        if (call.kind == CanvasCall::Kind::LineTo)
            result.emplace_back(call.from, call.to);
    }
    return result;
}

QStringList RecordingCanvas::texts() const
{
    QStringList result;
    for (const CanvasCall &call : m_calls) {
        if (call.kind == CanvasCall::Kind::TextOut || call.kind == CanvasCall::Kind::DrawText)
            result << call.text;
    }
    return result;
}
