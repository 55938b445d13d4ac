#include "plot/GraphScales.h"

#include "companions/TermDataFile.h"

#include <gtest/gtest.h>

TEST(GraphScales, TemperatureRangeHasAMarginOrIsTheWholeScaleWithoutLimits)
{
    EXPECT_EQ(TemperatureRangeFor(GraphSeriesLimits(20, 35)), (ScaleSpan{10, 45}));
    EXPECT_EQ(TemperatureRangeFor(GraphSeriesLimits(-40, -12)), (ScaleSpan{-50, -2}));
    EXPECT_EQ(TemperatureRangeFor(GraphSeriesLimits(0, 0)), (ScaleSpan{0, 2000}));
    EXPECT_EQ(TemperatureRangeFor(GraphSeriesLimits(0, 5)), (ScaleSpan{-10, 15}));
}

TEST(GraphScales, ReadingSpanSkipsZerosAndKeepsToTheTimeWindow)
{
    TermDataFile series;
    for (const auto &[time, temperature] :
         {std::pair{1000, 0}, {2000, 800}, {3000, 950}, {4000, 870}, {5000, 300}, {6000, 0}})
        series.Add(time, temperature, 950);
    EXPECT_EQ(ReadingSpan(series, 2000, 4000), (ScaleSpan{800, 950}));
    EXPECT_EQ(ReadingSpan(series, 0, 10000), (ScaleSpan{300, 950}));
    EXPECT_EQ(ReadingSpan(series, 3500, 4500), (ScaleSpan{870, 870}));
    EXPECT_EQ(ReadingSpan(series, 5500, 7000), std::nullopt) << "only a reading of 0 °C";
    EXPECT_EQ(ReadingSpan(series, 7000, 9000), std::nullopt) << "no record at all";
    TermDataFile empty;
    EXPECT_EQ(ReadingSpan(empty, 0, 10000), std::nullopt);
}

TEST(GraphScales, MidnightOfDaysTheCalendarCovers)
{
    EXPECT_EQ(MidnightOf(QDate()), 0);
    EXPECT_EQ(MidnightOf(QDate(1899, 12, 31)), 0);
    const QDate day(2026, 3, 14);
    const QDateTime midnight = QDateTime::fromSecsSinceEpoch(MidnightOf(day));
    EXPECT_EQ(midnight.date(), day);
    EXPECT_EQ(midnight.time(), QTime(0, 0));
}
