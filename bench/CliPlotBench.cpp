// orma-cli plot of a million readings as a user runs it: the built program started, the data
// file read back, the graph drawn into a PNG. Its baseline in the same run is orma-cli stats
// of the same file, which starts and reads back alike but draws nothing.

#include "bench/DataFiles.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace {

const std::string &millionReadings()
{
    static const std::string path = WriteNumberedDataFile("orma-plot-bench.orm", 1'000'000);
    return path;
}

// Runs the built orma-cli with arguments, its output to /dev/null; true when it ended with 0.
bool runCli(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), ORMA_CLI);
    return RunProcess(std::move(arguments)).succeeded;
}

void BM_PlotOfAMillionReadings(benchmark::State &state)
{
    const std::string &input = millionReadings();
    const std::string output =
        (std::filesystem::temp_directory_path() / "orma-plot-bench.png").string();
    for (auto _ : state)
        if (!runCli({"plot", input, "-o", output, "--force"}))
            state.SkipWithError("orma-cli plot failed");
    std::filesystem::remove(output);
}
BENCHMARK(BM_PlotOfAMillionReadings)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_StatsOfTheSameFile(benchmark::State &state)
{
    const std::string &input = millionReadings();
    for (auto _ : state)
        if (!runCli({"stats", input}))
            state.SkipWithError("orma-cli stats failed");
}
BENCHMARK(BM_StatsOfTheSameFile)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

} // namespace
