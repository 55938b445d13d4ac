#pragma once

#include "acquisition/DeviceParser.h"
#include "acquisition/MeasurementTableModel.h"
#include "acquisition/ReaderThread.h"
#include "acquisition/Reception.h"
#include "companions/TermDataFile.h"

#include <span>
#include <string>
#include <vector>

// The reading a reception takes from a line its reader posted: parsed in mode from received
// (every byte stored so far, the line at lineStart among them) and, in continuous mode,
// numbered by the reader's line counter. False for a line the parser rejects or an offset
// outside received.
bool ReceivedReading(std::span<const char> received, const PostedLine &line, PollMode mode,
                     DeviceReading &reading);

// Appends reading to the series of a reception as its next record; the first one dates the
// series today.
void AddReceivedRecord(TermDataFile &series, const DeviceReading &reading);

// A data file read back whole, as the source "file" reads it in one mode: the same reader (the
// 26-byte rule, the line numbering) and parser, every line kept, but no ceiling on its size.
class ReadBack
{
public:
    // False, with nothing read, when path cannot be opened for reading or is a folder.
    bool read(const std::string &path, PollMode mode);

    // EndOfData once the file was read to its end; LinkLost when reading it failed.
    ReaderEndReason endReason() const { return m_endReason; }
    // The rows as the table shows them, and their records.
    const MeasurementTableModel &table() const { return m_table; }
    TermDataFile &series() { return m_series; }
    // The bytes the reader stored: the data file form of what was read.
    std::span<const char> bytes() const { return m_store.bytes(); }

private:
    MeasurementTableModel m_table;
    TermDataFile m_series;
    GrowingReceiveStore m_store;
    ReaderEndReason m_endReason = ReaderEndReason::Stopped;
};
