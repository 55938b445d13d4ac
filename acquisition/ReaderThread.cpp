#include "acquisition/ReaderThread.h"

#include "acquisition/ByteSource.h"
#include "acquisition/ReceiveBuffer.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Shorter lines are no instrument reading: the line after one is a fragment too.
constexpr std::int32_t ShortestPostedLine = 26;
// How long a poll-period sleep may go without looking at the stop event.
constexpr milliseconds SleepSlice{50};

class LineReader
{
public:
    LineReader(ByteSource *source, ReceiveStore &store, const std::atomic<bool> &stopEvent,
               const DeviceLinePost &post)
        : m_source(source), m_store(store), m_stopEvent(stopEvent), m_post(post)
    {}

    ReaderEndReason run();

private:
    bool ending();
    void noteFailure(ReadResult result);
    bool readByte();
    void resynchronise();
    std::int32_t readLine();
    void keepPollPeriod(Clock::time_point lineBegan);
    void sleepUntil(Clock::time_point wakeUp);

    ByteSource *const m_source;
    ReceiveStore &m_store;
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
        const Clock::time_point lineBegan = Clock::now();
        const std::int32_t stored = readLine();
        if (m_end)
            break;
        if (stored >= ShortestPostedLine)
            m_post(m_lineCounter, lineStart);
        else
            m_lastByte = 0;
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

// Skips, unstored, the rest of a line that cannot be kept.
void LineReader::resynchronise()
{
    do
        readByte();
    while (!ending() && m_lastByte != '\n');
}

// Appends one line to ReceiveBuffer; returns the count of its bytes stored.
std::int32_t LineReader::readLine()
{
    std::int32_t stored = 0;
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
    }
    return stored;
}

// A line read faster than the poll period is followed by a wait for the rest of the period;
// what came meanwhile is dropped, and the line then in progress is skipped.
void LineReader::keepPollPeriod(Clock::time_point lineBegan)
{
    const milliseconds period{PollPeriodMs.load()};
    if (period.count() == 0 || Clock::now() - lineBegan >= period)
        return;
    sleepUntil(lineBegan + period);
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

class SharedBufferStore final : public ReceiveStore
{
public:
    qint64 stored() const override { return ReceiveLength; }

    bool store(char byte) override
    {
        const std::int32_t length = ReceiveLength.load(std::memory_order_relaxed);
        if (length < 0 || static_cast<std::size_t>(length) >= ReceiveBufferSize)
            return false;
        ReceiveBuffer[length] = byte;
        ReceiveLength.store(length + 1, std::memory_order_release);
        return true;
    }
};

} // namespace

ReceiveStore &SharedReceiveBuffer()
{
    static SharedBufferStore store;
    return store;
}

void ReaderThreadProc(ByteSource *source, ReceiveStore &store, const std::atomic<bool> &stopEvent,
                      std::atomic<ReaderEndReason> &endReason, const DeviceLinePost &post)
{
    endReason = LineReader(source, store, stopEvent, post).run();
    post(0, 0);
}

void ReaderThreadProc(const std::atomic<bool> &stopEvent, std::atomic<ReaderEndReason> &endReason,
                      const DeviceLinePost &post)
{
    ReaderThreadProc(g_port, SharedReceiveBuffer(), stopEvent, endReason, post);
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

void ReaderThread::start()
{
    start(g_port, SharedReceiveBuffer());
}

void ReaderThread::start(ByteSource *source, ReceiveStore &store)
{
    if (m_thread.joinable())
        return;
    m_thread = std::thread([this, source, &store] {
        ReaderThreadProc(source, store, m_stopEvent, m_endReason,
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
        const std::lock_guard lock(m_waitingLock);
        m_waiting.push_back(line);
        announce = !std::exchange(m_announced, true);
    }
    if (announce)
        emit linesWaiting();
}

std::vector<PostedLine> ReaderThread::takeLines()
{
    std::vector<PostedLine> lines;
    const std::lock_guard lock(m_waitingLock);
    lines.swap(m_waiting);
    m_announced = false;
    return lines;
}
