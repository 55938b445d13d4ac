#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

class ByteSource;

// The reception shared by the reader thread and the dialog. The reader only appends to
// ReceiveBuffer and raises ReceiveLength past the bytes it stored; the dialog reads a line
// once it was reported, and resets the buffer only while no reader runs.
constexpr std::size_t ReceiveBufferSize = 1048576;
extern char ReceiveBuffer[ReceiveBufferSize];
extern std::atomic<std::int32_t> ReceiveLength;

// One line is kept per period in continuous mode; 0 keeps every line. Set before the reader
// starts.
extern std::atomic<std::uint32_t> PollPeriodMs;

// The open port or data file, or null. Written only on the dialog's thread while no reader
// runs, so the reader reads it without a lock.
extern ByteSource *g_port;

// Zeroes ReceiveBuffer and ReceiveLength. Only while no reader runs.
void ResetReceiveBuffer();
