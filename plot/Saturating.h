#pragma once

#include <QPoint>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

// Conversions of drawing arithmetic to device coordinates: truncation toward zero that
// saturates instead of overflowing (NaN gives 0), as far-off points must stay far off.
inline int truncated(double value)
{
    if (std::isnan(value))
        return 0;
    constexpr double low = std::numeric_limits<int>::min();
    constexpr double high = std::numeric_limits<int>::max();
    return static_cast<int>(std::clamp(value, low, high));
}

inline int saturated(std::int64_t value)
{
    return static_cast<int>(std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(),
                                                     std::numeric_limits<int>::max()));
}

inline QPoint pointAt(std::int64_t x, std::int64_t y)
{
    return {saturated(x), saturated(y)};
}
