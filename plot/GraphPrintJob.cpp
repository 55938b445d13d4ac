#include "plot/GraphPrintJob.h"

#include "companions/FormatOutTime.h"
#include "plot/NoteFlags.h"
#include "plot/OverlayPlacement.h"
#include "plot/PlotDrawing.h"
#include "plot/PlotOverlays.h"
#include "plot/PrintDevice.h"
#include "plot/Saturating.h"

#include <QPen>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr int PageMargin = 100;
constexpr double HeaderLineStep = 1.3;
constexpr double PlotTopDepth = 3.6;
constexpr int MajorOverhang = 20;
constexpr int MinorOverhang = 10;
constexpr int LabelOffset = 5;
constexpr int MinorUnit = 50;
constexpr double LabelTolerance = 0.009;
constexpr int FirstStepExponent = -6;
constexpr int LastStepExponent = std::numeric_limits<double>::max_exponent10;
// No sheet is a kilometre long; the clamp keeps page coordinates far inside int.
constexpr int MaxPageUnits = 10'000'000;
constexpr std::size_t CancelCheckPoints = 4096;
// Fewer labels than this do not make a scale one can read values from.
constexpr std::int64_t MinFittingDivisions = 3;

const QString TimeCaption = QStringLiteral("Время");
const QString TemperatureCaption = QStringLiteral("Температура, °C");

const CanvasFont LabelFont{QStringLiteral("Tahoma"), -20};
const CanvasFont HeaderMeasureFont{QStringLiteral("Courier"), -35};
const CanvasFont TimeCaptionFont{QStringLiteral("Arial Cyr"), -25};
const CanvasFont TemperatureCaptionFont{QStringLiteral("Arial Cyr"), -25, 400, false, -900};

QPen printPen(QRgb color, int width)
{
    return QPen(QColor(color), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// Units per value of a span of the given length; 0 for an empty or reversed window, which
// leaves that axis without divisions.
double scaleOf(std::int64_t length, std::int32_t start, std::int32_t end)
{
    const std::int64_t span = std::int64_t{end} - start;
    return span > 0 ? static_cast<double>(std::abs(length)) / static_cast<double>(span) : 0.0;
}

QString intervalText(const GraphPrintSeries &series, const QDate &firstDay)
{
    if (!series.firstTime)
        return {};
    QString text =
        QStringLiteral("Интервал ") + GraphTimeText(firstDay, *series.firstTime, ClockText);
    // The end is the record the window's walk stopped at; without one only the start is known.
    if (!series.walk.empty())
        text += QStringLiteral(" - ") + GraphTimeText(firstDay, series.walk.back().time, ClockText);
    return text;
}

// The page seen with y downward, as the screen's plot is drawn: the boxes over the plot are
// drawn on paper by the same code as on screen.
class DownwardCanvas : public Canvas
{
public:
    explicit DownwardCanvas(Canvas &page) : m_page(page) {}
    void moveTo(QPoint point) override { m_page.moveTo(flip(point)); }
    void lineTo(QPoint point) override { m_page.lineTo(flip(point)); }
    void rectangle(const QRect &rect) override { m_page.rectangle(flip(rect)); }
    void fillRect(const QRect &rect, const QColor &color) override
    {
        m_page.fillRect(flip(rect), color);
    }
    QPen selectPen(const QPen &pen) override { return m_page.selectPen(pen); }
    CanvasFont selectFont(const CanvasFont &font) override { return m_page.selectFont(font); }
    void textOut(QPoint topLeft, const QString &text) override
    {
        m_page.textOut(flip(topLeft), text);
    }
    QSize textExtent(const QString &text) const override { return m_page.textExtent(text); }
    void drawText(const QRect &rect, const QString &text, Qt::Alignment alignment) override
    {
        m_page.drawText(flip(rect), text, alignment);
    }

private:
    static QPoint flip(QPoint point) { return {point.x(), -point.y()}; }
    // Corner to corner, so the top stays the corner above on paper.
    static QRect flip(const QRect &rect)
    {
        return cornerRect(rect.left(), -rect.top(), rect.right(), -rect.bottom());
    }

    Canvas &m_page;
};

QString emissivityText(const GraphPrintContext &context)
{
    // No counting record leaves both at 0.
    std::optional<int> least;
    int greatest = 0;
    for (const v4TermData &record : context.series.walk) {
        if (record.time > context.timeWindowEnd)
            break;
        if (record.emissivity == 0 || record.time == 0 || record.temperature == 0)
            continue;
        least = std::min<int>(least.value_or(record.emissivity), record.emissivity);
        greatest = std::max<int>(greatest, record.emissivity);
    }
    const int lowest = least.value_or(0);
    double divisor = TermDataFile::EmissivityDivisor(context.series.scaleFlags);
    // No emissivity exceeds 1.0: such a value was stored one decimal place finer.
    if (lowest / divisor > 1.0)
        divisor *= 10.0;
    const auto shown = [divisor](double value) { return QString::number(value / divisor, 'f', 2); };
    if (lowest == greatest)
        return QStringLiteral("Степень черноты  ") + shown(lowest);
    return QStringLiteral("Степень черноты изменялась в пределах  ") + shown(lowest) +
           QStringLiteral("...") + shown(greatest);
}

// The next temperature label: a fraction of LabelTolerance or more counts as the next degree,
// a smaller one is dropped.
std::int32_t temperatureLabelValue(double value)
{
    const int whole = truncated(value);
    return value - whole >= LabelTolerance && whole < std::numeric_limits<int>::max() ? whole + 1
                                                                                      : whole;
}

// One page being drawn: the page and plot rectangles in 0.1 mm with y upward (top > bottom).
class GraphPage
{
public:
    GraphPage(Canvas &canvas, const GraphPrintContext &context, const std::atomic<bool> *cancelled)
        : m_canvas(canvas), m_context(context), m_cancelled(cancelled)
    {}

    bool draw()
    {
        layOut();
        drawHeader();
        drawScaleAndFrame();
        drawCaptions();
        drawThresholds();
        for (const GraphPrintRun &run : m_context.runs)
            if (!drawCurve(run.walk, run.colour))
                return false;
        if (!drawCurve(m_context.series.walk, CurveColor))
            return false;
        drawNotes();
        drawRunBoxes();
        return true;
    }

    // Whether the header lines reach no further than the page's right edge and the plot leaves
    // room for its captions. Draws nothing.
    bool fits()
    {
        layOut();
        const std::int64_t pageEdge = m_pageRight + PageMargin;
        for (const QString &line : m_header) {
            if (m_plotLeft + m_canvas.textExtent(line).width() > pageEdge)
                return false;
        }
        const CanvasFont previous = m_canvas.selectFont(TemperatureCaptionFont);
        const std::int64_t temperatureLength = m_canvas.textExtent(TemperatureCaption).width();
        m_canvas.selectFont(TimeCaptionFont);
        const std::int64_t timeLength = m_canvas.textExtent(TimeCaption).width();
        m_canvas.selectFont(previous);
        return m_plotTop - m_plotBottom >= temperatureLength &&
               m_plotRight - m_plotLeft >= timeLength &&
               divisions(m_temperatureScale, m_plotTop - m_plotBottom) >= MinFittingDivisions &&
               divisions(m_timeScale, m_plotRight - m_plotLeft) >= MinFittingDivisions;
    }

private:
    // The major lines, each with its label, an axis length units long gets at scale.
    static std::int64_t divisions(double scale, std::int64_t length)
    {
        const std::optional<GraphScaleStep> division = GraphMajorStep(scale);
        return division && length > 0 ? (length + division->length - 1) / division->length : 0;
    }

    void layOut()
    {
        setUpPage();
        layOutHeader();
        m_timeScale =
            scaleOf(m_plotRight - m_plotLeft, m_context.timeWindowStart, m_context.timeWindowEnd);
        m_temperatureScale = scaleOf(m_plotTop - m_plotBottom, m_context.temperatureWindowStart,
                                     m_context.temperatureWindowEnd);
    }

    void setUpPage()
    {
        const std::int64_t width = std::clamp(m_context.pageSize.width(), 0, MaxPageUnits);
        const std::int64_t height = std::clamp(m_context.pageSize.height(), 0, MaxPageUnits);
        m_pageLeft = PageMargin;
        m_pageTop = -PageMargin;
        m_pageRight = width - PageMargin;
        m_pageBottom = PageMargin - height;
        layOutNoteList();
        const QSize widest = m_canvas.textExtent(QString::number(m_context.temperatureRangeMax));
        m_plotLeft = m_pageLeft + widest.width();
        m_plotTop = m_pageTop;
        m_plotRight = m_pageRight;
        m_plotBottom = m_pageBottom + widest.height();
    }

    // The range, then the interval and the emissivity on one line, or on two when one would run
    // past the page's right edge.
    void layOutHeader()
    {
        const CanvasFont previous = m_canvas.selectFont(HeaderMeasureFont);
        m_headerLineHeight = m_canvas.textExtent(QStringLiteral("Test")).height();
        m_canvas.selectFont(previous);

        const GraphPrintSeries &series = m_context.series;
        const QString interval = intervalText(series, m_context.firstDay);
        const QString emissivity = emissivityText(m_context);
        const QString joined =
            interval.isEmpty() ? emissivity : interval + QStringLiteral(",  ") + emissivity;
        m_header = {QStringLiteral("Температурный  диапазон   %1...%2 °C")
                        .arg(series.minTemperature)
                        .arg(series.maxTemperature)};
        if (interval.isEmpty() ||
            m_plotLeft + m_canvas.textExtent(joined).width() <= m_pageRight + PageMargin)
            m_header << joined;
        else
            m_header << interval << emissivity;
        const double depth =
            PlotTopDepth + HeaderLineStep * static_cast<double>(m_header.size() - 2);
        m_plotTop = m_pageTop - truncated(depth * m_headerLineHeight);
    }

    void drawHeader()
    {
        for (qsizetype line = 0; line < m_header.size(); ++line) {
            const double depth = HeaderLineStep * static_cast<double>(line) * m_headerLineHeight;
            m_canvas.textOut(pointAt(m_plotLeft, m_pageTop - truncated(depth)), m_header[line]);
        }
    }

    void drawScaleAndFrame()
    {
        m_startFont = m_canvas.selectFont(LabelFont);
        const QPen majorPen = printPen(qRgb(192, 192, 192), 3);
        const QPen minorPen = printPen(qRgb(224, 224, 224), 2);
        const QPen startPen = m_canvas.selectPen(majorPen);
        const Pens pens{majorPen, minorPen, startPen};
        drawTimeAxis(pens);
        drawTemperatureAxis(pens);
        m_canvas.selectPen(startPen);
        m_canvas.moveTo(pointAt(m_plotLeft, m_plotTop));
        m_canvas.lineTo(pointAt(m_plotRight, m_plotTop));
        m_canvas.lineTo(pointAt(m_plotRight, m_plotBottom));
        m_canvas.lineTo(pointAt(m_plotLeft, m_plotBottom));
        m_canvas.lineTo(pointAt(m_plotLeft, m_plotTop));
    }

    struct Pens
    {
        QPen major;
        QPen minor;
        QPen label;
    };

    void line(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2)
    {
        m_canvas.moveTo(pointAt(x1, y1));
        m_canvas.lineTo(pointAt(x2, y2));
    }

    void drawTimeAxis(const Pens &pens)
    {
        const std::optional<GraphScaleStep> division = GraphMajorStep(m_timeScale);
        if (!division || m_plotRight - m_plotLeft <= 0)
            return;
        std::int32_t value = m_context.timeWindowStart;
        double accumulator = value;
        for (std::int64_t o = 0; o < m_plotRight - m_plotLeft; o += division->length) {
            const std::int64_t x = m_plotLeft + o;
            m_canvas.selectPen(pens.major);
            line(x, m_plotBottom - MajorOverhang, x, m_plotTop);
            m_canvas.selectPen(pens.label);
            // A label that would run past the page's edge is left out, not cut.
            const QString text = label(m_context.timeLabel, value);
            if (x + LabelOffset + m_canvas.textExtent(text).width() <= m_pageRight + PageMargin)
                m_canvas.textOut(pointAt(x + LabelOffset, m_plotBottom - LabelOffset), text);
            for (int i = 1; i < division->parts && x + i * division->spacing < m_plotRight; ++i) {
                m_canvas.selectPen(pens.minor);
                const std::int64_t minorX = x + i * division->spacing;
                line(minorX, m_plotBottom - MinorOverhang, minorX, m_plotTop);
            }
            accumulator += division->length / m_timeScale;
            value = truncated(accumulator);
        }
    }

    void drawTemperatureAxis(const Pens &pens)
    {
        const std::optional<GraphScaleStep> division = GraphMajorStep(m_temperatureScale);
        if (!division || m_plotTop - m_plotBottom <= 0)
            return;
        std::int32_t value = m_context.temperatureWindowStart;
        for (std::int64_t o = 0; o < m_plotTop - m_plotBottom; o += division->length) {
            const std::int64_t y = m_plotBottom + o;
            m_canvas.selectPen(pens.major);
            line(m_plotLeft - MajorOverhang, y, m_plotRight, y);
            m_canvas.selectPen(pens.label);
            const QString text = label(m_context.temperatureLabel, value);
            const QSize size = m_canvas.textExtent(text);
            m_canvas.textOut(
                pointAt(m_plotLeft - size.width() - LabelOffset, y + size.height() + LabelOffset),
                text);
            for (int i = 1; i < division->parts && y + i * division->spacing < m_plotTop; ++i) {
                m_canvas.selectPen(pens.minor);
                const std::int64_t minorY = y + i * division->spacing;
                line(m_plotLeft - MinorOverhang, minorY, m_plotRight, minorY);
            }
            value = temperatureLabelValue(static_cast<double>(o + division->length) /
                                              m_temperatureScale +
                                          m_context.temperatureWindowStart);
        }
    }

    static QString label(const std::function<QString(double)> &format, std::int32_t value)
    {
        return format ? format(value) : QString::number(value);
    }

    void drawCaptions()
    {
        m_canvas.selectFont(TimeCaptionFont);
        const QSize timeSize = m_canvas.textExtent(TimeCaption);
        m_canvas.textOut(
            pointAt(m_plotLeft + (m_plotRight - timeSize.width() - m_plotLeft) / 2,
                    m_pageBottom + (std::abs(m_pageBottom - m_plotBottom) - timeSize.height()) / 2),
            TimeCaption);
        m_canvas.selectFont(m_startFont);

        // The turned caption runs down from its point, its letters' feet towards the page's
        // left edge: the point is kept far enough from that edge and from the page's bottom
        // for the whole caption to lie on the page.
        m_canvas.selectFont(TemperatureCaptionFont);
        const QSize temperatureSize = m_canvas.textExtent(TemperatureCaption);
        const std::int64_t x = std::max<std::int64_t>(
            m_pageLeft + (m_plotLeft - temperatureSize.width() - m_pageLeft) / 2,
            temperatureSize.height());
        const std::int64_t y = std::max<std::int64_t>(
            m_plotBottom + (std::abs(m_plotBottom - m_plotTop) - temperatureSize.height()) / 2,
            m_pageBottom - PageMargin + temperatureSize.width());
        m_canvas.textOut(pointAt(x, y), TemperatureCaption);
        m_canvas.selectFont(m_startFont);
    }

    void drawThresholds()
    {
        const auto drawAt = [this](const std::optional<std::int32_t> &temperature, QRgb color) {
            if (!temperature || *temperature < m_context.temperatureWindowStart ||
                *temperature > m_context.temperatureWindowEnd || m_temperatureScale <= 0.0)
                return;
            const std::int64_t y =
                truncated((*temperature - m_context.temperatureWindowStart) * m_temperatureScale +
                          static_cast<double>(m_plotBottom));
            const QPen previous = m_canvas.selectPen(
                QPen(QColor(color), 4, Qt::DashLine, Qt::FlatCap, Qt::MiterJoin));
            line(m_plotLeft, y, m_plotRight, y);
            m_canvas.selectPen(previous);
        };
        drawAt(m_context.thresholds.upper, UpperThresholdColor);
        drawAt(m_context.thresholds.lower, LowerThresholdColor);
    }

    bool isCancelled() const
    {
        return m_cancelled != nullptr && m_cancelled->load(std::memory_order_relaxed);
    }

    bool drawCurve(const std::vector<v4TermData> &walk, QRgb colour)
    {
        const QPen previous = m_canvas.selectPen(printPen(colour, 3));
        CurveGapRule gaps;
        std::size_t drawn = 0;
        for (const v4TermData &record : walk) {
            if (record.time > m_context.timeWindowEnd)
                break;
            // Looked at now and then: a point costs far less than the look.
            if (++drawn % CancelCheckPoints == 0 && isCancelled())
                return false;
            const CurveGapRule::Point kind = gaps.judge(record.time);
            const QPoint point = pointOf(record);
            if (kind == CurveGapRule::Point::First ||
                (kind == CurveGapRule::Point::AfterGap && m_context.breakAtGaps))
                m_canvas.moveTo(point);
            else
                m_canvas.lineTo(point);
        }
        m_canvas.selectPen(previous);
        return !isCancelled();
    }

    // The legend and the statistics box of a graph with runs compared, in the plot's corners.
    void drawRunBoxes()
    {
        if (m_context.runs.empty())
            return;
        DownwardCanvas canvas(m_canvas);
        const CanvasFont previous = canvas.selectFont(LabelFont);
        std::vector<LegendEntry> legend{{m_context.seriesName, CurveColor}};
        QStringList names{m_context.seriesName};
        for (const GraphPrintRun &run : m_context.runs) {
            legend.push_back({run.name, run.colour});
            names << run.name;
        }
        const QStringList &statistics = m_context.statistics;
        const QPoint plotTopLeft(static_cast<int>(m_plotLeft), static_cast<int>(-m_plotTop));
        const QSize plotSize(static_cast<int>(m_plotRight - m_plotLeft),
                             static_cast<int>(m_plotTop - m_plotBottom));
        const OverlayPlaces places = PlaceOverlays(
            plotSize, statistics.isEmpty() ? QSize() : TextBoxSize(canvas, statistics),
            std::nullopt, {}, LegendBoxSize(canvas, names));
        if (!statistics.isEmpty())
            DrawTextBox(canvas, plotTopLeft + places.statistics, statistics);
        if (places.legend)
            DrawLegend(canvas, plotTopLeft + *places.legend, legend);
        canvas.selectFont(previous);
    }

    // Times before the window lie on its left edge and temperatures below it on its bottom
    // edge; temperatures above it run past the top, as the reading was.
    QPoint pointOf(const v4TermData &record) const
    {
        const double time = std::max(record.time, m_context.timeWindowStart);
        const double temperature = std::max(record.temperature, m_context.temperatureWindowStart);
        const double x =
            (time - m_context.timeWindowStart) * m_timeScale + static_cast<double>(m_plotLeft);
        const double y = (temperature - m_context.temperatureWindowStart) * m_temperatureScale +
                         static_cast<double>(m_plotBottom);
        return {truncated(x), truncated(y)};
    }

    // The list of the visible notes takes the page's foot, one line each.
    void layOutNoteList()
    {
        if (m_context.listNotesUnderPlot)
            m_noteList =
                NoteListLines(m_context.notes, m_context.timeWindowStart, m_context.timeWindowEnd);
        if (m_noteList.isEmpty())
            return;
        const CanvasFont previous = m_canvas.selectFont(LabelFont);
        m_noteLineHeight = m_canvas.textExtent(QStringLiteral("Test")).height();
        m_canvas.selectFont(previous);
        m_noteListTop = m_pageBottom + m_noteLineHeight * m_noteList.size();
        m_pageBottom = m_noteListTop;
    }

    void drawNotes()
    {
        constexpr int MastUnits = 80;
        const NoteFlagAxis axis{
            static_cast<int>(m_plotLeft),   m_context.timeWindowStart,
            m_context.timeWindowEnd,        m_timeScale,
            static_cast<int>(m_plotBottom), static_cast<int>(m_plotBottom) + MastUnits};
        DrawNoteFlags(m_canvas, axis, m_context.notes, true);
        const CanvasFont previous = m_canvas.selectFont(LabelFont);
        for (qsizetype line = 0; line < m_noteList.size(); ++line)
            m_canvas.textOut(pointAt(m_plotLeft, m_noteListTop - line * m_noteLineHeight),
                             m_noteList[line]);
        m_canvas.selectFont(previous);
    }

    Canvas &m_canvas;
    const GraphPrintContext &m_context;
    QStringList m_noteList;
    std::int64_t m_noteLineHeight = 0;
    std::int64_t m_noteListTop = 0;
    const std::atomic<bool> *m_cancelled;
    // The font in force before the labels; the captions return to it.
    CanvasFont m_startFont;
    QStringList m_header;
    double m_headerLineHeight = 0.0;
    std::int64_t m_pageLeft = 0;
    std::int64_t m_pageTop = 0;
    std::int64_t m_pageRight = 0;
    std::int64_t m_pageBottom = 0;
    std::int64_t m_plotLeft = 0;
    std::int64_t m_plotTop = 0;
    std::int64_t m_plotRight = 0;
    std::int64_t m_plotBottom = 0;
    double m_timeScale = 0.0;
    double m_temperatureScale = 0.0;
};

} // namespace

GraphPrintSeries TakeGraphPrintSeries(TermDataFile *series, std::int32_t start, std::int32_t end)
{
    GraphPrintSeries copy;
    if (series == nullptr)
        return copy;
    copy.minTemperature = series->minTemperature;
    copy.maxTemperature = series->maxTemperature;
    copy.scaleFlags = series->scaleFlags;
    if (series->count > 0 && series->records != nullptr)
        copy.firstTime = series->records[0].time;
    const TimeWindowRecords records = RecordsInTimeWindow(*series, start, end);
    copy.walk.assign(records.begin(), records.end());
    if (records.past != nullptr)
        copy.walk.push_back(*records.past);
    return copy;
}

int GraphMinorParts(int length)
{
    const int units = length / MinorUnit;
    return units >= 8 ? 8 : units >= 4 ? 4 : 2;
}

std::optional<GraphScaleStep> GraphMajorStep(double scale)
{
    if (!std::isfinite(scale) || scale <= 0.0)
        return std::nullopt;
    constexpr double multipliers[] = {1.0, 2.0, 2.5, 5.0};
    for (int exponent = FirstStepExponent; exponent <= LastStepExponent; ++exponent) {
        const double power = std::pow(10.0, exponent);
        for (const double multiplier : multipliers) {
            const double step = multiplier * power;
            if (step * scale < GraphScaleStep::MinMajorLength)
                continue;
            GraphScaleStep division;
            division.step = step;
            division.length = truncated(step * scale);
            division.parts = GraphMinorParts(division.length);
            division.spacing = division.length / division.parts;
            return division;
        }
    }
    return std::nullopt;
}

bool DrawGraphPage(Canvas &canvas, const GraphPrintContext &context,
                   const std::atomic<bool> *cancelled)
{
    return GraphPage(canvas, context, cancelled).draw();
}

bool GraphPageFits(Canvas &canvas, const GraphPrintContext &context)
{
    return GraphPage(canvas, context, nullptr).fits();
}

int PrintGraphThread(std::unique_ptr<PrintDevice> device, const GraphPrintContext &context,
                     const std::atomic<bool> *cancelled)
{
    if (!device)
        return -1;
    if ((cancelled != nullptr && cancelled->load()) || !device->startPage()) {
        device->abortDocument();
        return 0;
    }
    if (!DrawGraphPage(device->canvas(), context, cancelled)) {
        device->abortDocument();
        return 0;
    }
    device->endPage();
    device->endDocument();
    return 0;
}
