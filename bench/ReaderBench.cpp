#include "acquisition/DataFileSource.h"
#include "acquisition/ReaderThread.h"
#include "acquisition/Reception.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

constexpr int LineCount = 28000;

// A data file of instrument lines that nearly fills the receive buffer.
std::string writeDataFile()
{
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / "orma-reader-bench.orm";
    std::ofstream file(path, std::ios::binary);
    char line[64];
    for (int number = 1; number <= LineCount; ++number) {
        std::snprintf(line, sizeof line, "%4d 12:%02d:%02d:50 E=0.950 T=%4d TRC\r\n",
                      number % 10000, number / 60 % 60, number % 60, 200 + number % 800);
        file << line;
    }
    return path.string();
}

// Reads the file back through the reader; the argument is the size of the source's reads,
// 1 being one read() call per byte.
void BM_ReadDataFile(benchmark::State &state)
{
    static const std::string path = writeDataFile();
    const auto chunkSize = static_cast<std::size_t>(state.range(0));
    const std::atomic<bool> stopEvent{false};
    std::atomic<ReaderEndReason> endReason{};
    std::int64_t lines = 0;
    const DeviceLinePost countLines = [&lines](quint32 counter, qint64) { lines += counter != 0; };

    Reception reception;
    for (auto _ : state) {
        state.PauseTiming();
        reception.clear();
        const auto source = DataFileSource::open(path, chunkSize);
        reception.setSource(source.get());
        state.ResumeTiming();
        ReaderThreadProc(reception, stopEvent, endReason, countLines);
    }
    reception.setSource(nullptr);
    if (endReason != ReaderEndReason::EndOfData || lines != LineCount * state.iterations())
        state.SkipWithError("the file was not read to its end");
    state.SetBytesProcessed(state.iterations() *
                            static_cast<std::int64_t>(reception.bytes().size()));
    state.counters["lines"] =
        benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReadDataFile)
    ->ArgName("chunk")
    ->Arg(DataFileSource::DefaultChunkSize)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);

} // namespace
