#pragma once

#include "acquisition/DeviceParser.h"
#include "acquisition/ReaderThread.h"
#include "acquisition/Reception.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

// A data file read in one pass, as the source "file" reads it in one mode: the reader (the
// 26-byte rule, the line numbering) and parser of ReadBack, but each reading is handed on as
// soon as it is parsed and only the last lines are kept, so that a file of any size, or an
// input without end, is read in bounded memory. A line longer than LongestStoredLine is
// dropped and counted. A line is parsed with the LongestStoredLine bytes that follow it in
// view: a malformed line's fields may run on into the next line, as they do in a whole file.
class ReadingStream
{
public:
    // Takes one reading; false ends the reading, as a stop request does.
    using Take = std::function<bool(const DeviceReading &reading)>;

    ReadingStream();
    ReadingStream(const ReadingStream &) = delete;
    ReadingStream &operator=(const ReadingStream &) = delete;

    // False, with nothing read, when path cannot be opened for reading or is a folder.
    bool read(const std::string &path, PollMode mode, const Take &take);
    // Reads source, which outlives the reading.
    void read(ByteSource &source, PollMode mode, const Take &take);

    // Ends a reading in progress between two lines; safe from a signal handler.
    void requestStop() { m_stop.store(true); }

    // EndOfData once the input was read to its end; LinkLost when reading it failed; Stopped
    // after a stop request or a take that answered false.
    ReaderEndReason endReason() const { return m_endReason; }
    // The readings handed on.
    std::uint64_t readings() const { return m_readings; }
    // The lines dropped for their length.
    std::uint64_t droppedLines() const { return m_droppedLines; }
    // The bytes the reader took from the input.
    std::int64_t bytesRead() const { return m_store.stored(); }

private:
    // A line posted by the reader, parsed once the bytes that follow it are in view.
    struct PendingLine
    {
        PostedLine posted;
        std::int64_t end;
    };

    // Keeps the bytes of the lines still to be parsed and of the line in progress.
    class LineWindow final : public ReceiveStore
    {
    public:
        explicit LineWindow(ReadingStream &stream) : m_stream(stream) {}
        qint64 stored() const override { return m_stored; }
        bool store(char byte) override;
        std::size_t storeBytes(std::span<const char> bytes) override;

    private:
        friend class ReadingStream;
        ReadingStream &m_stream;
        std::vector<char> m_bytes;
        // The offset of m_bytes[0] in the input.
        std::int64_t m_base = 0;
        std::int64_t m_stored = 0;
        std::int64_t m_lineStart = 0;
        // The line in progress has grown past LongestStoredLine; its bytes are counted only.
        bool m_dropping = false;
        std::int64_t m_droppedStart = -1;
    };

    void post(quint32 lineCounter, qint64 lineStart);
    void parseDue(std::int64_t viewEnd);
    void parse(const PendingLine &line, std::int64_t viewEnd);
    void forget();

    LineWindow m_store;
    std::deque<PendingLine> m_pending;
    PollMode m_mode = PollMode::FromMemory;
    const Take *m_take = nullptr;
    std::atomic<bool> m_stop{false};
    ReaderEndReason m_endReason = ReaderEndReason::Stopped;
    std::uint64_t m_readings = 0;
    std::uint64_t m_droppedLines = 0;
};
