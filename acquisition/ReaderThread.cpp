#include "acquisition/ReaderThread.h"

#include "acquisition/ByteSource.h"
#include "acquisition/Reception.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <optional>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// How long a poll-period sleep may go without looking at the stop event.
constexpr milliseconds SleepSlice{50};

class LineReader
{
public:
    LineReader(Reception &reception, const std::atomic<bool> &stopEvent, const DeviceLinePost &post)
        : m_source(reception.source()), m_store(reception.store()),
          m_period(reception.pollPeriodMs()), m_stopEvent(stopEvent), m_post(post)
    {}

    ReaderEndReason run();

private:
    bool ending();
    void noteFailure(ReadResult result);
    bool readByte();
    std::int64_t storeHeldLineBytes();
    void resynchronise();
    std::int64_t readLine();
    void keepPollPeriod(Clock::time_point lineBegan);
    void sleepUntil(Clock::time_point wakeUp);

    ByteSource *const m_source;
    ReceiveStore &m_store;
    const milliseconds m_period;
    const std::atomic<bool> &m_stopEvent;
    const DeviceLinePost &m_post;
    char m_lastByte = '\n';
    quint32 m_lineCounter = 1;
    // Set once the reading is to end.
    std::optional<ReaderEndReason> m_end;
};

ReaderEndReason LineReader::run()
{
    while (m_source && !ending()) {
        const qint64 lineStart = m_store.stored();
        if (m_lastByte != '\n')
            resynchronise();
        m_lastByte = 0;
        // Without a poll period no line waits, and the clock is not read for each.
        const Clock::time_point lineBegan =
            m_period.count() != 0 ? Clock::now() : Clock::time_point{};
        const std::int64_t stored = readLine();
        if (m_end)
            break;
        // A short line (noise, or the fragment a port opened mid-line gives) is kept
        // unposted; it ended on its line feed, so the line after it is whole.
        if (stored >= ShortestPostedLine)
            m_post(m_lineCounter, lineStart);
        keepPollPeriod(lineBegan);
        ++m_lineCounter;
    }
    return m_end.value_or(ReaderEndReason::Stopped);
}

// True once the reading is to end, a stop request included.
bool LineReader::ending()
{
    if (!m_end && m_stopEvent)
        m_end = ReaderEndReason::Stopped;
    return m_end.has_value();
}

// The end of the source or of the link ends the reading as a stop request does.
void LineReader::noteFailure(ReadResult result)
{
    if (result == ReadResult::EndOfData)
        m_end = ReaderEndReason::EndOfData;
    else if (result == ReadResult::LinkLost)
        m_end = ReaderEndReason::LinkLost;
}

// Reads one byte into m_lastByte; false when none came.
bool LineReader::readByte()
{
    char byte = 0;
    const ReadResult result = m_source->readByte(byte);
    if (result != ReadResult::Byte) {
        noteFailure(result);
        return false;
    }
    m_lastByte = byte;
    return true;
}

// Stores what the source already holds of the line in progress, up to its line feed, as one
// read: a data file's lines are taken whole instead of a byte at a time. Returns the count of
// bytes stored; m_lastByte is the last of them.
std::int64_t LineReader::storeHeldLineBytes()
{
    const std::span<const char> held = m_source->heldBytes();
    if (held.empty())
        return 0;
    const auto *lineFeed = static_cast<const char *>(std::memchr(held.data(), '\n', held.size()));
    const std::size_t taken =
        lineFeed != nullptr ? static_cast<std::size_t>(lineFeed - held.data()) + 1 : held.size();
    m_source->skipHeld(taken);
    const std::size_t stored = m_store.storeBytes(held.first(taken));
    if (stored < taken)
        m_end = ReaderEndReason::BufferFull;
    if (stored > 0)
        m_lastByte = held[stored - 1];
    return static_cast<std::int64_t>(stored);
}

// Skips, unstored, the rest of a line that cannot be kept.
void LineReader::resynchronise()
{
    do
        readByte();
    while (!ending() && m_lastByte != '\n');
}

// Appends one line to the store; returns the count of its bytes stored.
std::int64_t LineReader::readLine()
{
    std::int64_t stored = 0;
    while (!ending()) {
        if (!readByte())
            continue;
        if (!m_store.store(m_lastByte)) {
            m_end = ReaderEndReason::BufferFull;
            break;
        }
        ++stored;
        if (m_lastByte == '\n')
            break;
        stored += storeHeldLineBytes();
        if (m_end || m_lastByte == '\n')
            break;
    }
    return stored;
}

// A line read faster than the poll period is followed by a wait for the rest of the period;
// what came meanwhile is dropped, and the line then in progress is skipped.
void LineReader::keepPollPeriod(Clock::time_point lineBegan)
{
    if (m_period.count() == 0 || Clock::now() - lineBegan >= m_period)
        return;
    sleepUntil(lineBegan + m_period);
    m_source->purgeReceive();
    m_lastByte = 0;
}

// The sleep ends early on a stop request, so that a long period does not hold up the end of
// the reception, nor the closing of the window that waits for it.
void LineReader::sleepUntil(Clock::time_point wakeUp)
{
    for (Clock::time_point now = Clock::now(); now < wakeUp && !m_stopEvent; now = Clock::now())
        std::this_thread::sleep_for(std::min<Clock::duration>(wakeUp - now, SleepSlice));
}

} // namespace

void ReaderThreadProc(Reception &reception, const std::atomic<bool> &stopEvent,
                      std::atomic<ReaderEndReason> &endReason, const DeviceLinePost &post)
{
    endReason = LineReader(reception, stopEvent, post).run();
    post(0, 0);
}

ReaderThread::ReaderThread(std::atomic<bool> &stopEvent, QObject *parent)
    : QObject(parent), m_stopEvent(stopEvent)
{}

ReaderThread::~ReaderThread()
{
    if (m_thread.joinable())
        m_stopEvent = true;
    wait();
}

void ReaderThread::start(Reception &reception)
{
    if (m_thread.joinable())
        return;
    m_thread = std::thread([this, &reception] {
        ReaderThreadProc(reception, m_stopEvent, m_endReason,
                         [this](quint32 lineCounter, qint64 lineStart) {
                             post({lineCounter, lineStart});
                         });
    });
}

void ReaderThread::wait()
{
    if (m_thread.joinable())
        m_thread.join();
}

void ReaderThread::post(PostedLine line)
{
    bool announce = false;
    {
        std::unique_lock lock(m_waitingLock);
        // The stop event is looked at while waiting; the reader's last report never waits.
        while (m_mostWaiting != 0 && m_waiting.size() >= m_mostWaiting && !m_stopEvent &&
               line != PostedLine{0, 0})
            m_taken.wait_for(lock, SleepSlice / 10);
        m_waiting.push_back(line);
        announce = !std::exchange(m_announced, true);
    }
    if (announce)
        emit linesWaiting();
}

std::vector<PostedLine> ReaderThread::takeLines()
{
    std::vector<PostedLine> lines;
    {
        const std::lock_guard lock(m_waitingLock);
        lines.swap(m_waiting);
        m_announced = false;
    }
    m_taken.notify_one();
    return lines;
}
