#pragma once

#include <QDate>

#include <cstdint>
#include <optional>

class TermDataFile;

// The rules behind the graph window's two scales, without a window.

// The limits word the graph launch hands the window with a series: the lowest temperature in
// bits 0-15, the highest in bits 16-31, each a 16-bit two's complement number of degrees.
constexpr std::uint32_t GraphSeriesLimits(std::int16_t lowest, std::int16_t highest)
{
    return static_cast<std::uint16_t>(lowest) |
           static_cast<std::uint32_t>(static_cast<std::uint16_t>(highest)) << 16;
}
constexpr std::int32_t GraphSeriesLowest(std::uint32_t limits)
{
    return static_cast<std::int16_t>(limits & 0xFFFFu);
}
constexpr std::int32_t GraphSeriesHighest(std::uint32_t limits)
{
    return static_cast<std::int16_t>(limits >> 16);
}

// A stretch of a scale, in its units.
struct ScaleSpan
{
    std::int32_t low;
    std::int32_t high;
    bool operator==(const ScaleSpan &) const = default;
};

// The temperature bar's range for a series' limits: 10 °C beyond the lowest and the highest
// reading, so the curve never runs along the plot's edge; 0 to 2000 °C when both are 0, the
// limits of a series that says nothing of its temperatures.
ScaleSpan TemperatureRangeFor(std::uint32_t limits);

// The lowest and highest reading in the time window start..end, for the automatic limits;
// none when the window holds no reading. A reading of 0 °C is taken for a missing one.
std::optional<ScaleSpan> ReadingSpan(TermDataFile &series, std::int32_t start, std::int32_t end);

// Local midnight of a series' day in seconds since 1970, where the time bar's times start;
// 0 for a day the calendar does not cover (invalid, or before 1900).
std::int64_t MidnightOf(const QDate &date);
