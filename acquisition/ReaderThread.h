#pragma once

#include <QObject>

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class Reception;

// The fewest bytes of a line the reader posts. Shorter lines are no instrument reading.
constexpr std::int32_t ShortestPostedLine = 26;

// The longest line a store that runs without end keeps; no instrument line comes near it,
// and a source that never sends a line feed would otherwise grow one line without end.
constexpr std::size_t LongestStoredLine = 64 * 1024;

// Why a reader ended. Every reason but Stopped ends the reading as a stop request would,
// keeping every byte stored so far.
enum class ReaderEndReason
{
    Stopped,    // the stop event was set, or there was no source
    EndOfData,  // the data file has been read to its end
    BufferFull, // a byte came with the store full
    LinkLost,   // the port failed or hung up
};

// Takes the reader's reports on the reader's thread: a line's counter and the offset of its
// first byte in the reception's store, and (0, 0) once when the reader has ended.
using DeviceLinePost = std::function<void(quint32 lineCounter, qint64 lineStart)>;

// The reader's body. Reads the reception's source one byte at a time and appends the bytes to
// its store, cutting them into lines at each line feed; posts every line of 26 bytes or more
// and keeps shorter ones stored but unposted. With a poll period it keeps one line per period,
// skipping unstored the line in progress when a period's wait ends. stopEvent is tested between
// reads: single bytes, or the part of a line a source already holds. Ends at once, as Stopped,
// without a source. Stores the reason it ended in endReason before posting (0, 0).
void ReaderThreadProc(Reception &reception, const std::atomic<bool> &stopEvent,
                      std::atomic<ReaderEndReason> &endReason, const DeviceLinePost &post);

// One report of the reader: a line's counter and the offset of its first byte in the store,
// or (0, 0) when the reader has ended.
struct PostedLine
{
    quint32 lineCounter;
    qint64 lineStart;
    bool operator==(const PostedLine &) const = default;
};

// Runs ReaderThreadProc on a thread of its own. Its reports wait for takeLines, so that a
// window takes every waiting line in one pass instead of one event per line.
class ReaderThread : public QObject
{
    Q_OBJECT
public:
    // stopEvent outlives the reader; setting it asks the reader to end.
    explicit ReaderThread(std::atomic<bool> &stopEvent, QObject *parent = nullptr);
    // A reader still running is asked to stop and waited for.
    ~ReaderThread() override;

    // With a bound, the reader waits while so many reports wait for takeLines: a data file's
    // reader would otherwise run far ahead of the window, its reports piling up in memory. A
    // port's reader never waits, as the port would drop what it cannot hold meanwhile. Before
    // start; 0, as at construction, sets no bound.
    void setMostWaiting(std::size_t count) { m_mostWaiting = count; }
    // Starts the reader of reception, which outlives the reader; once.
    void start(Reception &reception);
    // Blocks until the reader has ended; returns at once when it never started.
    void wait();
    // Why the reader ended; valid once its (0, 0) report has arrived.
    ReaderEndReason endReason() const { return m_endReason; }

    // The reports since the last call, in order.
    std::vector<PostedLine> takeLines();

signals:
    // Emitted on the reader's thread when a report comes and none was waiting, once until the
    // next takeLines: receivers connect with Qt::QueuedConnection.
    void linesWaiting();

private:
    void post(PostedLine line);

    std::mutex m_waitingLock;
    std::vector<PostedLine> m_waiting;
    std::condition_variable m_taken;
    std::size_t m_mostWaiting = 0;
    bool m_announced = false;
    std::atomic<bool> &m_stopEvent;
    std::atomic<ReaderEndReason> m_endReason{ReaderEndReason::Stopped};
    std::thread m_thread;
};
