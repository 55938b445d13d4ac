#include "acquisition/DeviceParser.h"

#include <cstdint>
#include <cstring>
#include <memory>

// Every input is a line at the very end of a full receive buffer: a heap block of exactly its
// size with no zero after it, so any read past the data is caught by the address sanitizer.
// Accepted readings must keep the parser's promises; a broken one traps.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::unique_ptr<char[]> line(new char[size]);
    std::memcpy(line.get(), data, size);

    DeviceReading reading{};
    if (ParseDeviceLine(line.get(), size, PollMode::FromMemory, reading)) {
        if (reading.mode < 0 || reading.mode > NoMeasureMode || reading.time % 10 != 0)
            __builtin_trap();
    }
    if (ParseDeviceLine(line.get(), size, PollMode::Continuous, reading)) {
        if (reading.number != 0 || reading.mode != 5 || reading.temperature < 0 ||
            reading.time % 10 != 0)
            __builtin_trap();
    }
    ParseNumberedLine(line.get(), size, reading);
    ParseTimedLine(line.get(), size, reading);
    return 0;
}
