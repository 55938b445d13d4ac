#include "plot/SeriesOverlay.h"
#include "plot/OverlayPlacement.h"
#include "plot/PlotOverlays.h"
#include "plot/RecordingCanvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <utility>
#include <vector>

namespace {

constexpr std::int32_t Hour = 3'600'000;

void fill(TermDataFile &series, const std::vector<std::pair<std::int32_t, int>> &readings)
{
    for (const auto &[time, temperature] : readings)
        series.Add(time, temperature, 950);
}

std::vector<std::int32_t> timesOf(const SeriesOverlay::Entry &entry)
{
    std::vector<std::int32_t> times;
    for (std::int32_t i = 0; i < entry.series->count; ++i)
        times.push_back(entry.series->records[i].time);
    return times;
}

// A run laid over a graph that starts at nine: from its start it runs beside the graph's
// start, by its clock time it stays at its own times, and either way it keeps its own
// readings when the graph or the alignment change back and forth.
TEST(SeriesOverlay, RunsAreAlignedAtTheGraphsStartOrAtTheirClockTime)
{
    TermDataFile graph;
    fill(graph, {{9 * Hour, 20}, {9 * Hour + 1000, 30}});
    TermDataFile before;
    fill(before, {{60'000, 700}, {61'000, 900}, {65'000, 650}});
    TermDataFile after;
    fill(after, {{23 * Hour, 710}, {23 * Hour + 500, 720}});

    SeriesOverlay overlay;
    ASSERT_TRUE(overlay.add("before.orm", before, graph));
    ASSERT_TRUE(overlay.add("after.orm", after, graph));
    const auto &runs = overlay.entries();
    EXPECT_EQ(timesOf(runs[0]),
              (std::vector<std::int32_t>{9 * Hour, 9 * Hour + 1000, 9 * Hour + 5000}));
    EXPECT_EQ(timesOf(runs[1]), (std::vector<std::int32_t>{9 * Hour, 9 * Hour + 500}));
    // The readings are the run's own, within limits of its own.
    EXPECT_EQ(runs[0].series->records[1].temperature, 900);
    EXPECT_EQ(runs[0].series->minTemperature, 650);
    EXPECT_EQ(runs[0].series->maxTemperature, 900);

    overlay.setAlignment(OverlayAlignment::ClockTime, graph);
    EXPECT_EQ(timesOf(runs[0]), (std::vector<std::int32_t>{60'000, 61'000, 65'000}));
    EXPECT_EQ(timesOf(runs[1]), (std::vector<std::int32_t>{23 * Hour, 23 * Hour + 500}));

    // The graph rebuilt from another selection: the runs follow its new start.
    overlay.setAlignment(OverlayAlignment::Start, graph);
    graph.Clear();
    fill(graph, {{10 * Hour, 25}, {11 * Hour, 35}});
    overlay.realign(graph);
    EXPECT_EQ(timesOf(runs[0]),
              (std::vector<std::int32_t>{10 * Hour, 10 * Hour + 1000, 10 * Hour + 5000}));
    const std::optional<SeriesOverlay::Extent> extent = overlay.extent();
    ASSERT_TRUE(extent);
    EXPECT_EQ(extent->firstTime, 10 * Hour);
    EXPECT_EQ(extent->lastTime, 10 * Hour + 5000);
    EXPECT_EQ(extent->minTemperature, 650);
    EXPECT_EQ(extent->maxTemperature, 900);

    // A graph with no reading moves nothing; neither does adding to an empty graph.
    TermDataFile empty;
    EXPECT_EQ(OverlayShift(empty, before, OverlayAlignment::Start), 0);
    EXPECT_EQ(OverlayShift(graph, before, OverlayAlignment::ClockTime), 0);
    // A shift that would run past the times' range stops at its end.
    TermDataFile late;
    fill(late, {{std::numeric_limits<std::int32_t>::max() - 10, 1}});
    TermDataFile early;
    fill(early, {{std::numeric_limits<std::int32_t>::min() + 10, 1}, {0, 2}});
    SeriesOverlay extreme;
    ASSERT_TRUE(extreme.add("early.orm", early, late));
    EXPECT_EQ(extreme.entries()[0].series->records[1].time,
              std::numeric_limits<std::int32_t>::max());
}

// Eight runs at most, each in a colour apart from the curve's, the thresholds' and every
// other run's; a colour freed by a removal goes to the next run.
TEST(SeriesOverlay, EightRunsInColoursOfTheirOwn)
{
    TermDataFile graph;
    fill(graph, {{0, 1}, {1000, 2}});
    TermDataFile run;
    fill(run, {{0, 5}, {1000, 6}});
    SeriesOverlay overlay;
    EXPECT_FALSE(overlay.add("empty.orm", TermDataFile(), graph));
    for (int i = 0; i < MaxOverlaySeries; ++i)
        ASSERT_TRUE(overlay.add(QStringLiteral("run%1.orm").arg(i), run, graph));
    EXPECT_TRUE(overlay.full());
    EXPECT_FALSE(overlay.add("ninth.orm", run, graph));
    std::vector<QRgb> colours;
    for (const SeriesOverlay::Entry &entry : overlay.entries())
        colours.push_back(entry.colour);
    std::sort(colours.begin(), colours.end());
    EXPECT_EQ(std::unique(colours.begin(), colours.end()), colours.end());
    for (const QRgb taken :
         {CurveColor, UpperThresholdColor, LowerThresholdColor, PlotBackgroundColor})
        EXPECT_EQ(std::count(colours.begin(), colours.end(), taken), 0);

    const QRgb third = overlay.entries()[2].colour;
    overlay.remove(2);
    overlay.remove(42);
    ASSERT_TRUE(overlay.add("again.orm", run, graph));
    EXPECT_EQ(overlay.entries().back().colour, third);
    overlay.clear();
    EXPECT_TRUE(overlay.empty());
    EXPECT_FALSE(overlay.extent());
}

// The runs as the plot draws them: each curve in its colour from the graph's first column,
// and the legend at the top right naming each beside a stroke of its colour, clear of the
// marker's box.
TEST(SeriesOverlay, TheRunsAreDrawnInTheirColoursWithALegend)
{
    TermDataFile graph;
    fill(graph, {{5000, 10}, {6000, 20}});
    TermDataFile run;
    fill(run, {{100'000, 40}, {101'000, 60}});
    SeriesOverlay overlay;
    overlay.add("run.orm", run, graph);

    RecordingCanvas canvas;
    PlotAxis time;
    time.windowStart = 5000;
    time.windowEnd = 15'000;
    time.scale = 0.01;
    PlotAxis temperature;
    temperature.windowEnd = 100;
    temperature.scale = 1.0;
    const SeriesOverlay::Entry &entry = overlay.entries()[0];
    DrawCurve(canvas, QSize(200, 100), entry.series.get(), temperature, time, 5000, false,
              QPen(QColor(entry.colour), 1));
    const std::vector<QLine> lines = canvas.lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front().p1(), QPoint(0, 100 - 40));
    EXPECT_EQ(lines.back().p2(), QPoint(10, 100 - 60));
    for (const CanvasCall &call : canvas.callsOf(CanvasCall::Kind::LineTo))
        EXPECT_EQ(call.pen.color(), QColor(entry.colour));

    canvas.clear();
    canvas.setExtentRule([](const CanvasFont &, const QString &text) {
        return QSize(5 * static_cast<int>(text.size()), 10);
    });
    const std::vector<LegendEntry> legend{{"Таблица", CurveColor}, {"run.orm", entry.colour}};
    const QSize box = LegendBoxSize(canvas, {"Таблица", "run.orm"});
    // The longest name, the stroke and the padding; a line of text each.
    EXPECT_EQ(box, QSize(35 + 20 + 8, 28));
    const OverlayPlaces places = PlaceOverlays(QSize(400, 300), QSize(), 380, QSize(50, 20), box);
    ASSERT_TRUE(places.legend);
    EXPECT_EQ(*places.legend, QPoint(400 - 4 - box.width(), 4));
    // The marker's box would share the legend's columns, so it goes under it.
    ASSERT_TRUE(places.marker);
    EXPECT_EQ(places.marker->y(), 4 + box.height() + 4);
    EXPECT_EQ(PlaceOverlays(QSize(400, 300), QSize(), 10, QSize(50, 20), box).marker,
              QPoint(14, 4));

    EXPECT_EQ(DrawLegend(canvas, *places.legend, legend), QRect(*places.legend, box));
    const std::vector<CanvasCall> texts = canvas.callsOf(CanvasCall::Kind::TextOut);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].text, "Таблица");
    EXPECT_EQ(texts[1].text, "run.orm");
    EXPECT_EQ(texts[1].to, places.legend.value() + QPoint(4 + 20, 4 + 10));
    std::vector<QColor> strokes;
    for (const CanvasCall &call : canvas.callsOf(CanvasCall::Kind::LineTo)) {
        strokes.push_back(call.pen.color());
        EXPECT_LT(call.to.x(), texts[0].to.x()) << "a stroke over the names";
    }
    EXPECT_EQ(strokes, (std::vector<QColor>{QColor(CurveColor), QColor(entry.colour)}));
    ReadingStatistics figures;
    figures.count = 3;
    figures.lowest.temperature = 650;
    figures.highest.temperature = 900;
    figures.mean = 741.26;
    EXPECT_EQ(SeriesStatisticsLine("run.orm", figures),
              "run.orm: 3 изм., 650…900 °C, среднее 741.3 °C");
    EXPECT_EQ(SeriesStatisticsLine("run.orm", {}), "run.orm: нет измерений");
    // The pen in force before is in force again.
    EXPECT_EQ(canvas.calls().back().kind, CanvasCall::Kind::SelectPen);
    EXPECT_EQ(canvas.calls().back().pen, Canvas::defaultPen());
}

} // namespace
