#include "companions/TermDataFile.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

std::vector<std::int32_t> walkFrom(TermDataFile &series, std::int32_t t)
{
    std::vector<std::int32_t> times;
    for (v4TermData *p = series.GetFirst(t); p != nullptr; series.GetNext(&p))
        times.push_back(p->time);
    return times;
}

TermDataFile &fill(TermDataFile &series, const std::vector<std::int32_t> &times)
{
    for (std::int32_t t : times)
        series.Add(t, t / 10, 950);
    return series;
}

} // namespace

TEST(TermDataFile, KeepsRecordsInOrderAddedAndMarksThousandths)
{
    TermDataFile series;
    EXPECT_EQ(series.count, 0);
    EXPECT_EQ(series.scaleFlags & 0x80, 0);

    series.Add(100, -5, 950);
    v4TermData *last = series.Add(50, 1234, 1000);

    ASSERT_EQ(series.count, 2);
    EXPECT_EQ(last, &series.records[1]);
    EXPECT_EQ(series.records[0].time, 100);
    EXPECT_EQ(series.records[0].temperature, -5);
    EXPECT_EQ(series.records[1].time, 50);
    EXPECT_EQ(series.records[1].emissivity, 1000);
    EXPECT_NE(series.scaleFlags & 0x80, 0);
}

TEST(TermDataFile, ClearEmptiesAndAllowsRefilling)
{
    TermDataFile series;
    fill(series, {30, 10});
    series.minTemperature = 3;
    series.maxTemperature = 9;

    series.Clear();
    EXPECT_EQ(series.count, 0);
    EXPECT_EQ(series.GetFirst(0), nullptr);
    EXPECT_EQ(series.scaleFlags, 0);
    EXPECT_EQ(series.minTemperature, 0);
    EXPECT_EQ(series.maxTemperature, 0);

    // The old series ran backward; the new one runs forward and must search as such.
    fill(series, {0, 10, 20, 30});
    EXPECT_EQ(walkFrom(series, 15), (std::vector<std::int32_t>{20, 30}));
}

TEST(TermDataFile, GetFirstOnForwardSeries)
{
    TermDataFile series;
    fill(series, {0, 10, 10, 20, 40});

    EXPECT_EQ(walkFrom(series, -100), (std::vector<std::int32_t>{0, 10, 10, 20, 40}));
    EXPECT_EQ(walkFrom(series, 10), (std::vector<std::int32_t>{10, 10, 20, 40}));
    EXPECT_EQ(walkFrom(series, 11), (std::vector<std::int32_t>{20, 40}));
    EXPECT_EQ(walkFrom(series, 40), (std::vector<std::int32_t>{40}));
    EXPECT_EQ(series.GetFirst(41), nullptr);
}

TEST(TermDataFile, GetFirstOnUnorderedSeriesStillVisitsEveryLaterRecord)
{
    TermDataFile series;
    // A reading past midnight, or a file that mixes two downloads.
    fill(series, {50, 60, 5, 70, 8, 90});

    // The records at or after the window's start, in the order stored.
    const std::vector<std::pair<std::int32_t, std::vector<std::int32_t>>> rows = {
        {0, {50, 60, 5, 70, 8, 90}},
        {6, {50, 60, 70, 8, 90}},
        {51, {60, 70, 90}},
        {61, {70, 90}},
        {75, {90}},
        {90, {90}}};
    for (const auto &[t, expected] : rows) {
        std::vector<std::int32_t> seen;
        for (std::int32_t time : walkFrom(series, t))
            if (time >= t)
                seen.push_back(time);
        EXPECT_EQ(seen, expected) << "window start " << t;
    }
    EXPECT_EQ(series.GetFirst(91), nullptr);
}

TEST(TermDataFile, GetNextStopsAfterLastRecord)
{
    TermDataFile series;
    EXPECT_EQ(series.GetNext(nullptr), nullptr);

    fill(series, {1, 2});
    v4TermData *p = &series.records[1];
    EXPECT_EQ(series.GetNext(&p), nullptr);
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(series.GetNext(&p), nullptr);

    TermDataFile other;
    fill(other, {1, 2});
    v4TermData *foreign = other.records;
    EXPECT_EQ(series.GetNext(&foreign), nullptr);
}
