#include "acquisition/DeviceParser.h"

#include <benchmark/benchmark.h>

#include <string>
#include <string_view>

// Lines per second for the two line forms, each parsed where the reader leaves it: at the end
// of the received data (range 0), or at the start of a full receive buffer of later lines, so
// that the cost of finding the line's end shows (range 1).
namespace {

constexpr std::size_t receiveBufferSize = 1048576;

void parseLines(benchmark::State &state, std::string_view line, PollMode mode)
{
    std::string data(line);
    if (state.range(0) != 0)
        while (data.size() + line.size() <= receiveBufferSize)
            data += line;
    DeviceReading reading{};
    for (auto _ : state) {
        benchmark::DoNotOptimize(ParseDeviceLine(data.data(), data.size(), mode, reading));
        benchmark::DoNotOptimize(reading);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}

} // namespace

static void BM_ParseNumberedLine(benchmark::State &state)
{
    parseLines(state, "   1 12:34:56:78 E=0.950 T=1234 TRC\r\n", PollMode::FromMemory);
}
BENCHMARK(BM_ParseNumberedLine)->Arg(0)->Arg(1);

static void BM_ParseTimedLine(benchmark::State &state)
{
    parseLines(state, "12:34:56:78 E=0.95 T=1234\r\n", PollMode::Continuous);
}
BENCHMARK(BM_ParseTimedLine)->Arg(0)->Arg(1);
