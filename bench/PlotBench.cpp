#include "companions/CRangeBar.h"
#include "companions/TermDataFile.h"
#include "graph/CGraphWnd.h"
#include "plot/CGraphView.h"
#include "plot/CurvePyramid.h"
#include "plot/PlotDrawing.h"
#include "plot/QPainterCanvas.h"
#include "plot/ReadingStatistics.h"
#include "plot/RecordingCanvas.h"

#include <QImage>
#include <QPainter>
#include <QPolygon>

#include <benchmark/benchmark.h>

#include <cmath>

// The curve of a long series across a plot of ordinary width: the points of each pixel column
// collapse into one stroke, so the drawing grows with the width, not with the records.
namespace {

constexpr QSize Client(1000, 400);

void fillSeries(TermDataFile &series, std::int32_t records)
{
    for (std::int32_t i = 0; i < records; ++i) {
        const auto temperature = static_cast<std::int32_t>(500 + 100 * std::sin(i / 500.0));
        series.Add(i * 100, temperature + i % 7, 950);
    }
    series.minTemperature = 393;
    series.maxTemperature = 607;
}

struct WholeSeries
{
    explicit WholeSeries(std::int32_t records)
    {
        fillSeries(series, records);
        time.windowEnd = (records - 1) * 100;
        time.scale = Client.width() / static_cast<double>(time.windowEnd);
        temperature.windowStart = 380;
        temperature.scale = Client.height() / 240.0;
    }

    TermDataFile series;
    PlotAxis temperature;
    PlotAxis time;
};

void BM_DrawCurveRecorded(benchmark::State &state)
{
    WholeSeries plot(static_cast<std::int32_t>(state.range(0)));
    std::size_t calls = 0;
    for (auto _ : state) {
        RecordingCanvas canvas;
        DrawCurve(canvas, Client, &plot.series, plot.temperature, plot.time, 0, true);
        calls = canvas.calls().size();
        benchmark::DoNotOptimize(calls);
    }
    state.counters["canvas calls"] = static_cast<double>(calls);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_DrawCurveRecorded)->Arg(10'000)->Arg(100'000);

void BM_DrawCurvePainted(benchmark::State &state)
{
    WholeSeries plot(static_cast<std::int32_t>(state.range(0)));
    QImage image(Client, QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(QColor(PlotBackgroundColor));
        QPainter painter(&image);
        QPainterCanvas canvas(painter, QPainterCanvas::Mapping::DevicePixels);
        DrawCurve(canvas, Client, &plot.series, plot.temperature, plot.time, 0, true);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_DrawCurvePainted)->Arg(10'000)->Arg(100'000);

// The graph window as a launch leaves it, its plot about 1000 x 450 pixels, showing a series
// of a million readings: whole, or zoomed in on a hundredth of it.
class GraphWindowPlot
{
public:
    static constexpr std::int32_t Records = 1'000'000;

    GraphWindowPlot()
    {
        fillSeries(m_series, Records);
        m_frame.OnSetSeries(GraphSeriesLimits(393, 607), &m_series);
        m_frame.temperatureBar()->SetWinMin(393);
        m_frame.temperatureBar()->SetWinMax(607);
        m_frame.timeBar()->SetMin(0);
        m_frame.timeBar()->SetMax(lastTime());
        m_frame.show();
        m_frame.resize(m_frame.size() + (QSize(1000, 450) - view().size()));
        m_image = QImage(view().size(), QImage::Format_RGB32);
    }

    CGraphView &view() { return *m_frame.view(); }
    void showWhole() { m_frame.ShowWholeGraph(); }
    void zoomToAHundredth()
    {
        m_frame.timeBar()->SetWinMin(lastTime() / 2);
        m_frame.timeBar()->SetWinMax(lastTime() / 2 + lastTime() / 100);
    }
    void paint() { view().render(&m_image); }
    // As a launch with a new series does: the next paint walks the series again.
    void renewSeries() { view().setSeries(&m_series); }
    std::int32_t lastTime() const { return m_series.records[m_series.count - 1].time; }
    QImage &image() { return m_image; }
    const TermDataFile &series() const { return m_series; }
    TermDataFile &series() { return m_series; }

private:
    TermDataFile m_series;
    CGraphWnd m_frame;
    QImage m_image;
};

GraphWindowPlot &graphWindowPlot()
{
    static GraphWindowPlot plot;
    return plot;
}

// A paint of a new series: the view builds what it keeps of it, then draws the curve.
void BM_GraphWindowPaintWhole(benchmark::State &state)
{
    GraphWindowPlot &plot = graphWindowPlot();
    plot.showWhole();
    for (auto _ : state) {
        plot.renewSeries();
        plot.paint();
    }
    state.counters["records"] = plot.series().count;
}
BENCHMARK(BM_GraphWindowPaintWhole)->Unit(benchmark::kMillisecond);

// The same zoomed in on a hundredth.
void BM_GraphWindowPaintZoomed(benchmark::State &state)
{
    GraphWindowPlot &plot = graphWindowPlot();
    plot.zoomToAHundredth();
    for (auto _ : state) {
        plot.renewSeries();
        plot.paint();
    }
}
BENCHMARK(BM_GraphWindowPaintZoomed)->Unit(benchmark::kMillisecond);

// The whole paint with the statistics box shown: the figures of every visible reading are
// taken once with the plot.
void BM_GraphWindowPaintWholeWithStatistics(benchmark::State &state)
{
    GraphWindowPlot &plot = graphWindowPlot();
    plot.showWhole();
    plot.view().setStatisticsShown(true);
    for (auto _ : state) {
        plot.renewSeries();
        plot.paint();
    }
    plot.view().setStatisticsShown(false);
}
BENCHMARK(BM_GraphWindowPaintWholeWithStatistics)->Unit(benchmark::kMillisecond);

// The statistics of a million visible readings alone, with both thresholds.
void BM_StatisticsOfAMillionReadings(benchmark::State &state)
{
    GraphWindowPlot &plot = graphWindowPlot();
    TermDataFile &series = plot.series();
    for (auto _ : state)
        benchmark::DoNotOptimize(ComputeReadingStatistics(series, 0, plot.lastTime(), {550, 450}));
}
BENCHMARK(BM_StatisticsOfAMillionReadings)->Unit(benchmark::kMillisecond);

// Baseline: the plainest pass over the same readings, a sum of their temperatures.
void BM_PlainSumOfEveryTemperature(benchmark::State &state)
{
    const TermDataFile &series = graphWindowPlot().series();
    for (auto _ : state) {
        std::int64_t sum = 0;
        for (std::int32_t i = 0; i < series.count; ++i)
            sum += series.records[i].temperature;
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_PlainSumOfEveryTemperature)->Unit(benchmark::kMillisecond);

// Painted again with nothing changed, as for a tooltip or an uncovered window.
void BM_GraphWindowRepaint(benchmark::State &state)
{
    GraphWindowPlot &plot = graphWindowPlot();
    plot.showWhole();
    for (auto _ : state)
        plot.paint();
}
BENCHMARK(BM_GraphWindowRepaint)->Unit(benchmark::kMillisecond);

// Baseline: the same million points as one plain polyline on an image of the plot's size.
void BM_PlainPolylineOfEveryPoint(benchmark::State &state)
{
    GraphWindowPlot &plot = graphWindowPlot();
    const QSize size = plot.image().size();
    const TermDataFile &series = plot.series();
    QPolygon points(series.count);
    const double xScale = size.width() / static_cast<double>(plot.lastTime());
    for (std::int32_t i = 0; i < series.count; ++i)
        points[i] = QPoint(static_cast<int>(series.records[i].time * xScale),
                           size.height() - (series.records[i].temperature - 393) * 2);
    for (auto _ : state) {
        QPainter painter(&plot.image());
        painter.setPen(curvePen());
        painter.drawPolyline(points);
    }
}
BENCHMARK(BM_PlainPolylineOfEveryPoint)->Unit(benchmark::kMillisecond);

// Ten million readings, eleven and a half days at ten a second, in the graph window with its
// plot 1000 x 450 pixels. Two windows show the series: one on screen, whose view keeps the
// series' extremes between paints, and one never on screen, whose view walks every visible
// reading at each paint, as every paint after a change did before it kept them: the baseline.
class TenMillionPlots
{
public:
    static constexpr std::int32_t Records = 10'000'000;

    TenMillionPlots()
    {
        m_series.Reserve(Records);
        fillSeries(m_series, Records);
        m_walked.setAttribute(Qt::WA_DontShowOnScreen);
        for (CGraphWnd *frame : {&m_kept, &m_walked}) {
            frame->OnSetSeries(GraphSeriesLimits(393, 607), &m_series);
            frame->temperatureBar()->SetWinMin(393);
            frame->temperatureBar()->SetWinMax(607);
            frame->timeBar()->SetMin(0);
            frame->timeBar()->SetMax(lastTime());
            frame->show();
            frame->resize(frame->size() + (QSize(1000, 450) - frame->view()->size()));
        }
        m_image = QImage(m_kept.view()->size(), QImage::Format_RGB32);
    }

    CGraphWnd &frame(bool kept) { return kept ? m_kept : m_walked; }
    void paint(bool kept) { frame(kept).view()->render(&m_image); }
    std::int32_t lastTime() const { return m_series.records[m_series.count - 1].time; }
    TermDataFile &series() { return m_series; }

    // A wheel notch over the time bar: a zoom about its middle, or with Shift a scroll.
    void turnWheel(bool kept, Qt::KeyboardModifiers modifiers, short delta)
    {
        CRangeBar &bar = *frame(kept).timeBar();
        bar.OnMouseWheel(modifiers, delta, bar.mapToGlobal(bar.rect().center()));
    }

    // The readings the walk of the last paint went over.
    double visibleReadings(bool kept)
    {
        const CRangeBar &bar = *frame(kept).timeBar();
        return static_cast<double>(bar.GetWinMax() - bar.GetWinMin()) / 100.0;
    }

private:
    TermDataFile m_series;
    CGraphWnd m_kept;
    CGraphWnd m_walked;
    QImage m_image;
};

TenMillionPlots &tenMillionPlots()
{
    static TenMillionPlots plots;
    return plots;
}

// The first paint after a zoom, the series shown whole and then zoomed in a notch (eight
// million readings in sight), in turn. Argument 0: the walk; 1: the kept extremes.
void BM_TenMillionFirstPaintAfterZoom(benchmark::State &state)
{
    const bool kept = state.range(0) != 0;
    TenMillionPlots &plots = tenMillionPlots();
    plots.frame(kept).ShowWholeGraph();
    plots.paint(kept);
    double visible = 0.0;
    short delta = 120;
    for (auto _ : state) {
        plots.turnWheel(kept, Qt::NoModifier, delta);
        delta = static_cast<short>(-delta);
        plots.paint(kept);
        visible += plots.visibleReadings(kept);
    }
    state.counters["readings_in_sight"] = visible / static_cast<double>(state.iterations());
}
BENCHMARK(BM_TenMillionFirstPaintAfterZoom)
    ->ArgName("kept_extremes")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);

// A frame of scrolling: half the series in sight (five million readings), moved a wheel notch
// (a tenth of the window) and painted, eight notches one way and eight back.
void BM_TenMillionScrollFrame(benchmark::State &state)
{
    const bool kept = state.range(0) != 0;
    TenMillionPlots &plots = tenMillionPlots();
    CGraphWnd &frame = plots.frame(kept);
    frame.ShowWholeGraph();
    frame.timeBar()->SetWinMin(plots.lastTime() / 4);
    frame.timeBar()->SetWinMax(plots.lastTime() / 4 + plots.lastTime() / 2);
    plots.paint(kept);
    int frames = 0;
    for (auto _ : state) {
        plots.turnWheel(kept, Qt::ShiftModifier, frames++ / 8 % 2 == 0 ? -120 : 120);
        plots.paint(kept);
    }
    state.counters["readings_in_sight"] = plots.visibleReadings(kept);
}
BENCHMARK(BM_TenMillionScrollFrame)
    ->ArgName("kept_extremes")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);

// The paint of a series new to the view, shown whole: the kept extremes are built first.
void BM_TenMillionNewSeries(benchmark::State &state)
{
    const bool kept = state.range(0) != 0;
    TenMillionPlots &plots = tenMillionPlots();
    plots.frame(kept).ShowWholeGraph();
    for (auto _ : state) {
        plots.frame(kept).view()->setSeries(&plots.series());
        plots.paint(kept);
    }
}
BENCHMARK(BM_TenMillionNewSeries)
    ->ArgName("kept_extremes")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);

// The pyramid of the ten million readings alone, without and with the breaks at gaps, and its
// size beside the series'.
void BM_CurvePyramidOfTenMillion(benchmark::State &state)
{
    TermDataFile &series = tenMillionPlots().series();
    CurvePyramid pyramid;
    for (auto _ : state) {
        pyramid.reset();
        pyramid.follow(series, state.range(0) != 0);
    }
    const double seriesBytes = static_cast<double>(series.count) * sizeof(v4TermData);
    state.counters["pyramid_MiB"] = static_cast<double>(pyramid.sizeInBytes()) / (1 << 20);
    state.counters["series_MiB"] = seriesBytes / (1 << 20);
    state.counters["share_percent"] =
        100.0 * static_cast<double>(pyramid.sizeInBytes()) / seriesBytes;
}
BENCHMARK(BM_CurvePyramidOfTenMillion)
    ->ArgName("with_gaps")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);

} // namespace
