#include "acquisition/ReadBack.h"

#include "acquisition/DataFileSource.h"
#include "companions/ProcessMemory.h"

#include <QDate>

#include <filesystem>
#include <system_error>
#include <utility>

bool ReceivedReading(std::span<const char> received, const PostedLine &line, PollMode mode,
                     DeviceReading &reading)
{
    const auto size = static_cast<qint64>(received.size());
    if (line.lineStart < 0 || line.lineStart >= size ||
        !ParseDeviceLine(received.data() + line.lineStart,
                         static_cast<std::size_t>(size - line.lineStart), mode, reading))
        return false;
    if (mode == PollMode::Continuous)
        reading.number = static_cast<std::int16_t>(line.lineCounter & 0xFFFF);
    return true;
}

void AddReceivedRecord(TermDataFile &series, const DeviceReading &reading)
{
    if (series.count == 0)
        series.date = QDate::currentDate();
    // The series keeps the signed temperature, so readings below zero stay below zero.
    series.Add(reading.time, reading.temperature, static_cast<std::uint16_t>(reading.emissivity));
}

bool ReadBack::read(const std::string &path, PollMode mode)
{
    const std::unique_ptr<DataFileSource> source = DataFileSource::open(path);
    if (!source)
        return false;
    // Made room for at once: growing by steps would copy a large file's bytes, lines and
    // records over and over, each time into memory the system has to hand out anew.
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    const std::size_t mostLines = error ? 0 : static_cast<std::size_t>(size) / ShortestPostedLine;
    if (!error)
        m_store.reserve(static_cast<std::size_t>(size));

    // The whole file is stored before a line is parsed: the window, too, takes the lines of a
    // file only after its reader has run far ahead, so a line sees the data that follows it.
    std::vector<PostedLine> lines;
    ReserveLarge(lines, mostLines);
    const std::atomic<bool> neverStop{false};
    std::atomic<ReaderEndReason> endReason{ReaderEndReason::Stopped};
    Reception reception(m_store);
    reception.setSource(source.get());
    ReaderThreadProc(reception, neverStop, endReason,
                     [&lines](quint32 lineCounter, qint64 lineStart) {
                         if (lineCounter != 0 || lineStart != 0)
                             lines.push_back({lineCounter, lineStart});
                     });
    m_endReason = endReason;

    std::vector<MeasurementTableModel::Row> rows;
    ReserveLarge(rows, lines.size());
    m_series.Reserve(static_cast<std::int32_t>(lines.size()));
    for (const PostedLine &line : lines) {
        DeviceReading reading{};
        if (!ReceivedReading(m_store.bytes(), line, mode, reading))
            continue;
        rows.push_back({reading, m_series.count});
        AddReceivedRecord(m_series, reading);
    }
    m_table.appendRows(std::move(rows));
    return true;
}
