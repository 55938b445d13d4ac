#pragma once

// The lines a simulated pyrometer sends, byte for byte (positions from 0):
//   numbered  "   1 12:34:56:78 E=0.950 T=1234 TRC\r\n"  one per record of a memory download
//   timed     "12:34:56:78 E=0.95 T= 123\r\n"            one per reading in data collection
// Plain C++ with no Qt and no system calls, so the formats can be tested on their own.

#include <cstddef>
#include <string>
#include <vector>

namespace instrument {

// Hundredths of a second in a day; times of day are kept in hundredths, as the instrument
// shows them.
inline constexpr int dayHundredths = 24 * 60 * 60 * 100;

// The largest record number the numbered line holds in its four positions.
inline constexpr int maxRecordNumber = 9999;

// The measuring modes a stored record can have, in the order of their codes.
enum class RecordMode
{
    Trc,
    Avr,
    Max,
    Min,
    Dif,
};

// The three-letter code of `mode` in a numbered line.
const char *recordModeCode(RecordMode mode);

// One record of the instrument's memory.
struct Record
{
    int number = 0;      // 1 upwards
    int time = 0;        // hundredths of a second since midnight
    int emissivity = 0;  // thousandths (0.950 is 950)
    int temperature = 0; // degrees Celsius
    RecordMode mode = RecordMode::Trc;
};

// "HH:MM:SS:CC"; times outside one day are taken modulo a day.
std::string formatTime(int hundredths);

// The numbered line of `record`, CR LF included. Values too wide for their positions are
// clamped to the widest that fits (number 0-9999, temperature -999-9999, emissivity
// 0.000-9.999), so every line has the same layout and length.
std::string formatNumberedLine(const Record &record);

// The timed line of a data-collection reading, CR LF included. The emissivity is rounded to
// two decimals; the temperature is clamped to 0-9999 and right-aligned in four positions, which
// keeps the line at 27 bytes: a line of 25 bytes or fewer is thrown away by the receiver.
std::string formatTimedLine(int time, int emissivity, int temperature);

// The length of every numbered line and of every timed line, CR LF included.
inline constexpr std::size_t numberedLineLength = 37;
inline constexpr std::size_t timedLineLength = 27;

// The records of a memory holding `count` measurements (clamped to 0-maxRecordNumber): one a
// little over a second apart from a morning start, a furnace charge heating up, held and cooled,
// with the emissivity and the mode changed now and then as an operator would. The same count
// always gives the same records.
std::vector<Record> generateMemory(int count);

// The whole memory download: the numbered lines of `records` one after another.
std::string formatDownload(const std::vector<Record> &records);

// The temperature of the data-collection reading `seconds` after the collection began: a slow
// heating and cooling cycle with a little ripple, smooth from reading to reading.
int collectionTemperature(double seconds);

} // namespace instrument
