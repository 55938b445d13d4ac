#include "plot/GraphScales.h"

#include "companions/TermDataFile.h"

#include <QDateTime>

#include <algorithm>

namespace {

constexpr std::int32_t TemperatureMargin = 10;
constexpr std::int32_t TemperatureRangeWithoutLimits = 2000;

} // namespace

ScaleSpan TemperatureRangeFor(std::uint32_t limits)
{
    const std::int32_t lowest = GraphSeriesLowest(limits);
    const std::int32_t highest = GraphSeriesHighest(limits);
    if (lowest == 0 && highest == 0)
        return {0, TemperatureRangeWithoutLimits};
    return {lowest - TemperatureMargin, highest + TemperatureMargin};
}

std::optional<ScaleSpan> ReadingSpan(TermDataFile &series, std::int32_t start, std::int32_t end)
{
    std::optional<ScaleSpan> span;
    for (const v4TermData &record : RecordsInTimeWindow(series, start, end)) {
        if (record.temperature == 0)
            continue;
        if (!span)
            span = ScaleSpan{record.temperature, record.temperature};
        span->low = std::min(span->low, record.temperature);
        span->high = std::max(span->high, record.temperature);
    }
    return span;
}

std::int64_t MidnightOf(const QDate &date)
{
    if (!date.isValid() || date.year() < 1900)
        return 0;
    return QDateTime(date, QTime(0, 0)).toSecsSinceEpoch();
}
