#include "plot/ReadingStatistics.h"

#include "companions/FormatOutTime.h"
#include "companions/TermDataFile.h"
#include "plot/Saturating.h"

#include <algorithm>
#include <cmath>

namespace {

// The window clipped to the series' first and last reading, so that open ends give the span of
// the readings and the graph's visible window, always inside it, its own length.
std::int64_t windowLength(const TermDataFile &series, std::int32_t start, std::int32_t end)
{
    if (series.count <= 0)
        return 0;
    const std::int64_t from = std::max(start, series.records[0].time);
    const std::int64_t to = std::min(end, series.records[series.count - 1].time);
    return std::max<std::int64_t>(to - from, 0);
}

} // namespace

ReadingStatistics ComputeReadingStatistics(TermDataFile &series, std::int32_t start,
                                           std::int32_t end,
                                           const TemperatureThresholds &thresholds)
{
    ReadingStatistics figures;
    figures.duration = windowLength(series, start, end);
    const TimeWindowRecords records = RecordsInTimeWindow(series, start, end);
    if (records.begin() == records.end())
        return figures;
    figures.lowest = figures.highest = {records.first->temperature, records.first->time};
    // Welford's running mean and sum of squared distances: no loss of precision over millions
    // of readings far from 0.
    double mean = 0.0;
    double squares = 0.0;
    const v4TermData *previous = nullptr;
    for (const v4TermData &record : records) {
        ++figures.count;
        if (record.temperature < figures.lowest.temperature)
            figures.lowest = {record.temperature, record.time};
        if (record.temperature > figures.highest.temperature)
            figures.highest = {record.temperature, record.time};
        const double delta = record.temperature - mean;
        mean += delta / figures.count;
        squares += delta * (record.temperature - mean);
        if (previous != nullptr) {
            const std::int64_t interval = std::int64_t{record.time} - previous->time;
            if (thresholds.upper && previous->temperature > *thresholds.upper)
                figures.timeAbove += interval;
            if (thresholds.lower && previous->temperature < *thresholds.lower)
                figures.timeBelow += interval;
        }
        previous = &record;
    }
    figures.mean = mean;
    figures.standardDeviation = std::sqrt(squares / figures.count);
    return figures;
}

namespace {

QString timedTemperature(const TimedTemperature &reading)
{
    return QStringLiteral("%1 °C (%2)").arg(reading.temperature).arg(TimeText(reading.time));
}

QString temperature(double value)
{
    return QStringLiteral("%1 °C").arg(value, 0, 'f', 1);
}

QString lengthText(std::int64_t milliseconds)
{
    return ElapsedTimeText(saturated(milliseconds));
}

} // namespace

std::vector<StatisticsFigure> StatisticsFigures(const ReadingStatistics &figures,
                                                const TemperatureThresholds &thresholds)
{
    using Kind = StatisticsFigure::Kind;
    std::vector<StatisticsFigure> shown{
        {Kind::Count, QStringLiteral("Измерений"), QString::number(figures.count)}};
    if (figures.count > 0) {
        shown.push_back(
            {Kind::Lowest, QStringLiteral("Минимум"), timedTemperature(figures.lowest)});
        shown.push_back(
            {Kind::Highest, QStringLiteral("Максимум"), timedTemperature(figures.highest)});
        shown.push_back({Kind::Mean, QStringLiteral("Среднее"), temperature(figures.mean)});
        shown.push_back({Kind::StandardDeviation, QStringLiteral("Ст. отклонение"),
                         temperature(figures.standardDeviation)});
    }
    shown.push_back({Kind::Duration, QStringLiteral("Длительность"), lengthText(figures.duration)});
    if (thresholds.upper)
        shown.push_back({Kind::TimeAbove, QStringLiteral("Выше %1 °C").arg(*thresholds.upper),
                         lengthText(figures.timeAbove)});
    if (thresholds.lower)
        shown.push_back({Kind::TimeBelow, QStringLiteral("Ниже %1 °C").arg(*thresholds.lower),
                         lengthText(figures.timeBelow)});
    return shown;
}
