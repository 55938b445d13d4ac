#include "plot/PointerReadout.h"
#include "companions/TermDataFile.h"
#include "plot/PlotOverlays.h"

#include <gtest/gtest.h>

#include <limits>
#include <ostream>

namespace {

struct ElapsedCase
{
    std::int32_t milliseconds;
    const char *text;
};

void PrintTo(const ElapsedCase &c, std::ostream *out)
{
    *out << c.milliseconds << " ms";
}

class ElapsedTimeTextTest : public testing::TestWithParam<ElapsedCase>
{
};

TEST_P(ElapsedTimeTextTest, Formats)
{
    EXPECT_EQ(ElapsedTimeText(GetParam().milliseconds), QString::fromUtf8(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(
    Examples, ElapsedTimeTextTest,
    testing::Values(ElapsedCase{0, "00.000"}, ElapsedCase{5123, "05.123"},
                    ElapsedCase{65123, "1:05.123"}, ElapsedCase{3723456, "1:2:03.456"},
                    // Minutes are shown whenever there are hours, even when they are 0.
                    ElapsedCase{3600000, "1:0:00.000"}, ElapsedCase{-1500, "-01.500"},
                    ElapsedCase{-65123, "-1:05.123"}, ElapsedCase{-1, "-00.001"},
                    // The magnitude of the most negative time still fits.
                    ElapsedCase{std::numeric_limits<std::int32_t>::min(), "-596:31:23.648"},
                    ElapsedCase{std::numeric_limits<std::int32_t>::max(), "596:31:23.647"}));

TEST(PointerMappingTest, ShiftsTwoPixelsAndTruncatesTowardZero)
{
    // (0 + 2) / 0.5 + 1000
    EXPECT_EQ(PointerTime(0, 1000, 0.5), 1004);
    // (10 + 2) / 0.01 - 5000
    EXPECT_EQ(PointerTime(10, -5000, 0.01), -3800);
    // (1 + 2) / 4 = 0.75 and (-5 + 2) / 4 = -0.75: both toward 0.
    EXPECT_EQ(PointerTime(1, 0, 4.0), 0);
    EXPECT_EQ(PointerTime(-5, 0, 4.0), 0);
    // Counted up from the bottom row: (100 - 60 + 2) / 2 + 20
    EXPECT_EQ(PointerTemperature(60, 100, 20, 2.0), 41);
    // Two pixels below the view the readout reaches the window's start.
    EXPECT_EQ(PointerTemperature(102, 100, -30, 1.5), -30);
}

TEST(PointerMappingTest, DegenerateScalesSaturateInsteadOfOverflowing)
{
    constexpr std::int32_t Largest = std::numeric_limits<std::int32_t>::max();
    EXPECT_EQ(PointerTime(10, 0, 0.0), Largest);
    EXPECT_EQ(PointerTime(10, 0, -0.0), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(PointerTime(-2, 7, 0.0), 0) << "0 / 0";
    EXPECT_EQ(PointerTime(1000, Largest, 1e-6), Largest);
}

TEST(PointerReadoutTextTest, StatusPanes)
{
    // The degree sign is followed by a Cyrillic Es, not a Latin C.
    EXPECT_EQ(TemperatureReadoutText(1250), QString::fromUtf8("Температура 1250 °\u0421"));
    EXPECT_EQ(TemperatureReadoutText(-18), QString::fromUtf8("Температура -18 °\u0421"));
    EXPECT_EQ(TimeReadoutText(65123), QString::fromUtf8("Время 1:05.123"));
}

// Over runs compared the readout names the curve; past a day of a joined timeline every time
// the graph writes names its day instead of counting hours on.
TEST(PointerReadoutTextTest, NamesTheCurveAndTheDayOfAJoinedTimeline)
{
    EXPECT_EQ(TemperatureReadoutText(41, QStringLiteral("kiln-after.orm")),
              QString::fromUtf8("kiln-after.orm: Температура 41 °\u0421"));
    const QDate first(2026, 12, 5);
    const std::int32_t time = 2 * 86'400'000 + 30'963;
    EXPECT_EQ(TimeReadoutText(time, first), QString::fromUtf8("Время 07.12 00:00:30.963"));
    EXPECT_EQ(TimeReadoutText(30'963, {}), QString::fromUtf8("Время 30.963"));
    TermDataFile series;
    series.Add(time, 900, 950);
    EXPECT_EQ(TooltipText(&series, time - 3, first),
              "Температура=900, Время=07.12 00:00:30.960, Степень черноты=0.95");
    EXPECT_EQ(MarkerText(series.records[0], first), "07.12 00:00:30.963  900 °C");
    EXPECT_EQ(MarkerText(series.records[0]), "48:00:30.963  900 °C");
}

struct SquareCase
{
    const char *what;
    QPoint previous;
    QPoint current;
    bool hides;
};

void PrintTo(const SquareCase &c, std::ostream *out)
{
    *out << c.what;
}

class TooltipSquareTest : public testing::TestWithParam<SquareCase>
{
};

TEST_P(TooltipSquareTest, Decides)
{
    const SquareCase &c = GetParam();
    EXPECT_EQ(PointerLeavesTooltipSquare(c.previous, c.current), c.hides) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Moves, TooltipSquareTest,
    testing::Values(SquareCase{"4 right and 4 down", {50, 50}, {54, 54}, false},
                    SquareCase{"5 right", {50, 50}, {55, 50}, true},
                    SquareCase{"5 down", {50, 50}, {50, 55}, true},
                    SquareCase{"5 left", {50, 50}, {45, 50}, false},
                    SquareCase{"5 up", {50, 50}, {50, 45}, false},
                    SquareCase{"6 left", {50, 50}, {44, 50}, true},
                    SquareCase{"6 up", {50, 50}, {50, 44}, true},
                    SquareCase{"no move", {50, 50}, {50, 50}, false},
                    SquareCase{"first move, far away", {0, 0}, {500, 300}, false},
                    SquareCase{"from the top row", {0, 50}, {10, 50}, true}));

TEST(TooltipSquareTest, SmallStepsNeverHideHoweverFarThePointerTravels)
{
    QPoint previous(10, 10);
    for (int step = 0; step < 100; ++step) {
        const QPoint current = previous + QPoint(4, 4);
        ASSERT_FALSE(PointerLeavesTooltipSquare(previous, current)) << "step " << step;
        previous = current;
    }
}

// The reading under the pointer is the nearest one, not the next one after it: the marker at
// 09:13:42.536 belongs to 42.460, not to 43.670. Before the first and after the last reading the
// one at that end is nearest.
TEST(ReadingAtTest, IsTheNearestReadingOnEitherSide)
{
    constexpr std::int32_t at9_13 = (9 * 60 + 13) * 60'000;
    TermDataFile series;
    for (const std::int32_t ms : {41'250, 42'460, 43'670, 44'880})
        series.Add(at9_13 + ms, 700 + ms / 1000, 950);
    const auto markedAt = [&](std::int32_t ms) {
        const v4TermData *reading = ReadingAt(&series, at9_13 + ms);
        return reading != nullptr ? reading->time - at9_13 : -1;
    };
    EXPECT_EQ(markedAt(42'536), 42'460);
    EXPECT_EQ(markedAt(43'100), 43'670);
    EXPECT_EQ(markedAt(43'670), 43'670);
    // Halfway the earlier one.
    EXPECT_EQ(markedAt(43'065), 42'460);
    EXPECT_EQ(markedAt(0), 41'250);
    EXPECT_EQ(markedAt(60'000), 44'880);
    EXPECT_EQ(ReadingAt(&series, std::numeric_limits<std::int32_t>::min())->time, at9_13 + 41'250);
    EXPECT_EQ(ReadingAt(&series, std::numeric_limits<std::int32_t>::max())->time, at9_13 + 44'880);

    TermDataFile empty;
    EXPECT_EQ(ReadingAt(&empty, 0), nullptr);
    EXPECT_EQ(ReadingAt(nullptr, 0), nullptr);
}

class TooltipTextTest : public testing::Test
{
protected:
    TooltipTextTest()
    {
        m_series.Add(1000, 420, 950);
        m_series.Add(2000, 435, 870);
    }

    TermDataFile m_series;
};

TEST_F(TooltipTextTest, NamesTheRecordGetFirstGivesWithThePointersOwnTime)
{
    EXPECT_EQ(TooltipText(&m_series, 1500),
              QString::fromUtf8("Температура=435, Время=01.500, Степень черноты=0.87"));
    EXPECT_EQ(TooltipText(&m_series, 1000),
              QString::fromUtf8("Температура=420, Время=01.000, Степень черноты=0.95"));
}

TEST_F(TooltipTextTest, EmissivityInHundredthsWhenTheThousandthsFlagIsClear)
{
    m_series.Clear();
    m_series.Add(0, -12, 95);
    m_series.scaleFlags = 0;
    EXPECT_EQ(TooltipText(&m_series, -61000),
              QString::fromUtf8("Температура=-12, Время=-1:01.000, Степень черноты=0.95"));
}

TEST_F(TooltipTextTest, NoTextWithoutASeriesOrARecord)
{
    EXPECT_TRUE(TooltipText(nullptr, 0).isEmpty());
    EXPECT_TRUE(TooltipText(&m_series, 2001).isEmpty());
    TermDataFile empty;
    EXPECT_TRUE(TooltipText(&empty, 0).isEmpty());
}

// Of several curves the one whose reading at the pointer's time is nearest the pointer's
// temperature is the one pointed at, when it lies near enough; a curve without readings
// there, or none at all, is passed over.
TEST(PointerReadoutTest, TheCurveUnderThePointerIsTheNearestWithinReach)
{
    TermDataFile low;
    low.Add(0, 100, 950);
    low.Add(1000, 110, 950);
    TermDataFile high;
    high.Add(0, 500, 950);
    high.Add(1000, 520, 950);
    TermDataFile empty;
    const std::vector<TermDataFile *> curves{&low, nullptr, &empty, &high};
    EXPECT_EQ(CurveUnderPointer(curves, 900, 115, 10), 0);
    EXPECT_EQ(CurveUnderPointer(curves, 900, 512, 10), 3);
    // Half way between the two curves neither is in reach.
    EXPECT_EQ(CurveUnderPointer(curves, 900, 300, 10), std::nullopt);
    EXPECT_EQ(CurveUnderPointer(curves, 100, 110, 10), 0);
    EXPECT_EQ(CurveUnderPointer(curves, 100, 111, 10), std::nullopt);
    EXPECT_EQ(CurveUnderPointer({}, 0, 0, 10), std::nullopt);
}

} // namespace
