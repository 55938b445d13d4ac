#include "companions/TermDataFile.h"

#include <benchmark/benchmark.h>

// Filling a series the size of a long logging run, and finding window starts in it.
static void BM_SeriesAdd(benchmark::State &state)
{
    TermDataFile series;
    for (auto _ : state) {
        series.Clear();
        for (std::int32_t i = 0; i < state.range(0); ++i)
            series.Add(i * 10, 500 + i % 100, 950);
        benchmark::DoNotOptimize(series.records);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SeriesAdd)->Arg(30000);

static void BM_SeriesGetFirst(benchmark::State &state)
{
    TermDataFile series;
    for (std::int32_t i = 0; i < state.range(0); ++i)
        series.Add(i * 10, 500, 950);
    std::int32_t t = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(series.GetFirst(t));
        t = (t + 7919) % (static_cast<std::int32_t>(state.range(0)) * 10);
    }
}
BENCHMARK(BM_SeriesGetFirst)->Arg(30000);
