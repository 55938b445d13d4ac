#include "plot/ReadingStatistics.h"

#include "companions/FormatOutTime.h"
#include "companions/TermDataFile.h"
#include "plot/Saturating.h"
#include "plot/ThresholdCrossings.h"

#include <QDate>

#include <algorithm>
#include <cmath>

namespace {

// The window clipped to the series' first and last reading, so that open ends give the span of
// the readings and the graph's visible window, always inside it, its own length.
std::int64_t windowLength(std::int32_t firstTime, std::int32_t lastTime, std::int32_t start,
                          std::int32_t end)
{
    const std::int64_t from = std::max(start, firstTime);
    const std::int64_t to = std::min(end, lastTime);
    return std::max<std::int64_t>(to - from, 0);
}

} // namespace

ReadingStatistics ComputeReadingStatistics(TermDataFile &series, std::int32_t start,
                                           std::int32_t end,
                                           const TemperatureThresholds &thresholds)
{
    ReadingStatisticsSum sum(thresholds);
    for (const v4TermData &record : RecordsInTimeWindow(series, start, end))
        sum.add(record.time, record.temperature);
    return sum.figures(series.count > 0
                           ? windowLength(series.records[0].time,
                                          series.records[series.count - 1].time, start, end)
                           : 0);
}

void ReadingStatisticsSum::add(std::int32_t time, std::int32_t temperature)
{
    ++m_figures.count;
    if (m_figures.count == 1) {
        m_figures.lowest = m_figures.highest = {temperature, time};
    } else {
        if (temperature < m_figures.lowest.temperature)
            m_figures.lowest = {temperature, time};
        if (temperature > m_figures.highest.temperature)
            m_figures.highest = {temperature, time};
        // The time from a reading to the next counts for the side of the threshold it was on.
        const std::int64_t interval = std::int64_t{time} - m_previous.time;
        const ThresholdSide previousSide = SideOfThresholds(m_thresholds, m_previous.temperature);
        if (previousSide == ThresholdSide::Above)
            m_figures.timeAbove += interval;
        if (previousSide == ThresholdSide::Below)
            m_figures.timeBelow += interval;
    }
    if (SideOfThresholds(m_thresholds, temperature) == ThresholdSide::Inside)
        ++m_figures.withinLimits;
    const double delta = temperature - m_mean;
    m_mean += delta / m_figures.count;
    m_squares += delta * (temperature - m_mean);
    m_previous = {temperature, time};
}

ReadingStatistics ReadingStatisticsSum::figures(std::int64_t duration) const
{
    ReadingStatistics figures = m_figures;
    figures.duration = duration;
    if (figures.count > 0) {
        figures.mean = m_mean;
        figures.standardDeviation = std::sqrt(m_squares / figures.count);
    }
    return figures;
}

void StreamedReadingStatistics::add(std::int32_t time, std::int32_t temperature)
{
    if (!m_seen)
        m_firstTime = time;
    m_seen = true;
    m_lastTime = time;
    m_inWindow = !m_pastWindow && (m_inWindow || time >= m_start);
    if (m_inWindow && time > m_end) {
        m_inWindow = false;
        m_pastWindow = true;
    }
    if (m_inWindow)
        m_sum.add(time, temperature);
}

ReadingStatistics StreamedReadingStatistics::figures() const
{
    return m_sum.figures(m_seen ? windowLength(m_firstTime, m_lastTime, m_start, m_end) : 0);
}

namespace {

// Of a timeline of several days, a time counts on from the first day's midnight: it is
// shown with its own date, not as "59:41:56.000".
QString timedTemperature(const TimedTemperature &reading, const QDate &firstDay,
                         const QString &dayFormat)
{
    const QString time = firstDay.isValid() ? DatedTimeText(firstDay, reading.time, dayFormat)
                                            : TimeText(reading.time);
    return QStringLiteral("%1 °C (%2)").arg(reading.temperature).arg(time);
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
                                                const TemperatureThresholds &thresholds,
                                                const QDate &firstDay, const QString &dayFormat)
{
    using Kind = StatisticsFigure::Kind;
    std::vector<StatisticsFigure> shown{
        {Kind::Count, QStringLiteral("Измерений"), QString::number(figures.count)}};
    if (figures.count > 0) {
        shown.push_back({Kind::Lowest, QStringLiteral("Минимум"),
                         timedTemperature(figures.lowest, firstDay, dayFormat)});
        shown.push_back({Kind::Highest, QStringLiteral("Максимум"),
                         timedTemperature(figures.highest, firstDay, dayFormat)});
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

std::optional<StatisticsFigure> WithinLimitsFigure(const ReadingStatistics &figures,
                                                   const TemperatureThresholds &thresholds)
{
    if (figures.count == 0 || (!thresholds.upper && !thresholds.lower))
        return std::nullopt;
    const double percent = 100.0 * figures.withinLimits / figures.count;
    return StatisticsFigure{StatisticsFigure::Kind::WithinLimits,
                            QStringLiteral("В пределах порогов"),
                            QStringLiteral("%1 % (%2 из %3)")
                                .arg(percent, 0, 'f', 1)
                                .arg(figures.withinLimits)
                                .arg(figures.count)};
}
