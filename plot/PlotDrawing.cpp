#include "plot/PlotDrawing.h"

#include "companions/RangeBarModel.h"
#include "companions/TermDataFile.h"
#include "plot/CurvePyramid.h"
#include "plot/Saturating.h"

#include <QtGlobal>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

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

// Draws the lines of one grid direction where the range bar puts its ticks (RangeBarDivision),
// each major line followed by its minor lines: at origin + direction * offset, the offset
// truncated to a whole pixel as the bar truncates it, while reaches(offset) holds for the
// major offset. Accumulating a step rounded to whole pixels instead would drift a pixel a
// division away from the tick each line continues. A step under two pixels hatches the
// whole plot, so it gets no lines.
template <typename Reaches, typename LineAt>
void drawGridLines(PenScope &pens, const PlotAxis &penSource, const PlotAxis &axis,
                   std::int64_t origin, int direction, Reaches reaches, LineAt lineAt)
{
    if (!std::isfinite(axis.bigStep) || axis.bigStep < 2.0)
        return;
    const RangeBarDivision division{0.0, axis.bigStep, axis.smallStep};
    const auto at = [&](double offset) { return origin + direction * truncated(offset); };
    for (int k = 0; reaches(division.majorOffset(k)); ++k) {
        pens.select(penSource.majorPen);
        lineAt(at(division.majorOffset(k)));
        if (division.minorParts <= 1)
            continue;
        pens.select(penSource.minorPen);
        for (int i = 1; i < division.minorParts; ++i)
            lineAt(at(division.minorOffset(k, i)));
    }
}

// Maps a record to client pixels: the time to a column, the temperature, limited to the
// series' own range, to a row.
// The row of a temperature on a client area height pixels high, counted from its bottom.
int temperatureRow(double height, double temperature, double windowStart, double scale)
{
    return truncated(height - (temperature - windowStart) * scale);
}

class CurveMapping
{
public:
    CurveMapping(QSize client, const TermDataFile &series, const PlotAxis &temperature,
                 const PlotAxis &time)
        : m_height(client.height()), m_timeStart(time.windowStart), m_timeScale(time.scale),
          m_temperatureStart(temperature.windowStart), m_temperatureScale(temperature.scale),
          m_lowest(series.minTemperature), m_highest(series.maxTemperature)
    {}

    int column(std::int32_t time) const
    {
        return truncated((static_cast<double>(time) - m_timeStart) * m_timeScale);
    }

    std::int32_t limited(std::int32_t temperature) const
    {
        if (temperature < m_lowest)
            return m_lowest;
        return temperature > m_highest ? m_highest : temperature;
    }

    int row(std::int32_t limitedTemperature) const
    {
        return temperatureRow(m_height, limitedTemperature, m_temperatureStart, m_temperatureScale);
    }

    // Whether a later time never maps to a column further left.
    bool keepsTimeOrder() const { return std::isfinite(m_timeScale) && m_timeScale > 0.0; }

    // The last time from known on that still maps to column x.
    std::int32_t lastTimeOf(int x, std::int32_t known) const
    {
        std::int64_t inside = known;
        std::int64_t outside = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
        while (outside - inside > 1) {
            const std::int64_t middle = inside + (outside - inside) / 2;
            (column(static_cast<std::int32_t>(middle)) == x ? inside : outside) = middle;
        }
        return static_cast<std::int32_t>(inside);
    }

    // The first time up to known that maps to column x.
    std::int32_t firstTimeOf(int x, std::int32_t known) const
    {
        std::int64_t inside = known;
        std::int64_t outside = std::int64_t{std::numeric_limits<std::int32_t>::min()} - 1;
        while (inside - outside > 1) {
            const std::int64_t middle = outside + (inside - outside) / 2;
            (column(static_cast<std::int32_t>(middle)) == x ? inside : outside) = middle;
        }
        return static_cast<std::int32_t>(inside);
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
// one pixel column into one vertical stroke. A column keeps its lowest and highest limited
// temperature and maps them to rows only when the curve leaves it: a row mapping never
// reverses an order, so theirs are the column's extreme rows, and a million records cost a
// million comparisons, not a million mappings.
class CurveWalk
{
public:
    CurveWalk(Canvas &canvas, const CurveMapping &mapping, bool breakAtGaps)
        : m_canvas(canvas), m_mapping(mapping), m_breakAtGaps(breakAtGaps)
    {}

    void visit(const v4TermData &record)
    {
        const int x = columnOf(record.time);
        const std::int32_t temperature = m_mapping.limited(record.temperature);
        if (startsStretch(record.time))
            restartAt(x, temperature);
        else if (x == m_column)
            widenColumn(temperature);
        else
            drawTo(x, temperature);
        m_previous = temperature;
    }

    // The records of one column inside one stretch at once, as visiting each would draw them:
    // the first decides how the curve reaches the column, the extremes widen it, the last is
    // where the curve leaves it.
    void visitColumn(int x, bool startsStretch, std::int32_t firstTemperature,
                     const CurvePyramid::Extremes &extremes, std::int32_t lastTemperature)
    {
        const std::int32_t temperature = m_mapping.limited(firstTemperature);
        if (startsStretch)
            restartAt(x, temperature);
        else if (x == m_column)
            widenColumn(temperature);
        else
            drawTo(x, temperature);
        widenColumn(m_mapping.limited(extremes.lowest));
        widenColumn(m_mapping.limited(extremes.highest));
        m_previous = m_mapping.limited(lastTemperature);
    }

private:
    // The times of one column form one unbroken span, because the mapping of a time to a
    // column never reverses an order. Once a column holds a second point, its span is looked
    // up, and the following points inside it need no mapping.
    int columnOf(std::int32_t time)
    {
        if (time >= m_columnTimes.first && time <= m_columnTimes.second)
            return m_column;
        const int x = m_mapping.column(time);
        if (x == m_column && !m_columnTimesKnown)
            findColumnTimes(time);
        return x;
    }

    // Out of line, as everything that runs once a column: the walk per point stays small.
    Q_DECL_COLD_FUNCTION void findColumnTimes(std::int32_t known)
    {
        m_columnTimes = {m_mapping.firstTimeOf(m_column, known),
                         m_mapping.lastTimeOf(m_column, known)};
        m_columnTimesKnown = true;
    }

    // Without breaks only the first point starts a stretch, and the gap rule is not needed.
    bool startsStretch(std::int32_t time)
    {
        if (m_breakAtGaps)
            return m_gaps.judge(time) != CurveGapRule::Point::Continues;
        const bool first = !m_started;
        m_started = true;
        return first;
    }

    Q_DECL_COLD_FUNCTION void restartAt(int x, std::int32_t temperature)
    {
        m_canvas.moveTo({x, m_mapping.row(temperature)});
        startColumn(x, temperature);
    }

    void startColumn(int x, std::int32_t temperature)
    {
        if (x != m_column) {
            m_columnTimes = NoTimes;
            m_columnTimesKnown = false;
        }
        m_column = x;
        m_columnLowest = m_columnHighest = temperature;
    }

    void widenColumn(std::int32_t temperature)
    {
        m_columnLowest = std::min(m_columnLowest, temperature);
        m_columnHighest = std::max(m_columnHighest, temperature);
    }

    Q_DECL_COLD_FUNCTION void drawTo(int x, std::int32_t temperature)
    {
        const int rowA = m_mapping.row(m_columnLowest);
        const int rowB = m_mapping.row(m_columnHighest);
        if (rowA != rowB) {
            m_canvas.lineTo({m_column, std::min(rowA, rowB)});
            m_canvas.lineTo({m_column, std::max(rowA, rowB)});
            m_canvas.moveTo({m_column, m_mapping.row(m_previous)});
        }
        m_canvas.lineTo({x, m_mapping.row(temperature)});
        startColumn(x, temperature);
    }

    Canvas &m_canvas;
    const CurveMapping &m_mapping;
    const bool m_breakAtGaps;
    CurveGapRule m_gaps;
    static constexpr std::pair<std::int32_t, std::int32_t> NoTimes{1, 0};

    bool m_started = false;
    int m_column = 0;
    std::pair<std::int32_t, std::int32_t> m_columnTimes = NoTimes;
    bool m_columnTimesKnown = false;
    std::int32_t m_columnLowest = 0;
    std::int32_t m_columnHighest = 0;
    std::int32_t m_previous = 0;
};

bool timeBefore(std::int32_t time, const v4TermData &record)
{
    return time < record.time;
}

// The first record after from, up to end, whose time is past time, where from's is not. The
// search starts guess records on, as a column holds about as many records as the one before,
// and widens from there: a column costs a few reads of the series, not a search through it.
const v4TermData *firstPast(const v4TermData *from, const v4TermData *end, std::int32_t time,
                            std::ptrdiff_t guess)
{
    const v4TermData *low = from + 1;
    const v4TermData *high = from + std::clamp<std::ptrdiff_t>(guess, 1, end - from);
    if (high != end && high->time <= time) {
        std::ptrdiff_t step = 1;
        do {
            low = high + 1;
            high = end - high > step ? high + step : end;
            step *= 2;
        } while (high != end && high->time <= time);
    } else {
        std::ptrdiff_t step = 1;
        while (high - low > step && (high - step)->time > time) {
            high -= step;
            step *= 2;
        }
        low = std::max(low, high - step);
    }
    return std::upper_bound(low, high, time, timeBefore);
}

// The walk of RecordsInTimeWindow, column by column: times never go back, so the records of a
// column lie side by side and its last one is found by a search; the pyramid gives their
// extremes and where the stretches start.
void drawByColumns(CurveWalk &walk, const CurveMapping &mapping, TermDataFile &series,
                   const CurvePyramid &pyramid, std::int32_t start, std::int32_t end,
                   bool breakAtGaps)
{
    const v4TermData *records = series.records;
    const v4TermData *first = series.GetFirst(start);
    if (first == nullptr)
        return;
    const v4TermData *const last = records + series.count;
    const v4TermData *stop = std::upper_bound(first, last, end, timeBefore);
    // The first record past the window's end is walked too.
    const auto walked = static_cast<std::int32_t>(stop - records) + (stop != last ? 1 : 0);
    const auto firstIndex = static_cast<std::int32_t>(first - records);
    std::vector<std::int32_t> starts = breakAtGaps ? pyramid.stretchStarts(firstIndex, walked)
                                                   : std::vector<std::int32_t>{firstIndex};
    starts.push_back(walked);
    std::ptrdiff_t columnRecords = 1;
    for (std::size_t stretch = 0; stretch + 1 < starts.size(); ++stretch) {
        const v4TermData *const stretchEnd = records + starts[stretch + 1];
        for (const v4TermData *record = records + starts[stretch]; record != stretchEnd;) {
            const int x = mapping.column(record->time);
            const v4TermData *columnEnd =
                firstPast(record, stretchEnd, mapping.lastTimeOf(x, record->time), columnRecords);
            columnRecords = columnEnd - record;
            walk.visitColumn(x, record == records + starts[stretch], record->temperature,
                             pyramid.extremes(static_cast<std::int32_t>(record - records),
                                              static_cast<std::int32_t>(columnEnd - records)),
                             (columnEnd - 1)->temperature);
            record = columnEnd;
        }
    }
}

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
    // Rows count up from y = height as far as the bar has ticks, so the last may sit on y = 0.
    drawGridLines(
        pens, temperature, temperature, height, -1,
        [&](double offset) { return offset <= static_cast<double>(height); },
        [&](std::int64_t y) {
            canvas.moveTo(pointAt(0, y));
            canvas.lineTo(pointAt(width, y));
        });
    drawGridLines(
        pens, temperature, time, 0, 1,
        [&](double offset) { return offset < static_cast<double>(width); },
        [&](std::int64_t x) {
            canvas.moveTo(pointAt(x, 0));
            canvas.lineTo(pointAt(x, height));
        });
}

void DrawThresholds(Canvas &canvas, QSize client, const PlotAxis &temperature,
                    const TemperatureThresholds &thresholds)
{
    PenScope pens(canvas);
    for (const auto &[threshold, color] : {std::pair(thresholds.upper, UpperThresholdColor),
                                           std::pair(thresholds.lower, LowerThresholdColor)}) {
        if (!threshold)
            continue;
        const int row =
            temperatureRow(client.height(), *threshold, temperature.windowStart, temperature.scale);
        if (row < 0 || row > client.height())
            continue;
        pens.select(QPen(QColor(color), 2, Qt::DashLine));
        canvas.moveTo(QPoint(0, row));
        canvas.lineTo(QPoint(client.width(), row));
    }
}

void DrawCurve(Canvas &canvas, QSize client, TermDataFile *series, const PlotAxis &temperature,
               const PlotAxis &time, std::int32_t viewTimeStart, bool breakAtGaps, const QPen &pen,
               const CurvePyramid *pyramid)
{
    if (series == nullptr)
        return;
    PenScope pens(canvas);
    pens.select(pen);
    const CurveMapping mapping(client, *series, temperature, time);
    CurveWalk walk(canvas, mapping, breakAtGaps);
    if (pyramid != nullptr && pyramid->covers(*series, breakAtGaps) && mapping.keepsTimeOrder()) {
        drawByColumns(walk, mapping, *series, *pyramid, viewTimeStart, time.windowEnd, breakAtGaps);
        return;
    }
    const TimeWindowRecords records = RecordsInTimeWindow(*series, viewTimeStart, time.windowEnd);
    for (const v4TermData &record : records)
        walk.visit(record);
    // The first record past the window's end is still drawn, so that the line reaches past
    // the right edge.
    if (records.past != nullptr)
        walk.visit(*records.past);
}
