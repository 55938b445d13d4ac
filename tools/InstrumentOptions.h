#pragma once

// The command line of the simulated instrument.

#include <string>

namespace instrument {

struct Options
{
    enum class Mode
    {
        Memory,     // a memory download each time the port is opened
        Continuous, // data collection: a timed line every interval
    };
    Mode mode = Mode::Memory;
    int memory = 200;        // records in the memory
    double delaySeconds = 3; // from the port's opening to the first line of a download
    int lineDelayMs = 20;    // between the lines of a download
    int intervalMs = 250;    // between data-collection readings
    bool repeat = false;     // offer the download again on every later opening
    std::string writeFile;   // write the download there instead of opening a terminal
    bool help = false;
};

// Reads argv[1..argc-1] into `options`. Returns false with a one-line `error` for an unknown
// option, a missing or malformed value or a value out of range; `options` is then not to be
// used.
bool parseOptions(int argc, const char *const *argv, Options &options, std::string &error);

// The text printed for --help.
const char *usageText();

} // namespace instrument
