#pragma once

#include <cstdint>
#include <optional>

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
    // From the first reading's time to the last's, in milliseconds.
    std::int64_t duration = 0;
    // The sum of the intervals from each reading above (below) the threshold to the reading
    // after it in the window, in milliseconds: the time the temperature was last seen above
    // (below) it. Zero without a threshold.
    std::int64_t timeAbove = 0;
    std::int64_t timeBelow = 0;
};

// Thresholds for the time above and below, in °C; a reading equal to one counts for neither.
struct ReadingThresholds
{
    std::optional<double> above;
    std::optional<double> below;
};

// The figures of the records of series in the time window start..end (both included), walked
// as the graph walks its visible window (RecordsInTimeWindow). An empty window gives count 0
// and every figure 0.
ReadingStatistics ComputeReadingStatistics(TermDataFile &series, std::int32_t start,
                                           std::int32_t end,
                                           const ReadingThresholds &thresholds = {});
