#include "plot/ReadingStatistics.h"

#include "companions/TermDataFile.h"

#include <cmath>

ReadingStatistics ComputeReadingStatistics(TermDataFile &series, std::int32_t start,
                                           std::int32_t end, const ReadingThresholds &thresholds)
{
    ReadingStatistics figures;
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
            if (thresholds.above && previous->temperature > *thresholds.above)
                figures.timeAbove += interval;
            if (thresholds.below && previous->temperature < *thresholds.below)
                figures.timeBelow += interval;
        }
        previous = &record;
    }
    figures.mean = mean;
    figures.standardDeviation = std::sqrt(squares / figures.count);
    figures.duration = std::int64_t{previous->time} - records.first->time;
    return figures;
}
