#pragma once

#include "plot/TemperatureThresholds.h"

#include <QDate>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

class TermDataFile;

// A temperature and the time of the first reading that had it.
struct TimedTemperature
{
    std::int32_t temperature = 0;
    std::int32_t time = 0;
    bool operator==(const TimedTemperature &) const = default;
};

// The figures of the readings in a time window, as the graph's visible window and
// "orma-cli stats" give them. A reading of 0 °C is a reading like any other.
struct ReadingStatistics
{
    int count = 0;
    TimedTemperature lowest;
    TimedTemperature highest;
    double mean = 0.0;
    // Population standard deviation: the square root of the mean squared distance from mean.
    double standardDeviation = 0.0;
    // The length of the time window within the series' time (from its first reading to its
    // last), in milliseconds: the graph's visible window, or the first to the last reading
    // when the window holds the whole series.
    std::int64_t duration = 0;
    // The sum of the intervals from each reading above the upper (below the lower) threshold
    // to the reading after it in the window, in milliseconds: the time the temperature was
    // last seen above (below) it. Zero without a threshold; a reading equal to one counts for
    // neither.
    std::int64_t timeAbove = 0;
    std::int64_t timeBelow = 0;
    // The readings within the thresholds: at or below the upper one and at or above the lower
    // one. Every reading without a threshold.
    int withinLimits = 0;
};

// The figures of the records of series in the time window start..end (both included), walked
// as the graph walks its visible window (RecordsInTimeWindow). An empty window gives count 0
// and every figure but its duration 0.
ReadingStatistics ComputeReadingStatistics(TermDataFile &series, std::int32_t start,
                                           std::int32_t end,
                                           const TemperatureThresholds &thresholds = {});

// The figures of readings taken one at a time, in the order of their series: the count, the
// extremes with their times, the mean and deviation by Welford's running sums (no loss of
// precision over millions of readings far from 0), the times above and below the thresholds.
class ReadingStatisticsSum
{
public:
    explicit ReadingStatisticsSum(const TemperatureThresholds &thresholds = {})
        : m_thresholds(thresholds)
    {}

    void add(std::int32_t time, std::int32_t temperature);
    // The figures of the readings taken, with duration as theirs.
    ReadingStatistics figures(std::int64_t duration) const;

private:
    TemperatureThresholds m_thresholds;
    ReadingStatistics m_figures;
    double m_mean = 0.0;
    double m_squares = 0.0;
    TimedTemperature m_previous;
};

// What ComputeReadingStatistics gives for the window start..end, for a series whose records
// come one at a time, in order, and are never all in memory: the window is walked as
// RecordsInTimeWindow walks it, from the first record at start or later while the times are at
// most end, and its duration runs within the series' first and last record.
class StreamedReadingStatistics
{
public:
    StreamedReadingStatistics(std::int32_t start, std::int32_t end,
                              const TemperatureThresholds &thresholds = {})
        : m_start(start), m_end(end), m_sum(thresholds)
    {}

    void add(std::int32_t time, std::int32_t temperature);
    ReadingStatistics figures() const;

private:
    std::int32_t m_start;
    std::int32_t m_end;
    ReadingStatisticsSum m_sum;
    bool m_seen = false;
    std::int32_t m_firstTime = 0;
    std::int32_t m_lastTime = 0;
    bool m_inWindow = false;
    bool m_pastWindow = false;
};

// One figure as the graph window's statistics box and orma-cli show it.
struct StatisticsFigure
{
    enum class Kind
    {
        Count,
        Lowest,
        Highest,
        Mean,
        StandardDeviation,
        Duration,
        TimeAbove,
        TimeBelow,
        WithinLimits,
    };
    Kind kind;
    QString label; // in the program's words: "Измерений", "Выше 700 °C"
    QString value; // "3", "19 °C (09:12:37.410)", "497.4 °C", "2:17.780"
};

// The figures in the order they are shown: the temperatures only when there are readings, the
// time above and below only for the thresholds that are set. Temperatures to one decimal,
// lengths of time as ElapsedTimeText. With firstDay, the times count on from that day's
// midnight, as in a timeline of several days, and show their day in dayFormat (a QDate format).
std::vector<StatisticsFigure>
StatisticsFigures(const ReadingStatistics &figures, const TemperatureThresholds &thresholds,
                  const QDate &firstDay = {},
                  const QString &dayFormat = QStringLiteral("yyyy-MM-dd"));

// The share of the readings within the thresholds, "В пределах порогов": "97.5 % (195 из 200)",
// to one decimal of a percent. None without readings or without a threshold.
std::optional<StatisticsFigure> WithinLimitsFigure(const ReadingStatistics &figures,
                                                   const TemperatureThresholds &thresholds);
