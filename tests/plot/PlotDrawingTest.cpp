#include "plot/PlotDrawing.h"
#include "companions/RangeBarModel.h"
#include "companions/TermDataFile.h"
#include "plot/RecordingCanvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr QSize Client(200, 100);

// Time axis from 0 ms at 0.01 px/ms (a record each 1000 ms is 10 px further right).
PlotAxis timeAxis(std::int32_t end = 1'000'000, double scale = 0.01)
{
    PlotAxis axis;
    axis.windowEnd = end;
    axis.scale = scale;
    return axis;
}

// Temperature axis from 0 °C at 1 px/°C, so y = 100 - temperature.
PlotAxis temperatureAxis()
{
    PlotAxis axis;
    axis.windowEnd = 100;
    axis.majorPen = QPen(Qt::darkGray);
    axis.minorPen = QPen(Qt::lightGray);
    return axis;
}

void fill(TermDataFile &series, const std::vector<std::pair<int, int>> &timesAndTemperatures)
{
    for (const auto &[time, temperature] : timesAndTemperatures)
        series.Add(time, temperature, 950);
    series.minTemperature = 0;
    series.maxTemperature = 100;
}

// The pen's path as "M x,y" for moves and "L x,y" for lines.
std::vector<std::string> pathOf(const RecordingCanvas &canvas)
{
    std::vector<std::string> path;
    for (const CanvasCall &call : canvas.calls()) {
        if (call.kind == CanvasCall::Kind::MoveTo || call.kind == CanvasCall::Kind::LineTo) {
            path.push_back((call.kind == CanvasCall::Kind::MoveTo ? "M " : "L ") +
                           std::to_string(call.to.x()) + "," + std::to_string(call.to.y()));
        }
    }
    return path;
}

std::vector<std::string> curvePath(const std::vector<std::pair<int, int>> &records,
                                   bool breakAtGaps, const PlotAxis &time = timeAxis(),
                                   std::int32_t viewTimeStart = 0)
{
    TermDataFile series;
    fill(series, records);
    RecordingCanvas canvas;
    DrawCurve(canvas, Client, &series, temperatureAxis(), time, viewTimeStart, breakAtGaps);
    return pathOf(canvas);
}

using Path = std::vector<std::string>;

TEST(DrawCurve, BreaksAtAGapOnlyWhileTheFlagIsSet)
{
    const std::vector<std::pair<int, int>> records = {
        {0, 50}, {1000, 51}, {2000, 52}, {3000, 53}, {13000, 60}, {14000, 61}, {15000, 62}};
    EXPECT_EQ(curvePath(records, true), (Path{"M 0,50", "L 10,49", "L 20,48", "L 30,47", "M 130,40",
                                              "L 140,39", "L 150,38"}));
    EXPECT_EQ(curvePath(records, false), (Path{"M 0,50", "L 10,49", "L 20,48", "L 30,47",
                                               "L 130,40", "L 140,39", "L 150,38"}));
}

TEST(DrawCurve, AnIntervalOfTenTimesTheMeanIsAGap)
{
    struct Row
    {
        int interval;
        bool gap;
    };
    for (const Row row : {Row{9999, false}, Row{10000, true}, Row{10001, true}}) {
        const Path path =
            curvePath({{0, 50}, {1000, 50}, {2000, 50}, {2000 + row.interval, 50}}, true);
        ASSERT_EQ(path.size(), 4u);
        EXPECT_EQ(path.back()[0], row.gap ? 'M' : 'L') << "interval " << row.interval;
    }
}

TEST(DrawCurve, TheSecondPointOfAStretchOnlySetsTheMean)
{
    // 1000, 1000, then 48000 (a gap), then two steps of 100000: the first of them is the
    // second point after the gap, the next one stays under ten times its mean.
    EXPECT_EQ(
        curvePath({{0, 50}, {1000, 50}, {2000, 50}, {50000, 50}, {150000, 50}, {250000, 50}}, true),
        (Path{"M 0,50", "L 10,50", "L 20,50", "M 500,50", "L 1500,50", "L 2500,50"}));
    EXPECT_EQ(curvePath({{0, 50}, {900000, 50}}, true), (Path{"M 0,50", "L 9000,50"}));
}

TEST(DrawCurve, TwoEqualTimesGiveAMeanOfZeroSoTheNextPointIsAGap)
{
    // The restart leaves the first column's extent (50..30) undrawn.
    EXPECT_EQ(curvePath({{0, 50}, {0, 70}, {100, 60}, {200, 60}}, true),
              (Path{"M 0,50", "M 1,40", "L 2,40"}));
}

TEST(DrawCurve, PointsInOneColumnCollapseIntoOneStrokeLeftFromTheLast)
{
    std::vector<std::pair<int, int>> records;
    for (int i = 0; i < 500; ++i)
        records.emplace_back(2 * i, 20 + (i * 37) % 61); // 20..80 in a scrambled order
    records.back().second = 65;                          // the line leaves the column from this one
    records.emplace_back(1000, 50);
    const PlotAxis time = timeAxis(1'000'000, 0.001);
    TermDataFile series;
    fill(series, records);
    RecordingCanvas canvas;
    DrawCurve(canvas, Client, &series, temperatureAxis(), time, 0, true);
    EXPECT_EQ(pathOf(canvas), (Path{"M 0,80", "L 0,20", "L 0,80", "M 0,35", "L 1,50"}));
}

TEST(DrawCurve, TheWalkStartsAtTheViewStartAndEndsWithTheFirstRecordPastTheWindow)
{
    std::vector<std::pair<int, int>> records;
    for (int t = 0; t <= 10000; t += 1000)
        records.emplace_back(t, 50);
    PlotAxis time = timeAxis(4500);
    time.windowStart = 2000;
    TermDataFile series;
    fill(series, records);
    RecordingCanvas canvas;
    DrawCurve(canvas, Client, &series, temperatureAxis(), time, 2000, false);
    EXPECT_EQ(pathOf(canvas), (Path{"M 0,50", "L 10,50", "L 20,50", "L 30,50"}));
}

TEST(DrawCurve, TemperaturesAreLimitedToTheSeriesRange)
{
    TermDataFile series;
    fill(series, {{0, -40}, {1000, 500}, {2000, 30}});
    series.minTemperature = 10;
    series.maxTemperature = 60;
    RecordingCanvas canvas;
    DrawCurve(canvas, Client, &series, temperatureAxis(), timeAxis(), 0, false);
    EXPECT_EQ(pathOf(canvas), (Path{"M 0,90", "L 10,40", "L 20,70"}));
}

TEST(DrawCurve, DrawsWithItsPenAndSelectsThePreviousOneAgain)
{
    TermDataFile series;
    fill(series, {{0, 50}, {1000, 60}});
    RecordingCanvas canvas;
    const QPen before(Qt::blue, 4);
    canvas.selectPen(before);
    canvas.clear();
    DrawCurve(canvas, Client, &series, temperatureAxis(), timeAxis(), 0, false);
    for (const CanvasCall &line : canvas.callsOf(CanvasCall::Kind::LineTo))
        EXPECT_EQ(line.pen, curvePen());
    EXPECT_EQ(canvas.pen(), before);
}

TEST(DrawCurve, DrawsNothingWithoutRecords)
{
    RecordingCanvas canvas;
    DrawCurve(canvas, Client, nullptr, temperatureAxis(), timeAxis(), 0, true);
    EXPECT_TRUE(canvas.calls().empty());

    TermDataFile empty;
    DrawCurve(canvas, Client, &empty, temperatureAxis(), timeAxis(), 0, true);
    TermDataFile early;
    fill(early, {{0, 50}, {1000, 50}});
    DrawCurve(canvas, Client, &early, temperatureAxis(), timeAxis(), 5000, true);
    EXPECT_TRUE(canvas.lines().empty());
    EXPECT_TRUE(pathOf(canvas).empty());
}

TEST(DrawCurve, ExtremeTimesAndScalesSaturateInsteadOfOverflowing)
{
    constexpr int lowest = std::numeric_limits<std::int32_t>::min();
    constexpr int highest = std::numeric_limits<std::int32_t>::max();
    for (const double scale : {1e300, -1e300, std::numeric_limits<double>::quiet_NaN()}) {
        PlotAxis time = timeAxis(highest, scale);
        time.windowStart = lowest;
        const Path path = curvePath({{lowest, 50}, {0, 50}, {highest, 50}}, true, time, lowest);
        EXPECT_FALSE(path.empty()) << scale;
    }
}

// The curve as the rule reads, point by point: every point mapped to pixels, the points of a
// column collapsed into a stroke when the curve leaves it.
Path pointByPointPath(const std::vector<std::pair<int, int>> &records, const PlotAxis &time,
                      bool breakAtGaps)
{
    Path path;
    const auto add = [&path](const char *kind, int x, int y) {
        path.push_back(kind + std::to_string(x) + "," + std::to_string(y));
    };
    const auto pixel = [](double value) {
        return std::isnan(value) ? 0
                                 : static_cast<int>(std::clamp(value, -2147483648.0, 2147483647.0));
    };
    CurveGapRule gaps;
    int column = 0, low = 0, high = 0, previousY = 0;
    for (const auto &[t, v] : records) {
        const int x = pixel((static_cast<double>(t) - time.windowStart) * time.scale);
        const int y = pixel(Client.height() - static_cast<double>(std::clamp(v, 0, 100)));
        const CurveGapRule::Point kind = gaps.judge(t);
        if (kind == CurveGapRule::Point::First ||
            (breakAtGaps && kind == CurveGapRule::Point::AfterGap)) {
            add("M ", x, y);
            column = x, low = high = y;
        } else if (x == column) {
            low = std::min(low, y), high = std::max(high, y);
        } else {
            if (low != high) {
                add("L ", column, low);
                add("L ", column, high);
                add("M ", column, previousY);
            }
            add("L ", x, y);
            column = x, low = high = y;
        }
        previousY = y;
    }
    return path;
}

TEST(DrawCurve, DrawsWhatMappingEveryPointDrawsForAnyTimesAndScales)
{
    std::mt19937 random(20261208);
    std::uniform_int_distribution<int> step(-300, 2000);
    std::uniform_int_distribution<int> temperature(-50, 150);
    for (const double scale : {0.01, 0.0003, 1.7, -0.02, 0.0}) {
        std::vector<std::pair<int, int>> records;
        int t = 0;
        for (int i = 0; i < 3000; ++i) {
            // Mostly rising times, some going back, some long gaps.
            t += i % 97 == 0 ? 200'000 : step(random);
            records.emplace_back(t, temperature(random));
        }
        const PlotAxis time = timeAxis(std::numeric_limits<std::int32_t>::max(), scale);
        for (const bool breakAtGaps : {false, true})
            EXPECT_EQ(curvePath(records, breakAtGaps, time),
                      pointByPointPath(records, time, breakAtGaps))
                << "scale " << scale << ", breaks " << breakAtGaps;
    }
}

// Grid lines of one direction: the y of horizontal lines or the x of vertical ones.
struct GridRow
{
    const char *name;
    double bigStep;
    std::int16_t smallStep;
    std::vector<int> horizontal; // at H = 20
    std::vector<int> vertical;   // at W = 25
};

class DrawGridTest : public testing::TestWithParam<GridRow>
{
};

TEST_P(DrawGridTest, PlacesMajorAndMinorLines)
{
    const GridRow &row = GetParam();
    PlotAxis temperature = temperatureAxis();
    temperature.bigStep = row.bigStep;
    temperature.smallStep = row.smallStep;
    PlotAxis time = timeAxis();
    time.bigStep = row.bigStep;
    time.smallStep = row.smallStep;
    RecordingCanvas canvas;
    DrawGrid(canvas, QSize(25, 20), temperature, time);

    std::vector<int> horizontal;
    std::vector<int> vertical;
    for (const QLine &line : canvas.lines()) {
        if (line.dy() == 0 && line.x1() == 0 && line.x2() == 25)
            horizontal.push_back(line.y1());
        else if (line.dx() == 0 && line.y1() == 0 && line.y2() == 20)
            vertical.push_back(line.x1());
        else
            ADD_FAILURE() << "stray line " << line.x1() << "," << line.y1();
    }
    EXPECT_EQ(horizontal, row.horizontal);
    EXPECT_EQ(vertical, row.vertical);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, DrawGridTest,
    testing::Values(
        // A step of 1.5 pixels truncates to 1: no lines at all.
        GridRow{"Step1_5", 1.5, 4, {}, {}}, GridRow{"NoStep", 0.0, 0, {}, {}},
        // Lines at k * 2.9 truncated, as the bar's ticks, never at k * trunc(2.9).
        GridRow{"Step2_9", 2.9, 1, {20, 18, 15, 12, 9, 6, 3}, {0, 2, 5, 8, 11, 14, 17, 20, 23}},
        // One subdivision or fewer: major lines only.
        GridRow{"OnePart", 10.0, 1, {20, 10, 0}, {0, 10, 20}},
        GridRow{"NegativeParts", 10.0, -3, {20, 10, 0}, {0, 10, 20}},
        // Minor lines at k * 10.9 + i * 10.9 / 4 truncated; those past the edge are still
        // drawn.
        GridRow{"FourParts",
                10.9,
                4,
                {20, 18, 15, 12, 10, 7, 4, 1},
                {0, 2, 5, 8, 10, 13, 16, 19, 21, 24, 27, 29}}),
    [](const testing::TestParamInfo<GridRow> &row) { return std::string(row.param.name); });

// The grid continues the bars' ticks. Over 0..950 °C on 560 rows and an hour on 940 columns the
// divisions lie fractions of a pixel apart; a step rounded once and added up would leave the
// lines near the far edges pixels (degrees, seconds) away from the labels they continue.
TEST(DrawGrid, EveryLineStandsAtATickOfItsBar)
{
    const QSize client(940, 560);
    RangeBarModel temperatureBar;
    temperatureBar.setUnits(RangeBarUnits::Degrees);
    temperatureBar.setWindowEnd(950);
    temperatureBar.setWindowStart(0);
    RangeBarModel timeBar;
    timeBar.setUnits(RangeBarUnits::Milliseconds);
    timeBar.setMaximum(36'000'000);
    timeBar.setWindowEnd(36'000'000);
    timeBar.setMinimum(32'400'000);
    timeBar.setWindowStart(32'400'000);
    const auto axisOf = [](const RangeBarModel &bar, int length) {
        PlotAxis axis;
        const RangeBarDivision division = bar.division(length);
        axis.bigStep = division.pixels;
        axis.smallStep = division.minorParts;
        return axis;
    };
    const PlotAxis temperature = axisOf(temperatureBar, client.height());
    const PlotAxis time = axisOf(timeBar, client.width());
    ASSERT_NE(temperature.bigStep, std::trunc(temperature.bigStep));
    ASSERT_NE(time.bigStep, std::trunc(time.bigStep));

    RecordingCanvas canvas;
    DrawGrid(canvas, client, temperature, time);
    std::set<int> rows;
    std::set<int> columns;
    for (const QLine &line : canvas.lines()) {
        if (line.dy() == 0 && line.y1() >= 0)
            rows.insert(line.y1());
        else if (line.dx() == 0 && line.x1() < client.width())
            columns.insert(line.x1());
    }
    // Where the bars draw their ticks: the offset from the window start's edge, truncated.
    std::set<int> tickRows;
    for (const RangeBarTick &tick : temperatureBar.ticks(client.height()))
        tickRows.insert(client.height() - static_cast<int>(tick.offset));
    std::set<int> tickColumns;
    for (const RangeBarTick &tick : timeBar.ticks(client.width()))
        if (static_cast<int>(tick.offset) < client.width())
            tickColumns.insert(static_cast<int>(tick.offset));
    EXPECT_EQ(rows, tickRows);
    EXPECT_EQ(columns, tickColumns);
}

TEST(DrawGrid, UsesTheTemperaturePensForBothDirectionsAndRestoresThePen)
{
    PlotAxis temperature = temperatureAxis();
    temperature.bigStep = 10.0;
    temperature.smallStep = 2;
    PlotAxis time = timeAxis();
    time.bigStep = 10.0;
    time.smallStep = 2;
    time.majorPen = QPen(Qt::green);
    time.minorPen = QPen(Qt::cyan);
    RecordingCanvas canvas;
    const QPen before(Qt::blue, 3);
    canvas.selectPen(before);
    canvas.clear();
    DrawGrid(canvas, QSize(20, 20), temperature, time);

    // Each major line and each step's minor lines follow a selection of their pen.
    std::vector<std::string> sequence;
    for (const CanvasCall &call : canvas.calls()) {
        if (call.kind == CanvasCall::Kind::SelectPen)
            sequence.push_back(call.pen == temperature.majorPen   ? "major"
                               : call.pen == temperature.minorPen ? "minor"
                                                                  : "other");
        else if (call.kind == CanvasCall::Kind::LineTo)
            sequence.push_back("line");
    }
    const std::vector<std::string> step = {"major", "line", "minor", "line"};
    std::vector<std::string> expected;
    for (int i = 0; i < 5; ++i) // rows at 20, 10, 0 and columns at 0, 10
        expected.insert(expected.end(), step.begin(), step.end());
    expected.push_back("other");
    EXPECT_EQ(sequence, expected);
    EXPECT_EQ(canvas.pen(), before);
}

} // namespace

namespace {

// A threshold is a dashed line in its colour across the plot at its temperature's row, only
// while that row is in sight; the pen before is selected again.
TEST(DrawThresholds, AreDashedLinesAcrossThePlotWhileInSight)
{
    RecordingCanvas canvas;
    const QPen before = canvas.selectPen(QPen(Qt::green));
    DrawThresholds(canvas, Client, temperatureAxis(), {70, 20});
    const std::vector<QLine> lines = canvas.lines();
    EXPECT_EQ(lines, (std::vector<QLine>{QLine(0, 30, 200, 30), QLine(0, 80, 200, 80)}));
    const std::vector<CanvasCall> pens = canvas.callsOf(CanvasCall::Kind::SelectPen);
    ASSERT_EQ(pens.size(), 4u);
    EXPECT_EQ(pens[1].pen.color(), QColor(UpperThresholdColor));
    EXPECT_EQ(pens[1].pen.style(), Qt::DashLine);
    EXPECT_EQ(pens[2].pen.color(), QColor(LowerThresholdColor));
    EXPECT_EQ(pens[3].pen.color(), QColor(Qt::green));

    RecordingCanvas outOfSight;
    DrawThresholds(outOfSight, Client, temperatureAxis(), {150, -10});
    DrawThresholds(outOfSight, Client, temperatureAxis(), {});
    EXPECT_TRUE(outOfSight.lines().empty());
}

} // namespace
