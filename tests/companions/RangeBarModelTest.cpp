#include "companions/RangeBarModel.h"
#include "companions/FormatOutTime.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

constexpr std::int32_t Lowest = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t Highest = std::numeric_limits<std::int32_t>::max();

struct State
{
    std::int32_t minimum, maximum, windowStart, windowEnd;
};

// Reaches a state without relying on the order rules under test: a window inside the widest
// range cannot be disturbed by narrowing the range around it afterwards.
RangeBarModel modelAt(const State &s, RangeBarUnits units = RangeBarUnits::Degrees)
{
    RangeBarModel model;
    model.setUnits(units);
    model.setMinimum(Lowest);
    model.setMaximum(Highest);
    model.setWindowStart(s.windowStart);
    model.setWindowEnd(s.windowEnd);
    model.setMinimum(s.minimum);
    model.setMaximum(s.maximum);
    return model;
}

void expectState(const RangeBarModel &model, const State &s)
{
    EXPECT_EQ(model.minimum(), s.minimum);
    EXPECT_EQ(model.maximum(), s.maximum);
    EXPECT_EQ(model.windowStart(), s.windowStart);
    EXPECT_EQ(model.windowEnd(), s.windowEnd);
}

void expectValid(const RangeBarModel &model)
{
    EXPECT_LT(model.minimum(), model.maximum());
    EXPECT_LE(model.minimum(), model.windowStart());
    EXPECT_LT(model.windowStart(), model.windowEnd());
    EXPECT_LE(model.windowEnd(), model.maximum());
}

// Applies the four setters in the order given by the permutation of 0..3, checking the
// invariant after every call.
void applyInOrder(RangeBarModel &model, const std::array<int, 4> &order, const State &target)
{
    for (int setter : order) {
        switch (setter) {
        case 0:
            model.setMinimum(target.minimum);
            break;
        case 1:
            model.setMaximum(target.maximum);
            break;
        case 2:
            model.setWindowStart(target.windowStart);
            break;
        default:
            model.setWindowEnd(target.windowEnd);
            break;
        }
        expectValid(model);
    }
}

struct OrderCase
{
    const char *what;
    State start;
    State target;
};

const OrderCase orderCases[] = {
    {"frame defaults to a launch far above", {0, 10, 0, 10}, {790, 960, 800, 950}},
    {"far below, disjoint", {1000, 2000, 1500, 1600}, {-50, -10, -40, -20}},
    {"window at the new range's end", {0, 100, 40, 60}, {50, 500, 450, 500}},
    {"window is the whole range", {-1000, 0, -1000, 0}, {1, 86399999, 1, 86399999}},
    {"narrow window in a wide range", {0, 10, 2, 3}, {0, 100000, 99998, 99999}},
    {"the extremes of the type", {0, 1, 0, 1}, {Lowest, Highest, Lowest, Lowest + 1}},
    {"window at the top of the type", {Lowest, Highest, 0, 5}, {-5, Highest, Highest - 1, Highest}},
};

} // namespace

TEST(RangeBarModel, AnyOrderOfTheFourSettersReachesAValidTarget)
{
    for (const OrderCase &c : orderCases) {
        std::array<int, 4> order = {0, 1, 2, 3};
        do {
            SCOPED_TRACE(testing::Message()
                         << c.what << ", order " << order[0] << order[1] << order[2] << order[3]);
            RangeBarModel model = modelAt(c.start);
            expectState(model, c.start);
            applyInOrder(model, order, c.target);
            expectState(model, c.target);
        } while (std::next_permutation(order.begin(), order.end()));
    }
}

TEST(RangeBarModel, ContradictoryValuesStillLeaveTheWindowInsideTheRange)
{
    // As a limits dialog may hand them on: minimum above maximum, window outside both.
    const State typed[] = {{100, 50, 200, 10},
                           {0, 0, 0, 0},
                           {Highest, Lowest, Highest, Lowest},
                           {Lowest, Lowest, Highest, Highest}};
    for (const State &target : typed) {
        std::array<int, 4> order = {0, 1, 2, 3};
        do {
            RangeBarModel model = modelAt({0, 10, 0, 10});
            applyInOrder(model, order, target);
        } while (std::next_permutation(order.begin(), order.end()));
    }
}

struct DivisionCase
{
    const char *what;
    RangeBarUnits units;
    std::int64_t span;
    int length;
    double minMajorPixels;
    double step;
    short minorParts;
};

class RangeBarDivisionTest : public testing::TestWithParam<DivisionCase>
{
};

TEST_P(RangeBarDivisionTest, ChoosesTheSmallestRoundStepWithRoomForItsLabel)
{
    const DivisionCase &c = GetParam();
    RangeBarModel model = modelAt({0, Highest, 0, static_cast<std::int32_t>(c.span)}, c.units);
    model.setMinMajorPixels(c.minMajorPixels);
    const RangeBarDivision d = model.division(c.length);
    EXPECT_DOUBLE_EQ(d.step, c.step);
    EXPECT_DOUBLE_EQ(d.pixels, c.step * c.length / static_cast<double>(c.span));
    EXPECT_EQ(d.minorParts, c.minorParts);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, RangeBarDivisionTest,
    testing::Values(
        DivisionCase{"frame's first window, 40 px a degree", RangeBarUnits::Degrees, 10, 400, 30, 1,
                     5},
        DivisionCase{"a launch window, 2 px a degree", RangeBarUnits::Degrees, 150, 300, 30, 20, 4},
        DivisionCase{"25 is a round step", RangeBarUnits::Degrees, 1000, 4500, 100, 25, 5},
        DivisionCase{"a second over 600 px", RangeBarUnits::Milliseconds, 1000, 600, 100, 200, 4},
        DivisionCase{"clock steps, not decimal", RangeBarUnits::Milliseconds, 3'600'000, 800, 100,
                     600'000, 10},
        DivisionCase{"a quarter of an hour splits in three", RangeBarUnits::Milliseconds, 3'600'000,
                     1000, 200, 900'000, 3},
        DivisionCase{"days past a day", RangeBarUnits::Milliseconds, 2'000'000'000, 1000, 100,
                     432'000'000, 5},
        DivisionCase{"no room for minor parts", RangeBarUnits::Degrees, 100, 40, 6, 20, 1}));

TEST(RangeBarModel, AnEmptyBarHasNoDivisions)
{
    const RangeBarModel model;
    EXPECT_EQ(model.scale(0), 0.0);
    EXPECT_EQ(model.division(0).pixels, 0.0);
    EXPECT_EQ(model.division(0).minorParts, 1);
    EXPECT_TRUE(model.ticks(0).empty());
}

TEST(RangeBarModel, TicksRunFromTheWindowStartAndStayOnTheBar)
{
    RangeBarModel model = modelAt({790, 960, 800, 950});
    model.setMinMajorPixels(30);
    const int length = 300; // 2 px a degree: step 20 (40 px) in 4 parts
    const std::vector<RangeBarTick> ticks = model.ticks(length);

    std::vector<double> labels;
    for (const RangeBarTick &tick : ticks) {
        EXPECT_GE(tick.offset, 0.0);
        EXPECT_LE(tick.offset, length);
        // Every division sits where the scale puts its value.
        EXPECT_NEAR(model.valueAt(tick.offset, length), tick.value, 1e-9);
        if (tick.major)
            labels.push_back(tick.value);
    }
    EXPECT_EQ(labels, (std::vector<double>{800, 820, 840, 860, 880, 900, 920, 940}));
    // Three minor divisions after each major one, the last cut at the bar's end (offset 300).
    EXPECT_EQ(ticks.size(), 8u + 7u * 3u + 2u);
}

TEST(RangeBarModel, ZoomKeepsTheAnchorAndStaysInTheRange)
{
    RangeBarModel model = modelAt({0, 1000, 0, 1000});
    model.zoom(250, 0.5);
    expectState(model, {0, 1000, 125, 625});

    model.zoom(625, 0.5); // anchored at the window's end
    expectState(model, {0, 1000, 375, 625});

    model.zoom(1000, 100.0); // zooming out stops at the whole range
    expectState(model, {0, 1000, 0, 1000});

    RangeBarModel narrow = modelAt({0, 1000, 998, 1000});
    narrow.zoom(999, 0.99); // rounding alone would keep the span
    EXPECT_EQ(narrow.windowEnd() - narrow.windowStart(), 1);
    EXPECT_FALSE(narrow.zoom(999, 0.5).any());

    model.zoom(std::nan(""), 0.5);
    EXPECT_FALSE(model.zoom(500, std::nan("")).any());
    EXPECT_FALSE(model.zoom(500, -2.0).any());
    expectValid(model);
}

TEST(RangeBarModel, DragMovesOrStretchesByTheTrackDistance)
{
    const int length = 500; // range of 1000: two units a pixel
    struct Row
    {
        RangeBarHit grip;
        double pixels;
        State expected;
    } rows[] = {
        {RangeBarHit::Window, 50, {0, 1000, 200, 300}},
        {RangeBarHit::Window, -80, {0, 1000, 0, 100}}, // stops at the range start, span kept
        {RangeBarHit::Window, 1000, {0, 1000, 900, 1000}},
        {RangeBarHit::WindowStart, -20, {0, 1000, 60, 200}},
        {RangeBarHit::WindowStart, 100, {0, 1000, 199, 200}}, // never past the other end
        {RangeBarHit::WindowEnd, 30, {0, 1000, 100, 260}},
        {RangeBarHit::WindowEnd, -500, {0, 1000, 100, 101}},
        {RangeBarHit::BeforeWindow, 30, {0, 1000, 100, 200}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(testing::Message() << "grip " << int(row.grip) << ", " << row.pixels);
        RangeBarModel model = modelAt({0, 1000, 100, 200});
        model.drag(row.grip, 100, 200, row.pixels, length);
        expectState(model, row.expected);
    }
}

TEST(RangeBarModel, HitTrackFindsTheHandleAndItsEnds)
{
    const RangeBarModel wide = modelAt({0, 1000, 400, 600});
    const RangeBarModel thin = modelAt({0, 1000, 500, 501});
    struct Row
    {
        const RangeBarModel &model;
        double offset;
        RangeBarHit expected;
    } rows[] = {
        {wide, 100, RangeBarHit::BeforeWindow}, {wide, 395, RangeBarHit::BeforeWindow},
        {wide, 397, RangeBarHit::WindowStart},  {wide, 403, RangeBarHit::WindowStart},
        {wide, 500, RangeBarHit::Window},       {wide, 597, RangeBarHit::WindowEnd},
        {wide, 604, RangeBarHit::WindowEnd},    {wide, 605, RangeBarHit::AfterWindow},
        {thin, 498, RangeBarHit::WindowStart},  {thin, 500.5, RangeBarHit::Window},
        {thin, 503, RangeBarHit::WindowEnd},
    };
    for (const Row &row : rows)
        EXPECT_EQ(row.model.hitTrack(row.offset, 1000, 4.0), row.expected) << row.offset;
}

TEST(RangeBarModel, FormatValueWritesDegreesOrTimesOfTheDay)
{
    RangeBarModel degrees;
    RangeBarModel times;
    times.setUnits(RangeBarUnits::Milliseconds);
    EXPECT_EQ(degrees.formatValue(850), QString::fromUtf8("850°"));
    EXPECT_EQ(degrees.formatValue(-10), QString::fromUtf8("-10°"));
    EXPECT_EQ(degrees.formatValue(849.6), QString::fromUtf8("850°"));
    EXPECT_EQ(times.formatValue(36'000'000), "10:00:00");
    EXPECT_EQ(times.formatValue(36'000'250), "10:00:00.250");
    EXPECT_EQ(times.formatValue(-1000), "-00:00:01");
    EXPECT_EQ(times.formatValue(1e20), "596:31:23.647");
    EXPECT_TRUE(degrees.formatValue(std::nan("")).isEmpty());
    EXPECT_TRUE(times.formatValue(-INFINITY).isEmpty());
}

TEST(FormatOutTime, WritesHoursMinutesSecondsAndMillisecondsWithinTwentyBytes)
{
    const struct
    {
        std::int32_t milliseconds;
        const char *text;
    } rows[] = {
        {0, "00:00:00.000"},         {1, "00:00:00.001"},          {59'999, "00:00:59.999"},
        {3'723'004, "01:02:03.004"}, {86'399'999, "23:59:59.999"}, {86'400'000, "24:00:00.000"},
        {-1, "-00:00:00.001"},       {-1000, "-00:00:01.000"},     {Highest, "596:31:23.647"},
        {Lowest, "-596:31:23.648"},
    };
    for (const auto &row : rows) {
        char buffer[32];
        std::memset(buffer, 'X', sizeof buffer);
        EXPECT_EQ(FormatOutTime(row.milliseconds, buffer), buffer);
        EXPECT_STREQ(buffer, row.text);
        EXPECT_EQ(std::count(buffer + FormatOutTimeBufferSize, buffer + sizeof buffer, 'X'),
                  long(sizeof buffer) - FormatOutTimeBufferSize)
            << "wrote past the caller's 20 bytes";
    }
    EXPECT_EQ(FormatOutTime(0, nullptr), nullptr);
}
