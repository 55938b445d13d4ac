#include "outputs/GraphSeries.h"

#include "acquisition/MeasurementTableModel.h"
#include "companions/TermDataFile.h"
#include "tests/support/ScriptedPrompts.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

namespace {

const QString WholeTableBreak =
    QStringLiteral("Обнаружена непоследовательность по шкале времени.\nНа график будут "
                   "выведены только первые %1 измерений.");
const QString SelectionBreak =
    QStringLiteral("В выделенном фрагменте обнаружена непоследовательность по шкале "
                   "времени.\nНа график будут выведены только первые %1 выделенных измерений.");

// The series and the table the main dialog would hold: row i shows record i.
struct Acquisition
{
    explicit Acquisition(const std::vector<std::int32_t> &times)
    {
        series.date = QDate(2024, 3, 15);
        for (std::int32_t time : times) {
            const int index = series.count;
            series.Add(time, 800 + index, 950);
            table.appendRow({0, time, 800 + index, 950, 0}, index);
        }
    }

    TermDataFile series;
    MeasurementTableModel table;
};

std::vector<std::int32_t> timesOf(const TermDataFile &series)
{
    std::vector<std::int32_t> times;
    for (int i = 0; i < series.count; ++i)
        times.push_back(series.records[i].time);
    return times;
}

struct ContinuityCase
{
    const char *what;
    std::vector<std::int32_t> times;
    std::vector<int> selectedRows;
    std::vector<std::int32_t> kept;
    QStringList messages;
};

void PrintTo(const ContinuityCase &c, std::ostream *os)
{
    *os << c.what;
}

class GraphSeriesContinuity : public testing::TestWithParam<ContinuityCase>
{
};

TEST_P(GraphSeriesContinuity, KeepsThePointsBeforeTheFirstBreak)
{
    const ContinuityCase &c = GetParam();
    Acquisition acquisition(c.times);
    TermDataFile graphSeries;
    bool selectionChanged = true;
    ScriptedPrompts prompts;

    const int count = BuildGraphSeries(graphSeries, acquisition.series, acquisition.table,
                                       c.selectedRows, selectionChanged, true, prompts);

    EXPECT_EQ(count, static_cast<int>(c.kept.size()));
    EXPECT_EQ(timesOf(graphSeries), c.kept);
    EXPECT_EQ(prompts.texts(), c.messages);
    for (const ScriptedPrompts::Shown &shown : prompts.shown) {
        EXPECT_EQ(shown.caption, QStringLiteral("График"));
        EXPECT_EQ(shown.icon, Prompts::Icon::Information);
        EXPECT_EQ(shown.buttons, Prompts::Buttons::Ok);
    }
    EXPECT_FALSE(selectionChanged);
    EXPECT_EQ(graphSeries.date, acquisition.series.date);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GraphSeriesContinuity,
    testing::Values(
        ContinuityCase{
            "rising times keep every record", {1000, 2000, 3000}, {}, {1000, 2000, 3000}, {}},
        ContinuityCase{
            "a first record at midnight begins the run", {0, 1000, 2000}, {}, {0, 1000, 2000}, {}},
        ContinuityCase{
            "a second record at midnight breaks", {0, 0, 1000}, {}, {0}, {WholeTableBreak.arg(1)}},
        ContinuityCase{"equal times break at the second",
                       {1000, 2000, 2000, 3000},
                       {},
                       {1000, 2000},
                       {WholeTableBreak.arg(2)}},
        ContinuityCase{"a run past midnight breaks after it",
                       {86398000, 86399000, 500, 1500},
                       {},
                       {86398000, 86399000},
                       {WholeTableBreak.arg(2)}},
        ContinuityCase{"a non-contiguous selection is one series in row order",
                       {1000, 2000, 3000, 4000, 5000},
                       {4, 0, 3},
                       {1000, 4000, 5000},
                       {}},
        ContinuityCase{"the check spans the gaps of a selection",
                       {1000, 5000, 3000, 6000, 7000},
                       {1, 2, 4},
                       {5000},
                       {SelectionBreak.arg(1)}},
        ContinuityCase{"a selection starting at midnight", {0, 1000}, {0, 1}, {0, 1000}, {}},
        ContinuityCase{
            "rows outside the table are not selected", {1000, 2000}, {1, 7, -3}, {2000}, {}}));

TEST(GraphSeries, WithoutTheCheckEveryRecordIsKept)
{
    Acquisition acquisition({0, 2000, 1000});
    TermDataFile graphSeries;
    bool selectionChanged = true;
    ScriptedPrompts prompts;

    EXPECT_EQ(BuildGraphSeries(graphSeries, acquisition.series, acquisition.table, {},
                               selectionChanged, false, prompts),
              3);
    EXPECT_TRUE(prompts.shown.empty());
}

TEST(GraphSeries, IsReusedUntilTheSelectionChanges)
{
    Acquisition acquisition({1000, 2000, 2000});
    TermDataFile graphSeries;
    bool selectionChanged = true;
    ScriptedPrompts prompts;
    BuildGraphSeries(graphSeries, acquisition.series, acquisition.table, {}, selectionChanged, true,
                     prompts);
    ASSERT_EQ(prompts.shown.size(), 1u);

    // Selecting rows without the change being noted does not rebuild the series.
    EXPECT_EQ(BuildGraphSeries(graphSeries, acquisition.series, acquisition.table, {0},
                               selectionChanged, true, prompts),
              2);
    EXPECT_EQ(prompts.shown.size(), 1u);

    selectionChanged = true;
    EXPECT_EQ(BuildGraphSeries(graphSeries, acquisition.series, acquisition.table, {0},
                               selectionChanged, true, prompts),
              1);
    EXPECT_EQ(timesOf(graphSeries), std::vector<std::int32_t>{1000});
}

TEST(GraphSeries, AnEmptySeriesIsRebuiltEvenWithoutAChange)
{
    // A selection of rows outside the table builds nothing; the series stays empty.
    Acquisition acquisition({1000, 2000});
    TermDataFile graphSeries;
    bool selectionChanged = false;
    ScriptedPrompts prompts;
    EXPECT_EQ(BuildGraphSeries(graphSeries, acquisition.series, acquisition.table, {7},
                               selectionChanged, true, prompts),
              0);
    EXPECT_EQ(BuildGraphSeries(graphSeries, acquisition.series, acquisition.table, {},
                               selectionChanged, true, prompts),
              2);
}

TEST(GraphSeries, SkipsRowsWhoseRecordIsNotInTheSeries)
{
    TermDataFile series;
    series.Add(1000, 20, 950);
    series.Add(2000, 30, 950);
    MeasurementTableModel table;
    table.appendRow({0, 1000, 20, 950, 0}, 0);
    table.appendRow({0, 5000, 99, 950, 0}, -1);
    table.appendRow({0, 6000, 99, 950, 0}, 2);
    table.appendRow({0, 2000, 30, 950, 0}, 1);
    TermDataFile graphSeries;
    bool selectionChanged = true;
    ScriptedPrompts prompts;

    EXPECT_EQ(
        BuildGraphSeries(graphSeries, series, table, {0, 1, 2, 3}, selectionChanged, true, prompts),
        2);
    EXPECT_EQ(timesOf(graphSeries), (std::vector<std::int32_t>{1000, 2000}));
}

struct LimitsCase
{
    const char *what;
    std::vector<std::int32_t> temperatures;
    std::int32_t minimum;
    std::int32_t maximum;
};

void PrintTo(const LimitsCase &c, std::ostream *os)
{
    *os << c.what;
}

class GraphSeriesLimits : public testing::TestWithParam<LimitsCase>
{
};

TEST_P(GraphSeriesLimits, AreTheLowestAndHighestKeptTemperature)
{
    const LimitsCase &c = GetParam();
    TermDataFile series;
    std::int32_t time = 1000;
    for (std::int32_t temperature : c.temperatures)
        series.Add(time += 1000, temperature, 950);
    MeasurementTableModel table;
    TermDataFile graphSeries;
    bool selectionChanged = true;
    ScriptedPrompts prompts;

    BuildGraphSeries(graphSeries, series, table, {}, selectionChanged, true, prompts);

    EXPECT_EQ(graphSeries.minTemperature, c.minimum);
    EXPECT_EQ(graphSeries.maxTemperature, c.maximum);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GraphSeriesLimits,
    testing::Values(LimitsCase{"no records", {}, 0, 0}, LimitsCase{"one record", {850}, 850, 850},
                    LimitsCase{"the first record is neither", {300, 20, 1200}, 20, 1200},
                    LimitsCase{"readings below zero stay below zero", {-5, 30, -40}, -40, 30},
                    LimitsCase{"beyond 16 bits the limits stop at its ends",
                               {70000, -70000},
                               GraphTemperatureLowest,
                               GraphTemperatureHighest}));

} // namespace

namespace {

TEST(ExtendGraphSeries, FollowsTheSeriesUpToABreakAndWidensTheLimits)
{
    Acquisition acquisition({100, 200});
    TermDataFile graph;
    ScriptedPrompts prompts;
    bool changed = true;
    BuildGraphSeries(graph, acquisition.series, acquisition.table, {}, changed, true, prompts);
    acquisition.series.Add(300, 5000, 950);
    acquisition.series.Add(400, -20, 950);
    EXPECT_TRUE(ExtendGraphSeries(graph, acquisition.series, prompts));
    EXPECT_EQ(timesOf(graph), (std::vector<std::int32_t>{100, 200, 300, 400}));
    EXPECT_EQ(graph.minTemperature, -20);
    EXPECT_EQ(graph.maxTemperature, 5000);

    // A time that does not rise ends the run: the records before it stay.
    acquisition.series.Add(400, 900, 950);
    acquisition.series.Add(500, 900, 950);
    EXPECT_FALSE(ExtendGraphSeries(graph, acquisition.series, prompts));
    EXPECT_EQ(graph.count, 4);
    EXPECT_EQ(prompts.texts(), QStringList{WholeTableBreak.arg(4)});
}

} // namespace

namespace {

// The rows of the visible part of the graph: only rows the graph holds (up to a break, in the
// order they were taken), and only those inside the time window, ends included.
TEST(GraphedRowsInTimeWindow, AreTheGraphedRowsInsideTheWindow)
{
    // A break after the fourth record: the graph of all rows keeps rows 0 to 3.
    Acquisition acquisition({1000, 2000, 3000, 4000, 500, 6000});
    TermDataFile graph;
    ScriptedPrompts prompts;
    bool changed = true;
    BuildGraphSeries(graph, acquisition.series, acquisition.table, {}, changed, true, prompts);
    EXPECT_EQ(GraphedRowsInTimeWindow(graph, acquisition.series, acquisition.table, {}, 2000, 6000),
              (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(GraphedRowsInTimeWindow(graph, acquisition.series, acquisition.table, {}, 4500, 9000),
              std::vector<int>{});

    // A selection: its rows in their order, here rows 4 and 5 after the rows 0 and 1.
    const std::vector<int> selected{0, 1, 4, 5};
    changed = true;
    BuildGraphSeries(graph, acquisition.series, acquisition.table, selected, changed, false,
                     prompts);
    EXPECT_EQ(
        GraphedRowsInTimeWindow(graph, acquisition.series, acquisition.table, selected, 0, 2000),
        (std::vector<int>{0, 1, 4}));
}

} // namespace
