#include "plot/PlotDrawing.h"

#include "companions/TermDataFile.h"
#include "plot/Saturating.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>

namespace {

// Selects pens on a canvas and puts the first one it replaced back when it goes.
class PenScope
{
public:
    explicit PenScope(Canvas &canvas) : m_canvas(canvas) {}
    PenScope(const PenScope &) = delete;
    PenScope &operator=(const PenScope &) = delete;
    ~PenScope()
    {
        if (m_previous)
            m_canvas.selectPen(*m_previous);
    }

    void select(const QPen &pen)
    {
        QPen previous = m_canvas.selectPen(pen);
        if (!m_previous)
            m_previous = std::move(previous);
    }

private:
    Canvas &m_canvas;
    std::optional<QPen> m_previous;
};

// Line spacing of one grid direction, in whole pixels.
struct GridSpacing
{
    explicit GridSpacing(const PlotAxis &axis)
        : major(truncated(axis.bigStep)), parts(axis.smallStep),
          minor(parts > 1 ? truncated(axis.bigStep / parts) : 0)
    {}

    std::int64_t major;
    int parts;
    std::int64_t minor;
};

// Draws the major lines at origin + direction * k * major while k * major < limit, each
// followed by its minor lines; lineAt draws one line at a position across the direction.
template <typename LineAt>
void drawGridLines(PenScope &pens, const PlotAxis &penSource, const GridSpacing &spacing,
                   std::int64_t origin, int direction, std::int64_t limit, LineAt lineAt)
{
    if (spacing.major <= 1)
        return;
    for (std::int64_t offset = 0; offset < limit; offset += spacing.major) {
        const std::int64_t at = origin + direction * offset;
        pens.select(penSource.majorPen);
        lineAt(at);
        if (spacing.parts <= 1)
            continue;
        pens.select(penSource.minorPen);
        for (int i = 1; i < spacing.parts; ++i)
            lineAt(at + direction * i * spacing.minor);
    }
}

// Maps a record to client pixels.
class CurveMapping
{
public:
    CurveMapping(QSize client, const TermDataFile &series, const PlotAxis &temperature,
                 const PlotAxis &time)
        : m_height(client.height()), m_timeStart(time.windowStart), m_timeScale(time.scale),
          m_temperatureStart(temperature.windowStart), m_temperatureScale(temperature.scale),
          m_lowest(series.minTemperature), m_highest(series.maxTemperature)
    {}

    QPoint map(const v4TermData &record) const
    {
        std::int32_t v = record.temperature;
        if (v < m_lowest)
            v = m_lowest;
        else if (v > m_highest)
            v = m_highest;
        const double x = (static_cast<double>(record.time) - m_timeStart) * m_timeScale;
        const double y =
            m_height - (static_cast<double>(v) - m_temperatureStart) * m_temperatureScale;
        return {truncated(x), truncated(y)};
    }

private:
    double m_height;
    double m_timeStart;
    double m_timeScale;
    double m_temperatureStart;
    double m_temperatureScale;
    std::int32_t m_lowest;
    std::int32_t m_highest;
};

// The walk along the curve: breaks it after a gap when asked to, and collapses the points of
// one pixel column into one vertical stroke.
class CurveWalk
{
public:
    CurveWalk(Canvas &canvas, bool breakAtGaps) : m_canvas(canvas), m_breakAtGaps(breakAtGaps) {}

    void visit(QPoint point, std::int32_t time)
    {
        const CurveGapRule::Point kind = m_gaps.judge(time);
        if (kind == CurveGapRule::Point::First ||
            (kind == CurveGapRule::Point::AfterGap && m_breakAtGaps))
            restartAt(point);
        else
            draw(point);
        m_previousY = point.y();
    }

private:
    void restartAt(QPoint point)
    {
        m_canvas.moveTo(point);
        startColumn(point);
    }

    void startColumn(QPoint point)
    {
        m_column = point.x();
        m_columnLow = m_columnHigh = point.y();
    }

    void draw(QPoint point)
    {
        if (point.x() == m_column) {
            m_columnLow = std::min(m_columnLow, point.y());
            m_columnHigh = std::max(m_columnHigh, point.y());
            return;
        }
        if (m_columnLow != m_columnHigh) {
            m_canvas.lineTo({m_column, m_columnLow});
            m_canvas.lineTo({m_column, m_columnHigh});
            m_canvas.moveTo({m_column, m_previousY});
        }
        m_canvas.lineTo(point);
        startColumn(point);
    }

    Canvas &m_canvas;
    const bool m_breakAtGaps;
    CurveGapRule m_gaps;
    int m_column = 0;
    int m_columnLow = 0;
    int m_columnHigh = 0;
    int m_previousY = 0;
};

} // namespace

QPen curvePen()
{
    return QPen(QColor(CurveColor), 1, Qt::SolidLine);
}

void DrawGrid(Canvas &canvas, QSize client, const PlotAxis &temperature, const PlotAxis &time)
{
    const std::int64_t width = client.width();
    const std::int64_t height = client.height();
    PenScope pens(canvas);
    // Rows count up from y = height while k * step - 1 < height, so the last may sit on y = 0.
    drawGridLines(pens, temperature, GridSpacing(temperature), height, -1, height + 1,
                  [&](std::int64_t y) {
                      canvas.moveTo(pointAt(0, y));
                      canvas.lineTo(pointAt(width, y));
                  });
    drawGridLines(pens, temperature, GridSpacing(time), 0, 1, width, [&](std::int64_t x) {
        canvas.moveTo(pointAt(x, 0));
        canvas.lineTo(pointAt(x, height));
    });
}

void DrawCurve(Canvas &canvas, QSize client, TermDataFile *series, const PlotAxis &temperature,
               const PlotAxis &time, std::int32_t viewTimeStart, bool breakAtGaps, const QPen &pen)
{
    if (series == nullptr)
        return;
    PenScope pens(canvas);
    pens.select(pen);
    const CurveMapping mapping(client, *series, temperature, time);
    CurveWalk walk(canvas, breakAtGaps);
    const TimeWindowRecords records = RecordsInTimeWindow(*series, viewTimeStart, time.windowEnd);
    for (const v4TermData &record : records)
        walk.visit(mapping.map(record), record.time);
    // The first record past the window's end is still drawn, so that the line reaches past
    // the right edge.
    if (records.past != nullptr)
        walk.visit(mapping.map(*records.past), records.past->time);
}
