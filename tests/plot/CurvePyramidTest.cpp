#include "plot/CurvePyramid.h"
#include "companions/TermDataFile.h"
#include "plot/PlotDrawing.h"
#include "plot/RecordingCanvas.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr QSize Client(1000, 450);

// Readings about a second apart with some jitter, repeated times, short and long gaps, and
// temperatures wandering about a level, past the series' limits now and then.
void appendRandomReadings(TermDataFile &series, std::mt19937 &random, int count, double level)
{
    std::uniform_int_distribution<int> perTenThousand(0, 9999);
    std::uniform_int_distribution<int> jitter(700, 1300);
    std::uniform_int_distribution<int> gap(12'000, 60'000);
    std::normal_distribution<double> drift(0.0, 4.0);
    std::int32_t time = series.count > 0 ? series.records[series.count - 1].time : 0;
    double temperature = series.count > 0 ? series.records[series.count - 1].temperature : level;
    for (int i = 0; i < count; ++i) {
        const int kind = perTenThousand(random);
        time += kind < 300 ? 0 : kind < 500 ? gap(random) : kind < 600 ? 40 : jitter(random);
        temperature += drift(random) + (level - temperature) * 0.01;
        const int spike = kind == 9999 ? 900 : kind == 9998 ? -900 : 0;
        series.Add(time, static_cast<std::int32_t>(temperature) + spike, 950);
    }
    series.minTemperature = 450;
    series.maxTemperature = 800;
}

std::string describe(const CanvasCall &call)
{
    const char *kind = call.kind == CanvasCall::Kind::MoveTo      ? "M"
                       : call.kind == CanvasCall::Kind::LineTo    ? "L"
                       : call.kind == CanvasCall::Kind::SelectPen ? "P"
                                                                  : "?";
    return kind + std::to_string(call.from.x()) + "," + std::to_string(call.from.y()) + ">" +
           std::to_string(call.to.x()) + "," + std::to_string(call.to.y()) + " " +
           call.pen.color().name().toStdString() + " " + std::to_string(call.pen.widthF());
}

std::vector<std::string> curveCalls(TermDataFile &series, const PlotAxis &time,
                                    std::int32_t viewTimeStart, bool breakAtGaps,
                                    const CurvePyramid *pyramid)
{
    PlotAxis temperature;
    temperature.windowStart = 430;
    temperature.windowEnd = 830;
    temperature.scale = Client.height() / 400.0;
    RecordingCanvas canvas;
    DrawCurve(canvas, Client, &series, temperature, time, viewTimeStart, breakAtGaps, curvePen(),
              pyramid);
    std::vector<std::string> calls;
    for (const CanvasCall &call : canvas.calls())
        calls.push_back(describe(call));
    return calls;
}

// The windows a user scrolls and zooms to over a series: the whole of it and more, in the
// plot's width or a few columns, a part of it at random, a few seconds of it (a column or more
// for each reading), and the curve walked
// from before or after the window's start, as the view's copy of the start may lag the bar.
std::vector<std::pair<PlotAxis, std::int32_t>> windowsOver(const TermDataFile &series,
                                                           std::mt19937 &random)
{
    const std::int64_t first = series.records[0].time;
    const std::int64_t last = series.records[series.count - 1].time;
    std::vector<std::pair<PlotAxis, std::int32_t>> windows;
    const auto add = [&](std::int64_t start, std::int64_t end, std::int64_t walkFrom,
                         int columns = Client.width()) {
        PlotAxis time;
        time.windowStart = static_cast<std::int32_t>(start);
        time.windowEnd = static_cast<std::int32_t>(end);
        time.scale = columns / static_cast<double>(end - start);
        windows.emplace_back(time, static_cast<std::int32_t>(walkFrom));
    };
    add(first, last, first);
    add(first - 500'000, last + 500'000, first - 500'000);
    // Far out, thousands of readings to a column.
    add(first, last, first, 7);
    add(first + 3, last, first + 3, 60);
    for (const std::int64_t width :
         {(last - first) / 3, (last - first) / 50, std::int64_t{4'000'000}, std::int64_t{600'000},
          std::int64_t{20'000}}) {
        for (int i = 0; i < 4; ++i) {
            const std::int64_t start =
                std::uniform_int_distribution<std::int64_t>(first, last - width)(random);
            const std::int64_t lag = i == 1 ? -width / 10 : i == 2 ? width / 20 : 0;
            add(start, start + width, start + lag);
        }
    }
    return windows;
}

// The pyramid draws exactly what the walk over every visible reading draws: the same calls
// with the same points and pens, so the same columns, extremes and breaks. Checked on a
// series built once, grown in steps as a followed reception grows, with the breaks at gaps
// taken by the pyramid at some steps and not at others, refilled in place, and gone back in
// time. Without the breaks taken the pyramid serves only curves without breaks.
TEST(CurvePyramid, DrawsTheCallsOfTheWalkOverEveryReadingAtEveryZoom)
{
    std::mt19937 random(20261209);
    TermDataFile series;
    CurvePyramid pyramid;
    const auto expectSameCurves = [&](const char *stage, bool gaps) {
        pyramid.follow(series, gaps);
        ASSERT_TRUE(pyramid.covers(series, false)) << stage;
        ASSERT_EQ(pyramid.covers(series, true), gaps) << stage;
        for (const auto &[time, walkFrom] : windowsOver(series, random)) {
            for (const bool breakAtGaps : {true, false}) {
                const std::vector<std::string> walked =
                    curveCalls(series, time, walkFrom, breakAtGaps, nullptr);
                ASSERT_EQ(curveCalls(series, time, walkFrom, breakAtGaps, &pyramid), walked)
                    << stage << ": window " << time.windowStart << ".." << time.windowEnd
                    << " from " << walkFrom << ", breaks " << breakAtGaps;
            }
        }
    };

    appendRandomReadings(series, random, 300'000, 600.0);
    expectSameCurves("built", false);
    // Warming up as it grows: the new readings hold new extremes.
    double level = 600.0;
    bool gaps = false;
    for (const int grown : {1, 31, 1000, 40'000, 200'000}) {
        appendRandomReadings(series, random, grown, level += 20.0);
        expectSameCurves("grown", gaps = !gaps);
    }

    // Scales that map every later time to the same saturated column, or that run backwards or
    // nowhere: drawn from the pyramid where it can serve, walked where it cannot.
    for (const double scale : {1e300, std::numeric_limits<double>::infinity(), 0.0, -0.001,
                               std::numeric_limits<double>::quiet_NaN()}) {
        PlotAxis time;
        time.windowStart = series.records[series.count / 3].time;
        time.windowEnd = series.records[series.count / 2].time;
        time.scale = scale;
        EXPECT_EQ(curveCalls(series, time, time.windowStart, true, &pyramid),
                  curveCalls(series, time, time.windowStart, true, nullptr))
            << "scale " << scale;
    }

    // Refilled with other readings but the same first and last ones, and as many: only a reset
    // tells the pyramid.
    const std::vector<v4TermData> before(series.records, series.records + series.count);
    series.Clear();
    for (std::size_t i = 0; i < before.size(); ++i)
        series.Add(before[i].time,
                   i == 0 || i + 1 == before.size() ? before[i].temperature
                                                    : 1200 - before[i].temperature,
                   950);
    series.minTemperature = 450;
    series.maxTemperature = 800;
    pyramid.reset();
    expectSameCurves("refilled", true);

    // Refilled shorter, without a reset: taken anew.
    series.Clear();
    appendRandomReadings(series, random, 5000, 600.0);
    expectSameCurves("shorter", true);

    // Going back in time the series is walked; the pyramid no longer serves it.
    series.Add(series.records[series.count - 1].time - 5000, 600, 950);
    pyramid.follow(series, true);
    EXPECT_FALSE(pyramid.covers(series, false));
    PlotAxis whole;
    whole.windowEnd = series.records[series.count - 2].time;
    whole.scale = Client.width() / static_cast<double>(whole.windowEnd);
    EXPECT_EQ(curveCalls(series, whole, 0, true, &pyramid),
              curveCalls(series, whole, 0, true, nullptr));
}

// Kept for as long as the graph is open, so it must stay a small part of what it serves.
TEST(CurvePyramid, IsASmallShareOfTheSeries)
{
    TermDataFile series;
    for (std::int32_t i = 0; i < 2'000'000; ++i)
        series.Add(i * 1000, 500 + i % 100, 950);
    CurvePyramid pyramid;
    pyramid.follow(series, true);
    ASSERT_TRUE(pyramid.covers(series, true));
    EXPECT_LT(pyramid.sizeInBytes(), sizeof(v4TermData) * series.count / 25);
    const CurvePyramid::Extremes extremes = pyramid.extremes(150, 1'999'950);
    EXPECT_EQ(extremes.lowest, 500);
    EXPECT_EQ(extremes.highest, 599);
    EXPECT_EQ(pyramid.extremes(1033, 1034).highest, 533);
}

} // namespace
