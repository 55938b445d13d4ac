#include "acquisition/ReadingStream.h"

#include "acquisition/DataFileSource.h"
#include "acquisition/ReadBack.h"

#include <algorithm>
#include <memory>

namespace {

// The bytes already parsed are let go in steps of this size, so that the lines kept move
// seldom.
constexpr std::int64_t ForgetStep = 1 << 20;
// A line sees this many of the bytes after its end.
constexpr std::int64_t LineView = LongestStoredLine;

} // namespace

ReadingStream::ReadingStream() : m_store(*this) {}

bool ReadingStream::LineWindow::store(char byte)
{
    return storeBytes({&byte, 1}) == 1;
}

std::size_t ReadingStream::LineWindow::storeBytes(std::span<const char> bytes)
{
    if (bytes.empty())
        return 0;
    m_stored += static_cast<std::int64_t>(bytes.size());
    // The reader hands on at most one line at a time, its line feed last.
    const bool lineEnds = bytes.back() == '\n';
    if (m_dropping) {
        // Every line before the dropped one was parsed before it was dropped.
        if (lineEnds) {
            m_dropping = false;
            m_bytes.clear();
            m_base = m_lineStart = m_stored;
        }
        return bytes.size();
    }
    m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
    // The lines before this one that now see far enough are parsed before anything of this
    // line is let go.
    m_stream.parseDue(m_stored - LineView);
    // A line is too long once more than LongestStoredLine bytes come before its line feed.
    const std::int64_t length = m_stored - m_lineStart - (lineEnds ? 1 : 0);
    if (length > static_cast<std::int64_t>(LongestStoredLine)) {
        m_droppedStart = m_lineStart;
        ++m_stream.m_droppedLines;
        // Every line before it has been parsed: nothing kept is needed any more.
        m_bytes.clear();
        m_base = lineEnds ? m_stored : m_lineStart;
        m_dropping = !lineEnds;
    }
    if (lineEnds)
        m_lineStart = m_stored;
    m_stream.forget();
    return bytes.size();
}

bool ReadingStream::read(const std::string &path, PollMode mode, const Take &take)
{
    const std::unique_ptr<DataFileSource> source = DataFileSource::open(path);
    if (!source)
        return false;
    read(*source, mode, take);
    return true;
}

void ReadingStream::read(ByteSource &source, PollMode mode, const Take &take)
{
    m_mode = mode;
    m_take = &take;
    std::atomic<ReaderEndReason> endReason{ReaderEndReason::Stopped};
    Reception reception(m_store);
    reception.setSource(&source);
    ReaderThreadProc(reception, m_stop, endReason, [this](quint32 lineCounter, qint64 lineStart) {
        if (lineCounter != 0 || lineStart != 0)
            post(lineCounter, lineStart);
    });
    m_endReason = endReason;
    // The last lines see as far as the input went.
    parseDue(m_store.m_stored);
    m_take = nullptr;
}

void ReadingStream::post(quint32 lineCounter, qint64 lineStart)
{
    if (lineStart == m_store.m_droppedStart)
        return;
    m_pending.push_back({{lineCounter, lineStart}, m_store.m_stored});
    parseDue(m_store.m_stored - LineView);
}

// Parses the waiting lines that end at lineEnd or before, each with its view.
void ReadingStream::parseDue(std::int64_t lineEnd)
{
    while (!m_pending.empty() && m_pending.front().end <= lineEnd && !m_stop) {
        parse(m_pending.front(), std::min(m_pending.front().end + LineView, m_store.m_stored));
        m_pending.pop_front();
    }
}

void ReadingStream::parse(const PendingLine &line, std::int64_t viewEnd)
{
    const std::span<const char> view(m_store.m_bytes.data(),
                                     static_cast<std::size_t>(viewEnd - m_store.m_base));
    DeviceReading reading{};
    if (!ReceivedReading(view, {line.posted.lineCounter, line.posted.lineStart - m_store.m_base},
                         m_mode, reading))
        return;
    ++m_readings;
    if (!(*m_take)(reading))
        m_stop = true;
}

// Lets go of the bytes no line to parse needs.
void ReadingStream::forget()
{
    const std::int64_t needed =
        m_pending.empty() ? m_store.m_lineStart : m_pending.front().posted.lineStart;
    const std::int64_t unneeded = needed - m_store.m_base;
    if (unneeded < ForgetStep)
        return;
    m_store.m_bytes.erase(m_store.m_bytes.begin(), m_store.m_bytes.begin() + unneeded);
    m_store.m_base = needed;
}
