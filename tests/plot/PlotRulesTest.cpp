#include "plot/OverlayPlacement.h"
#include "plot/SeriesFollowing.h"

#include <gtest/gtest.h>

#include <limits>
#include <ostream>

std::ostream &operator<<(std::ostream &out, const BarSpans &s)
{
    return out << s.min << ".." << s.max << " [" << s.winMin << ".." << s.winMax << "]";
}

namespace {

// The graph follows a growing reception: the temperature window widens only while it shows
// every reading, the time window slides only while it reaches the end.
TEST(SeriesFollowing, TheWindowsFollowOnlyWhereTheUserLeftThemWhole)
{
    struct Temperature
    {
        const char *what;
        BarSpans bar;
        ReadingLimits before, now;
        BarSpans expected;
    } temperatures[] = {
        {"every reading shown: widens both ways",
         {190, 910, 200, 900},
         {200, 900},
         {150, 950},
         {140, 960, 150, 950}},
        {"a wider window than the readings: kept while it holds the new ones",
         {0, 2000, 100, 1000},
         {200, 900},
         {150, 950},
         {140, 960, 100, 1000}},
        {"narrowed by the user: stays",
         {190, 910, 300, 800},
         {200, 900},
         {150, 950},
         {140, 960, 300, 800}},
        {"only the top shown in full: stays",
         {190, 910, 250, 900},
         {200, 900},
         {200, 990},
         {190, 1000, 250, 900}},
        {"below 0 °C", {-60, 10, -50, 0}, {-50, 0}, {-70, 0}, {-80, 10, -70, 0}},
    };
    for (const Temperature &c : temperatures)
        EXPECT_EQ(FollowedTemperatureBar(c.bar, c.before, c.now, c.expected.min, c.expected.max),
                  c.expected)
            << c.what;

    constexpr std::int32_t Lowest = std::numeric_limits<std::int32_t>::min();
    constexpr std::int32_t Highest = std::numeric_limits<std::int32_t>::max();
    struct Time
    {
        const char *what;
        BarSpans bar;
        std::int32_t last;
        BarSpans expected;
    } times[] = {
        {"the whole range: slides, keeping its width",
         {0, 10000, 0, 10000},
         12000,
         {0, 12000, 2000, 12000}},
        {"the last minute: slides", {0, 100000, 40000, 100000}, 101000, {0, 101000, 41000, 101000}},
        {"moved back by the user: stays",
         {0, 100000, 20000, 80000},
         101000,
         {0, 101000, 20000, 80000}},
        {"a series ending earlier: never before the range",
         {5000, 6000, 5000, 6000},
         5500,
         {5000, 5500, 5000, 5500}},
        {"the widest window does not overflow",
         {Lowest, 0, Lowest, 0},
         Highest,
         {Lowest, Highest, -1, Highest}},
    };
    for (const Time &c : times)
        EXPECT_EQ(FollowedTimeBar(c.bar, c.last), c.expected) << c.what;
}

// The boxes over the plot: the statistics at the top left, the marker's box beside its line
// and under the statistics, on the side that has room.
TEST(OverlayPlacement, TheBoxesStayClearOfEachOtherAndBesideTheMarker)
{
    const QSize plot(400, 300);
    const QSize statistics(150, 100);
    const QSize marker(120, 30);
    const struct
    {
        const char *what;
        QSize statistics;
        std::optional<int> markerX;
        std::optional<QPoint> expected;
    } cases[] = {
        {"no marker", statistics, std::nullopt, std::nullopt},
        {"marker left of the plot", statistics, -1, std::nullopt},
        {"marker right of the plot", statistics, 400, std::nullopt},
        {"room on the right, under the statistics", statistics, 100, QPoint(104, 108)},
        {"no statistics: at the top", QSize(), 100, QPoint(104, 4)},
        {"just room on the right", statistics, 276, QPoint(280, 108)},
        {"no room on the right: left of the line", statistics, 277, QPoint(153, 108)},
        {"at the last column", QSize(), 399, QPoint(275, 4)},
    };
    for (const auto &c : cases) {
        const OverlayPlaces places = PlaceOverlays(plot, c.statistics, c.markerX, marker);
        EXPECT_EQ(places.statistics, QPoint(OverlayMargin, OverlayMargin)) << c.what;
        EXPECT_EQ(places.marker, c.expected) << c.what;
    }
}

} // namespace
