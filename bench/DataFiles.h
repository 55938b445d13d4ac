#pragma once

#include <cstdint>
#include <string>

// Writes, in the system's temporary folder under name, a memory download of lines numbered
// lines of 37 bytes, one reading every 10 ms from midnight, the temperatures rising in steps
// of a degree from 200 °C to 999 °C and again. Returns its path.
std::string WriteNumberedDataFile(const std::string &name, std::int64_t lines);
