#pragma once

#include <cstdint>

// How the graph's scales follow a series that grows at its end, without a window.

// A range bar's range and its window inside it, in the bar's units.
struct BarSpans
{
    std::int32_t min;
    std::int32_t max;
    std::int32_t winMin;
    std::int32_t winMax;
    bool operator==(const BarSpans &) const = default;
};

// Lowest and highest reading of a series.
struct ReadingLimits
{
    std::int32_t lowest;
    std::int32_t highest;
};

// The temperature bar once the readings' limits have gone from before to now: its range
// becomes range; a window that showed every reading before widens to show the new ones too,
// a window the user narrowed stays.
BarSpans FollowedTemperatureBar(const BarSpans &bar, ReadingLimits before, ReadingLimits now,
                                std::int32_t rangeMin, std::int32_t rangeMax);

// The time bar once the series ends at last: the range ends there; a window that reached the
// old end keeps its width and slides to the new one (never starting before the range), a
// window the user moved or narrowed stays.
BarSpans FollowedTimeBar(const BarSpans &bar, std::int32_t last);
