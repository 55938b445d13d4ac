#include "plot/PlotOverlays.h"

#include "companions/FormatOutTime.h"
#include "plot/Saturating.h"

#include <algorithm>

namespace {

constexpr int BoxPadding = 4;
constexpr QRgb BoxColor = qRgb(255, 255, 255);

QString timedTemperature(const TimedTemperature &reading)
{
    return QStringLiteral("%1 °C (%2)").arg(reading.temperature).arg(TimeText(reading.time));
}

QString lengthText(std::int64_t milliseconds)
{
    return ElapsedTimeText(truncated(static_cast<double>(milliseconds)));
}

} // namespace

QStringList StatisticsLines(const ReadingStatistics &figures, std::int64_t windowLength,
                            const TemperatureThresholds &thresholds)
{
    QStringList lines{QStringLiteral("Измерений: %1").arg(figures.count)};
    if (figures.count > 0) {
        lines << QStringLiteral("Минимум: %1").arg(timedTemperature(figures.lowest))
              << QStringLiteral("Максимум: %1").arg(timedTemperature(figures.highest))
              << QStringLiteral("Среднее: %1 °C").arg(figures.mean, 0, 'f', 1)
              << QStringLiteral("Ст. отклонение: %1 °C").arg(figures.standardDeviation, 0, 'f', 1);
    }
    lines << QStringLiteral("Длительность: %1").arg(lengthText(windowLength));
    if (thresholds.upper)
        lines << QStringLiteral("Выше %1 °C: %2")
                     .arg(*thresholds.upper)
                     .arg(lengthText(figures.timeAbove));
    if (thresholds.lower)
        lines << QStringLiteral("Ниже %1 °C: %2")
                     .arg(*thresholds.lower)
                     .arg(lengthText(figures.timeBelow));
    return lines;
}

QString MarkerText(const v4TermData &marker)
{
    return QStringLiteral("%1  %2 °C").arg(TimeText(marker.time)).arg(marker.temperature);
}

QString DifferenceText(const v4TermData &marker, const v4TermData &reading)
{
    const std::int64_t interval = std::int64_t{reading.time} - marker.time;
    const int difference = reading.temperature - marker.temperature;
    return QStringLiteral("Δt = %1  ΔT = %2%3 °C")
        .arg(lengthText(interval), difference >= 0 ? QStringLiteral("+") : QString())
        .arg(difference);
}

ReadingThresholds StatisticsThresholds(const TemperatureThresholds &thresholds)
{
    ReadingThresholds taken;
    if (thresholds.upper)
        taken.above = *thresholds.upper;
    if (thresholds.lower)
        taken.below = *thresholds.lower;
    return taken;
}

namespace {

int lineHeightOf(const Canvas &canvas, const QStringList &lines)
{
    int height = 0;
    for (const QString &line : lines)
        height = std::max(height, canvas.textExtent(line).height());
    return height;
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
    canvas.fillRect(cornerRect(box.left(), box.top(), box.right(), box.bottom()), QColor(BoxColor));
    const QPen previous = canvas.selectPen(Canvas::defaultPen());
    canvas.rectangle(cornerRect(box.left(), box.top(), box.right(), box.bottom()));
    canvas.selectPen(previous);
    const int lineHeight = lineHeightOf(canvas, lines);
    int y = box.top() + BoxPadding;
    for (const QString &line : lines) {
        canvas.textOut(QPoint(box.left() + BoxPadding, y), line);
        y += lineHeight;
    }
    return box;
}
