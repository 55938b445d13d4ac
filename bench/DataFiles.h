#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes, in the system's temporary folder under name, a memory download of lines numbered
// lines of 37 bytes, one reading every 10 ms from midnight, the temperatures rising in steps
// of a degree from 200 °C to 999 °C and again. Returns its path.
std::string WriteNumberedDataFile(const std::string &name, std::int64_t lines);

// Writes, in the system's temporary folder, days files of the daily rotation, stem-YYYY-MM-DD.orm
// from firstDay (YYYY-MM-DD) on, each a memory download of 86 400 numbered lines of 37 bytes,
// one reading a second from midnight. Returns their paths, the earliest first.
std::vector<std::string> WriteDailyDataFiles(const std::string &stem, int days);

// How a process a benchmark started ended: whether it exited with 0, and its peak memory.
struct ProcessRun
{
    bool succeeded = false;
    long peakKiB = 0;
};

// Runs arguments (the program first, found on PATH) with its output to output; waits for it.
ProcessRun RunProcess(std::vector<std::string> arguments, const std::string &output = "/dev/null");
