#include "companions/TermDataFile.h"
#include "plot/PlotDrawing.h"
#include "plot/QPainterCanvas.h"
#include "plot/RecordingCanvas.h"

#include <QImage>
#include <QPainter>

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

} // namespace
