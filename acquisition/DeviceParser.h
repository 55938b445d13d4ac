#pragma once

// The parser of the lines the pyrometer transmits. Plain C++ with no Qt, so that the fuzz
// build can compile it on its own.
//
// Two line forms exist (positions from 0):
//   numbered  "   1 12:34:56:78 E=0.950 T=1234 TRC\r\n"  sent when the memory is unloaded
//   timed     "12:34:56:78 E=0.95 T=1234\r\n"            sent in data-collection mode
// Fields are located by scanning rules, not by fixed positions, so lines of other shapes
// are rejected or parsed by position as the rules fall.
//
// A line lives inside the receive buffer and runs, as a zero-terminated string, up to the end
// of all data received so far (possibly covering later lines). Every function takes the bound
// explicitly: `available` is the number of bytes from `line` to the end of the received data,
// and the line length L is the length of the zero-terminated string but never more than
// `available`. No byte at or beyond L is ever read; a position the rules look at beyond L
// reads as a zero byte, so the buffer may be full to its last byte with no zero after it.

#include <cstddef>
#include <cstdint>
#include <string_view>

// One parsed instrument line.
struct DeviceReading
{
    std::int16_t number;      // record number of a numbered line; 0 for a timed line
    std::int32_t time;        // milliseconds since midnight, always a multiple of 10
    std::int32_t temperature; // degrees Celsius
    std::int16_t emissivity;  // thousandths (0.95 is 950)
    std::int8_t mode;         // index into MeasureModes, or NoMeasureMode

    friend bool operator==(const DeviceReading &, const DeviceReading &) = default;
};

// A measuring mode: its code in the numbered line and the name shown for it.
struct MeasureMode
{
    const char *code;
    const char *name; // UTF-8
};

inline constexpr int MeasureModeCount = 6;

// DeviceReading::mode when the line's code matched none of MeasureModes.
inline constexpr std::int8_t NoMeasureMode = 6;

// The measuring modes by index. "SB" (data collection) is also the mode of every timed line.
inline constexpr MeasureMode MeasureModes[MeasureModeCount] = {
    {"TRC", "Измерение"}, {"AVR", "Сглаживание"}, {"MAX", "Максимум"},
    {"MIN", "Минимум"},   {"DIF", "Размах"},      {"SB", "Сбор данных"},
};

// The name of mode `index`; "" for NoMeasureMode or any other index outside the table.
const char *MeasureModeName(int index);

// The index of the mode whose name is exactly `name`, or -1 when none is.
int MeasureModeFromName(std::string_view name);

// How the instrument is being read, which decides the line form expected.
enum class PollMode
{
    FromMemory, // numbered lines, or timed lines (recognised by ':' at positions 2, 5 and 8)
    Continuous, // timed lines only
};

// Parses one line according to `mode` into `reading`. Returns true when the reading was filled;
// false when the line was rejected or `mode` is not one of PollMode's values. After a rejection
// `reading` is left as it was.
bool ParseDeviceLine(const char *line, std::size_t available, PollMode mode,
                     DeviceReading &reading);

// Parses a numbered line. Rejects a null line and one shorter than 35 bytes (counting its line
// end, and any following data within `available`). An unknown mode code is
// accepted with mode NoMeasureMode; a two-letter code ("SB") is recognised when the line ends
// right after it. The number keeps the low 16 bits of its value.
bool ParseNumberedLine(const char *line, std::size_t available, DeviceReading &reading);

// Parses a timed line. Rejects a null line, one shorter than 24 bytes, and one without ':' at
// positions 2, 5 and 8, 'E' at 12 and 'T' at 19 or 20. The temperature is taken from the
// digits before position 26, so it is never negative (a minus sign is skipped) and may take
// digits from the following line when this line is shorter than 26 bytes. number is 0 and mode
// is the "SB" mode (5).
bool ParseTimedLine(const char *line, std::size_t available, DeviceReading &reading);
