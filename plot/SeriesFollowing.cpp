#include "plot/SeriesFollowing.h"

#include <algorithm>

BarSpans FollowedTemperatureBar(const BarSpans &bar, ReadingLimits before, ReadingLimits now,
                                std::int32_t rangeMin, std::int32_t rangeMax)
{
    BarSpans followed{rangeMin, rangeMax, bar.winMin, bar.winMax};
    if (bar.winMin <= before.lowest && bar.winMax >= before.highest) {
        followed.winMax = std::max(followed.winMax, now.highest);
        followed.winMin = std::min(followed.winMin, now.lowest);
    }
    return followed;
}

BarSpans FollowedTimeBar(const BarSpans &bar, std::int32_t last)
{
    BarSpans followed{bar.min, last, bar.winMin, bar.winMax};
    if (bar.winMax >= bar.max) {
        const std::int64_t width = std::int64_t{bar.winMax} - bar.winMin;
        followed.winMax = last;
        followed.winMin =
            static_cast<std::int32_t>(std::max<std::int64_t>(std::int64_t{last} - width, bar.min));
    }
    return followed;
}
