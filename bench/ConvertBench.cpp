// The window's export of a data file to CSV: the file read back whole through the reader and
// parser (ReadBack), then the table's CSV written line by line (WriteCsvFile), beside a plain
// copy of the same file. Then orma-cli convert and stats as a user runs them, reading in one
// pass, each beside the same work as an awk script, with the peak memory of each.

#include "acquisition/ReadBack.h"
#include "bench/DataFiles.h"
#include "outputs/RowTexts.h"
#include "outputs/TableExport.h"

#include <QFile>
#include <QString>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <string>

namespace {

std::filesystem::path benchFolder()
{
    return std::filesystem::temp_directory_path();
}

// A memory download of about 100 MiB: its lines are 37 bytes each.
const std::string &largeDataFile()
{
    static const std::string path =
        WriteNumberedDataFile("orma-convert-bench.orm", 100 * 1024 * 1024 / 37);
    return path;
}

void BM_ConvertToCsv(benchmark::State &state)
{
    const std::string &input = largeDataFile();
    const QString output =
        QString::fromStdString((benchFolder() / "orma-convert-bench.csv").string());
    for (auto _ : state) {
        ReadBack readBack;
        if (!readBack.read(input, PollMode::FromMemory) ||
            !WriteCsvFile(output, readBack.table(), RowsToTake(readBack.table(), {}),
                          InPlaceWrites::Allowed)
                 .isEmpty())
            state.SkipWithError("the conversion failed");
        state.counters["rows"] = readBack.table().rowTotal();
    }
    state.SetBytesProcessed(state.iterations() *
                            static_cast<std::int64_t>(std::filesystem::file_size(input)));
    QFile::remove(output);
}
BENCHMARK(BM_ConvertToCsv)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The first half of the conversion alone: the file read back into rows and a series.
void BM_ReadBackOnly(benchmark::State &state)
{
    const std::string &input = largeDataFile();
    for (auto _ : state) {
        ReadBack readBack;
        if (!readBack.read(input, PollMode::FromMemory))
            state.SkipWithError("the read back failed");
    }
    state.SetBytesProcessed(state.iterations() *
                            static_cast<std::int64_t>(std::filesystem::file_size(input)));
}
BENCHMARK(BM_ReadBackOnly)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The floor: the same bytes copied to a new file through the same kind of safe write.
void BM_CopyFile(benchmark::State &state)
{
    const std::string &input = largeDataFile();
    const std::filesystem::path output = benchFolder() / "orma-convert-bench.copy";
    for (auto _ : state) {
        std::filesystem::copy_file(input, output,
                                   std::filesystem::copy_options::overwrite_existing);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() *
                            static_cast<std::int64_t>(std::filesystem::file_size(input)));
    std::filesystem::remove(output);
}
BENCHMARK(BM_CopyFile)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

namespace {

// The whole orma-cli convert as a user runs it, beside the same conversion as a mawk script:
// the numbered lines split into their fields and written as the CSV's lines. Each reports its
// peak memory.
void reportPeak(benchmark::State &state, long peakKiB)
{
    state.counters["peak_MiB"] = static_cast<double>(peakKiB) / 1024.0;
}

void BM_OrmaCliConvertToCsv(benchmark::State &state)
{
    const std::string &input = largeDataFile();
    const std::string output = (benchFolder() / "orma-convert-cli.csv").string();
    long peak = 0;
    for (auto _ : state) {
        const ProcessRun run =
            RunProcess({ORMA_CLI, "convert", input, "--to", "csv", "-o", output, "--force"});
        if (!run.succeeded)
            state.SkipWithError("orma-cli convert failed");
        peak = std::max(peak, run.peakKiB);
    }
    reportPeak(state, peak);
    state.SetBytesProcessed(state.iterations() *
                            static_cast<std::int64_t>(std::filesystem::file_size(input)));
    std::filesystem::remove(output);
}
BENCHMARK(BM_OrmaCliConvertToCsv)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

const char *const MawkCsv = R"(BEGIN {
    printf "\357\273\277№;Время;T °C;Е;Режим\r\n"
    mode["TRC"] = "Измерение"; mode["AVR"] = "Сглаживание"; mode["MAX"] = "Максимум"
    mode["MIN"] = "Минимум"; mode["DIF"] = "Размах"; mode["SB"] = "Сбор данных"
}
{
    sub(/\r$/, "")
    e = substr($3, 3); sub(/\./, ",", e)
    printf "%s;%s.%s0;%s;%s;%s\r\n", $1, substr($2, 1, 8), substr($2, 10, 2), $5, e, mode[$6]
})";

void BM_MawkScriptToCsv(benchmark::State &state)
{
    const std::string &input = largeDataFile();
    const std::string output = (benchFolder() / "orma-convert-mawk.csv").string();
    long peak = 0;
    for (auto _ : state) {
        const ProcessRun run = RunProcess({"mawk", MawkCsv, input}, output);
        if (!run.succeeded)
            state.SkipWithError("mawk is not there or failed");
        peak = std::max(peak, run.peakKiB);
    }
    reportPeak(state, peak);
    state.SetBytesProcessed(state.iterations() *
                            static_cast<std::int64_t>(std::filesystem::file_size(input)));
    std::filesystem::remove(output);
}
BENCHMARK(BM_MawkScriptToCsv)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// orma-cli stats of the same file beside awk's count, extremes, mean and deviation, and GNU
// datamash's where it is installed.
void BM_OrmaCliStats(benchmark::State &state)
{
    const std::string &input = largeDataFile();
    long peak = 0;
    for (auto _ : state) {
        const ProcessRun run = RunProcess({ORMA_CLI, "stats", input, "--above", "600"});
        if (!run.succeeded)
            state.SkipWithError("orma-cli stats failed");
        peak = std::max(peak, run.peakKiB);
    }
    reportPeak(state, peak);
    state.SetBytesProcessed(state.iterations() *
                            static_cast<std::int64_t>(std::filesystem::file_size(input)));
}
BENCHMARK(BM_OrmaCliStats)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

const char *const AwkStats = R"({
    v = $5; n++; s += v; q += v * v
    if (n == 1 || v < lo) { lo = v; lt = $2 }
    if (n == 1 || v > hi) { hi = v; ht = $2 }
}
END { m = s / n; print n, lo, lt, hi, ht, m, sqrt(q / n - m * m) })";

void BM_AwkStats(benchmark::State &state)
{
    const std::string &input = largeDataFile();
    for (auto _ : state) {
        if (!RunProcess({"awk", AwkStats, input}).succeeded)
            state.SkipWithError("awk failed");
    }
    state.SetBytesProcessed(state.iterations() *
                            static_cast<std::int64_t>(std::filesystem::file_size(input)));
}
BENCHMARK(BM_AwkStats)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_AwkAndDatamashStats(benchmark::State &state)
{
    const std::string &input = largeDataFile();
    const std::string script =
        "awk '{print $5}' '" + input + "' | datamash count 1 min 1 max 1 mean 1 pstdev 1";
    for (auto _ : state) {
        if (!RunProcess({"sh", "-c", "command -v datamash >/dev/null && " + script}).succeeded)
            state.SkipWithError("GNU datamash is not installed");
    }
    state.SetBytesProcessed(state.iterations() *
                            static_cast<std::int64_t>(std::filesystem::file_size(input)));
}
BENCHMARK(BM_AwkAndDatamashStats)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace
