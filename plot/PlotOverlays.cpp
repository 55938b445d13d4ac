#include "plot/PlotOverlays.h"

#include "companions/FormatOutTime.h"
#include "plot/Saturating.h"

#include <algorithm>

namespace {

constexpr int BoxPadding = 4;
constexpr QRgb BoxColor = qRgb(255, 255, 255);
// The legend's stroke before each name, and the room it takes.
constexpr int SwatchLength = 16;
constexpr int SwatchRoom = SwatchLength + BoxPadding;

} // namespace

QStringList StatisticsLines(const ReadingStatistics &figures,
                            const TemperatureThresholds &thresholds, const QDate &firstDay)
{
    QStringList lines;
    for (const StatisticsFigure &figure :
         StatisticsFigures(figures, thresholds, firstDay, GraphDayFormat))
        lines << figure.label + QStringLiteral(": ") + figure.value;
    return lines;
}

QString SeriesStatisticsLine(const QString &name, const ReadingStatistics &figures)
{
    if (figures.count == 0)
        return name + QStringLiteral(": нет измерений");
    return QStringLiteral("%1: %2 изм., %3…%4 °C, среднее %5 °C")
        .arg(name)
        .arg(figures.count)
        .arg(figures.lowest.temperature)
        .arg(figures.highest.temperature)
        .arg(figures.mean, 0, 'f', 1);
}

QString MarkerText(const v4TermData &marker, const QDate &firstDay)
{
    return QStringLiteral("%1  %2 °C")
        .arg(GraphTimeText(firstDay, marker.time, TimeText))
        .arg(marker.temperature);
}

QString DifferenceText(const v4TermData &marker, const v4TermData &reading)
{
    const std::int64_t interval = std::int64_t{reading.time} - marker.time;
    const int difference = reading.temperature - marker.temperature;
    return QStringLiteral("Δt = %1  ΔT = %2%3 °C")
        .arg(ElapsedTimeText(saturated(interval)),
             difference >= 0 ? QStringLiteral("+") : QString())
        .arg(difference);
}

namespace {

int lineHeightOf(const Canvas &canvas, const QStringList &lines)
{
    int height = 0;
    for (const QString &line : lines)
        height = std::max(height, canvas.textExtent(line).height());
    return height;
}

void writeLines(Canvas &canvas, QPoint topLeft, const QStringList &lines)
{
    const int lineHeight = lineHeightOf(canvas, lines);
    int y = topLeft.y();
    for (const QString &line : lines) {
        canvas.textOut(QPoint(topLeft.x(), y), line);
        y += lineHeight;
    }
}

void drawBox(Canvas &canvas, const QRect &box)
{
    canvas.fillRect(cornerRect(box.left(), box.top(), box.right(), box.bottom()), QColor(BoxColor));
    const QPen previous = canvas.selectPen(Canvas::defaultPen());
    canvas.rectangle(cornerRect(box.left(), box.top(), box.right(), box.bottom()));
    canvas.selectPen(previous);
}

} // namespace

QSize TextBoxSize(const Canvas &canvas, const QStringList &lines)
{
    int width = 0;
    for (const QString &line : lines)
        width = std::max(width, canvas.textExtent(line).width());
    return {width + 2 * BoxPadding,
            lineHeightOf(canvas, lines) * static_cast<int>(lines.size()) + 2 * BoxPadding};
}

QRect DrawTextBox(Canvas &canvas, QPoint topLeft, const QStringList &lines)
{
    const QRect box(topLeft, TextBoxSize(canvas, lines));
    drawBox(canvas, box);
    writeLines(canvas, QPoint(box.left() + BoxPadding, box.top() + BoxPadding), lines);
    return box;
}

QSize LegendBoxSize(const Canvas &canvas, const QStringList &names)
{
    return TextBoxSize(canvas, names) + QSize(SwatchRoom, 0);
}

QRect DrawLegend(Canvas &canvas, QPoint topLeft, const std::vector<LegendEntry> &entries)
{
    QStringList names;
    for (const LegendEntry &entry : entries)
        names << entry.name;
    const QRect box(topLeft, LegendBoxSize(canvas, names));
    drawBox(canvas, box);
    writeLines(canvas, QPoint(box.left() + BoxPadding + SwatchRoom, box.top() + BoxPadding), names);
    const QPen previous = canvas.selectPen(Canvas::defaultPen());
    const int lineHeight = lineHeightOf(canvas, names);
    int y = box.top() + BoxPadding + lineHeight / 2;
    for (const LegendEntry &entry : entries) {
        canvas.selectPen(QPen(QColor(entry.colour), 2));
        canvas.moveTo(QPoint(box.left() + BoxPadding, y));
        canvas.lineTo(QPoint(box.left() + BoxPadding + SwatchLength, y));
        y += lineHeight;
    }
    canvas.selectPen(previous);
    return box;
}
