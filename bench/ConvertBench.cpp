// orma-cli convert's path from a data file to CSV: the file read back whole through the
// reader and parser (ReadBack), then the table's CSV written line by line (WriteCsvFile).
// Its baseline in the same run is a plain copy of the same file.

#include "acquisition/ReadBack.h"
#include "outputs/RowTexts.h"
#include "outputs/TableExport.h"

#include <QFile>
#include <QString>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr std::int64_t FileSize = 100 * 1024 * 1024;

std::filesystem::path benchFolder()
{
    return std::filesystem::temp_directory_path();
}

// A memory download of about FileSize bytes: numbered lines, one reading every 10 ms.
std::string writeLargeDataFile()
{
    const std::filesystem::path path = benchFolder() / "orma-convert-bench.orm";
    std::ofstream file(path, std::ios::binary);
    std::vector<char> chunk;
    char line[64];
    std::int64_t written = 0;
    for (std::int64_t number = 1; written < FileSize; ++number) {
        const std::int64_t hundredths = number % 8'640'000;
        const int length = std::snprintf(
            line, sizeof line, "%4d %02d:%02d:%02d:%02d E=0.950 T=%4d TRC\r\n",
            static_cast<int>(number % 10000), static_cast<int>(hundredths / 360000),
            static_cast<int>(hundredths / 6000 % 60), static_cast<int>(hundredths / 100 % 60),
            static_cast<int>(hundredths % 100), static_cast<int>(200 + number % 800));
        chunk.insert(chunk.end(), line, line + length);
        written += length;
        if (chunk.size() > 1 << 20) {
            file.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
            chunk.clear();
        }
    }
    file.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    return path.string();
}

const std::string &largeDataFile()
{
    static const std::string path = writeLargeDataFile();
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
            !WriteCsvFile(output, readBack.table(), RowsToTake(readBack.table(), {})))
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
