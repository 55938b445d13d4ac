// orma-cli convert's path from a data file to CSV: the file read back whole through the
// reader and parser (ReadBack), then the table's CSV written line by line (WriteCsvFile).
// Its baseline in the same run is a plain copy of the same file.

#include "acquisition/ReadBack.h"
#include "bench/DataFiles.h"
#include "outputs/RowTexts.h"
#include "outputs/TableExport.h"

#include <QFile>
#include <QString>

#include <benchmark/benchmark.h>

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
