#include "plot/ReadingStatistics.h"
#include "companions/TermDataFile.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

constexpr std::int32_t Whole = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t Before = std::numeric_limits<std::int32_t>::min();

void fill(TermDataFile &series,
          std::initializer_list<std::pair<std::int32_t, std::int32_t>> records)
{
    for (const auto &[time, temperature] : records)
        series.Add(time, temperature, 950);
}

} // namespace

TEST(ReadingStatistics, AnEmptyWindowHasNoFigures)
{
    TermDataFile series;
    EXPECT_EQ(ComputeReadingStatistics(series, Before, Whole).count, 0);
    fill(series, {{1000, 500}, {2000, 600}});
    const ReadingStatistics figures =
        ComputeReadingStatistics(series, 3000, 4000, {.upper = 0, .lower = 1000});
    EXPECT_EQ(figures.count, 0);
    EXPECT_EQ(figures.duration, 0);
    EXPECT_EQ(figures.timeAbove, 0);
    EXPECT_EQ(figures.mean, 0.0);
}

TEST(ReadingStatistics, ASingleReadingIsItsOwnLowestHighestAndMean)
{
    TermDataFile series;
    fill(series, {{5000, 850}});
    const ReadingStatistics figures =
        ComputeReadingStatistics(series, Before, Whole, {.upper = 800, .lower = 900});
    EXPECT_EQ(figures.count, 1);
    EXPECT_EQ(figures.lowest, (TimedTemperature{850, 5000}));
    EXPECT_EQ(figures.highest, (TimedTemperature{850, 5000}));
    EXPECT_DOUBLE_EQ(figures.mean, 850.0);
    EXPECT_DOUBLE_EQ(figures.standardDeviation, 0.0);
    // No interval follows it: no time above or below anything.
    EXPECT_EQ(figures.duration, 0);
    EXPECT_EQ(figures.timeAbove, 0);
    EXPECT_EQ(figures.timeBelow, 0);
}

// Readings 2, 4, 4, 4, 5, 5, 7, 9 (mean 5, population deviation 2), the lowest first seen at
// 1 s, the highest at 8 s; 0 °C readings around them in a wider window count too.
TEST(ReadingStatistics, FiguresOfAWindowByHand)
{
    TermDataFile series;
    fill(series, {{0, 0},
                  {1000, 2},
                  {2000, 4},
                  {3000, 4},
                  {4000, 4},
                  {5000, 5},
                  {6000, 5},
                  {7000, 7},
                  {8000, 9},
                  {9000, 0}});
    ReadingStatistics figures = ComputeReadingStatistics(series, 1000, 8000);
    EXPECT_EQ(figures.count, 8);
    EXPECT_DOUBLE_EQ(figures.mean, 5.0);
    EXPECT_DOUBLE_EQ(figures.standardDeviation, 2.0);
    EXPECT_EQ(figures.lowest, (TimedTemperature{2, 1000}));
    EXPECT_EQ(figures.highest, (TimedTemperature{9, 8000}));
    EXPECT_EQ(figures.duration, 7000);

    figures = ComputeReadingStatistics(series, Before, Whole);
    EXPECT_EQ(figures.count, 10);
    EXPECT_DOUBLE_EQ(figures.mean, 4.0);
    // The first of the two 0 °C readings is the lowest.
    EXPECT_EQ(figures.lowest, (TimedTemperature{0, 0}));
    EXPECT_EQ(figures.duration, 9000);
}

// The interval after a reading counts for the side of the threshold that reading is on; a
// reading equal to the threshold counts for neither, and the last reading adds nothing.
TEST(ReadingStatistics, TimeAboveAndBelowAreTheIntervalsAfterEachReading)
{
    TermDataFile series;
    fill(series, {{0, 100}, {1000, 300}, {4000, 200}, {4500, 300}, {10000, 50}, {12000, 400}});
    const ReadingStatistics figures =
        ComputeReadingStatistics(series, Before, Whole, {.upper = 200, .lower = 200});
    // Above 200: after 300 at 1 s (3 s) and after 300 at 4.5 s (5.5 s).
    EXPECT_EQ(figures.timeAbove, 8500);
    // Below 200: after 100 at 0 s (1 s) and after 50 at 10 s (2 s).
    EXPECT_EQ(figures.timeBelow, 3000);

    // A window cuts the walk: from 1 s to 4.5 s only 300 and 200 open intervals.
    const ReadingStatistics window =
        ComputeReadingStatistics(series, 1000, 4500, {.upper = 200, .lower = 250});
    EXPECT_EQ(window.timeAbove, 3000);
    EXPECT_EQ(window.timeBelow, 500);
    EXPECT_EQ(window.duration, 3500);
}

// The window's length, as the graph shows it for its visible window; ends beyond the series
// (orma-cli without --from or --to) stop at its first and last reading.
TEST(ReadingStatistics, TheDurationIsTheWindowsLengthWithinTheSeries)
{
    TermDataFile series;
    fill(series, {{1000, 500}, {2000, 600}, {9000, 700}});
    EXPECT_EQ(ComputeReadingStatistics(series, 1500, 7000).duration, 5500);
    EXPECT_EQ(ComputeReadingStatistics(series, Before, 5000).duration, 4000);
    EXPECT_EQ(ComputeReadingStatistics(series, 0, Whole).duration, 8000);
    // A gap in sight has its length though it holds no reading.
    const ReadingStatistics gap = ComputeReadingStatistics(series, 3000, 8000);
    EXPECT_EQ(gap.count, 0);
    EXPECT_EQ(gap.duration, 5000);
}

// A command line never holds a whole series: the readings taken one at a time, in order, give
// the figures of the series held whole, to the last bit of the mean, for any window, over a
// series running forward, one with times that go back and repeat, and one without readings in
// the window; the window starts at the first reading at its start or later and ends before the
// first one past its end, as the graph walks it.
TEST(ReadingStatistics, ReadingsTakenOneAtATimeGiveTheFiguresOfTheSeriesHeldWhole)
{
    std::uint32_t state = 12345;
    const auto next = [&state](std::uint32_t range) {
        state = state * 1664525u + 1013904223u;
        return static_cast<std::int32_t>((state >> 8) % range);
    };
    for (int run = 0; run < 200; ++run) {
        TermDataFile series;
        std::int32_t time = next(100000);
        const int count = next(300);
        for (int i = 0; i < count; ++i) {
            // A run in four goes back in time now and then.
            time += run % 4 == 0 ? next(2000) - 400 : next(2000);
            series.Add(time, next(2000) - 200 + 100000 * (run % 3), 950);
        }
        std::int32_t start = next(2) == 0 ? Before : next(400000);
        std::int32_t end = next(2) == 0 ? Whole : start + next(400000);
        const TemperatureThresholds thresholds{.upper = 1200, .lower = 100};
        StreamedReadingStatistics streamed(start, end, thresholds);
        for (int i = 0; i < series.count; ++i)
            streamed.add(series.records[i].time, series.records[i].temperature);
        const ReadingStatistics whole = ComputeReadingStatistics(series, start, end, thresholds);
        const ReadingStatistics taken = streamed.figures();
        SCOPED_TRACE(run);
        EXPECT_EQ(taken.count, whole.count);
        EXPECT_EQ(taken.lowest, whole.lowest);
        EXPECT_EQ(taken.highest, whole.highest);
        EXPECT_EQ(taken.mean, whole.mean);
        EXPECT_EQ(taken.standardDeviation, whole.standardDeviation);
        EXPECT_EQ(taken.duration, whole.duration);
        EXPECT_EQ(taken.timeAbove, whole.timeAbove);
        EXPECT_EQ(taken.timeBelow, whole.timeBelow);
    }
    // By hand: the window opens at 2000, takes 1500 after it, and closes at 4000.
    StreamedReadingStatistics streamed(1800, 3500);
    for (const auto &[time, temperature] :
         {std::pair{1000, 1}, {2000, 2}, {1500, 3}, {3000, 4}, {4000, 5}, {3200, 6}})
        streamed.add(time, temperature);
    const ReadingStatistics figures = streamed.figures();
    EXPECT_EQ(figures.count, 3);
    EXPECT_EQ(figures.mean, 3.0);
    EXPECT_EQ(figures.lowest, (TimedTemperature{2, 2000}));
    EXPECT_EQ(figures.duration, 3200 - 1800);
}

// Readings 100, 250, 300, 150, 400, 50 a second apart against 100..300: 100, 250, 300 and 150
// lie within (the thresholds themselves count as within), 400 above and 50 below.
TEST(ReadingStatistics, TimeOutsideAndShareWithinTheThresholds)
{
    TermDataFile series;
    fill(series, {{0, 100}, {1000, 250}, {2000, 300}, {3000, 150}, {4000, 400}, {5000, 50}});
    const TemperatureThresholds limits{.upper = 300, .lower = 100};
    const ReadingStatistics both = ComputeReadingStatistics(series, Before, Whole, limits);
    EXPECT_EQ(both.withinLimits, 4);
    // Above from 400 at 4 s to the next reading; the last reading, below, has no interval.
    EXPECT_EQ(both.timeAbove, 1000);
    EXPECT_EQ(both.timeBelow, 0);
    EXPECT_EQ(WithinLimitsFigure(both, limits)->value, "66.7 % (4 из 6)");
    EXPECT_EQ(WithinLimitsFigure(both, limits)->label, "В пределах порогов");

    // One threshold alone bounds one side only.
    const ReadingStatistics upper =
        ComputeReadingStatistics(series, Before, Whole, {.upper = 200, .lower = {}});
    EXPECT_EQ(upper.withinLimits, 3);
    EXPECT_EQ(upper.timeAbove, 2000 + 1000);
    const ReadingStatistics lower =
        ComputeReadingStatistics(series, Before, Whole, {.upper = {}, .lower = 120});
    EXPECT_EQ(lower.withinLimits, 4);
    EXPECT_EQ(lower.timeBelow, 1000);

    // A window of its own: 1 s to 3 s holds 250, 300, 150, all within.
    const ReadingStatistics window = ComputeReadingStatistics(series, 1000, 3000, limits);
    EXPECT_EQ(WithinLimitsFigure(window, limits)->value, "100.0 % (3 из 3)");

    // Without thresholds or readings there is no share to tell.
    EXPECT_FALSE(WithinLimitsFigure(both, {}).has_value());
    EXPECT_FALSE(WithinLimitsFigure(ComputeReadingStatistics(series, 9000, 9999, limits), limits)
                     .has_value());

    // The streamed figures, as orma-cli takes them, agree.
    StreamedReadingStatistics streamed(Before, Whole, limits);
    for (std::int32_t i = 0; i < series.count; ++i)
        streamed.add(series.records[i].time, series.records[i].temperature);
    EXPECT_EQ(streamed.figures().withinLimits, 4);
    EXPECT_EQ(streamed.figures().timeAbove, 1000);
}
