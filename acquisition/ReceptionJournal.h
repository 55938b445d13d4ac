#pragma once

#include "acquisition/DeviceParser.h"
#include "companions/Prompts.h"

#include <QDateTime>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

class Reception;

// A journal left by a reception that did not end: the program was killed, crashed, or the
// computer lost power.
struct InterruptedReception
{
    QString path;
    PollMode mode = PollMode::FromMemory;
    // Invalid when the journal's name holds no date.
    QDateTime started;
    // Complete lines in the journal.
    int lines = 0;
};

// What becomes of an interrupted reception's journal once the user answered its offer.
enum class RecoveryChoice
{
    Restore,  // its rows are read back; it stays until they are saved or let go
    Discard,  // it is removed
    AskAgain, // it stays as it is, offered again at the next start
};

// Only No lets the rows go: Cancel, and Escape with it, leaves the question for the next
// start, so that a reflex does not delete a reception.
RecoveryChoice RecoveryChoiceFor(Prompts::Answer answer);

// The copy on disk of a reception from a port, so that its readings survive the program. It
// appends the bytes the reception keeps in memory to a file in folder, named by the poll mode
// and the reception's start, from a thread of its own that flushes the file to disk at least
// once a second. Ending it removes the file: a reception that ends, normally or by closing the
// window, no longer needs it.
class ReceptionJournal
{
public:
    ReceptionJournal() = default;
    ReceptionJournal(const ReceptionJournal &) = delete;
    ReceptionJournal &operator=(const ReceptionJournal &) = delete;
    ~ReceptionJournal();

    // Starts the journal of reception, which starts now with no bytes and outlives the
    // journal; false, with no journal kept, when its file cannot be made.
    bool start(const Reception &reception, const QString &folder, PollMode mode,
               const QDateTime &started);
    // Set once a write to the journal failed; the journal then writes nothing more.
    bool failed() const { return m_failed; }
    // The journal's file while one is kept; empty otherwise.
    const QString &path() const { return m_path; }
    // Removes the journal at path with the notes kept beside it.
    static void remove(const QString &path);
    // Stops the journal and removes its file; for a reception whose rows are on disk or let
    // go. Call only once the reader has ended or before it starts.
    void end();
    // Stops the journal but keeps its file, for a reception that ended with rows that are on
    // disk nowhere else: a crash or a kill before they are saved still finds them. end()
    // removes it later.
    void finish();

    // The journal a reception left in folder, if any: the newest when there are several. A
    // journal that a running copy of the program still writes or holds is not offered; one
    // whose writer has ended, also as a zombie, is. An empty journal of an ended writer is
    // removed.
    static std::optional<InterruptedReception> find(const QString &folder);
    // Takes found over for this process, so that no other copy of the program offers it
    // while this one holds its rows; returns the journal's path now.
    static QString adopt(const InterruptedReception &found);
    // The question that offers found back: its count of lines, and its start, with the date
    // when that is not today.
    static QString offerText(const InterruptedReception &found, const QDate &today);

private:
    void run();
    // Writes the bytes stored since the last call and flushes them to disk.
    bool append();

    enum class FinalWrite
    {
        Made,
        Skipped
    };
    // Stops the writer, with a last write of what the reception holds unless skipped.
    void stopWriter(FinalWrite finalWrite);

    const Reception *m_reception = nullptr;
    QString m_path;
    int m_fd = -1;
    std::thread m_writer;
    std::mutex m_lock;
    std::condition_variable m_wake;
    bool m_stopping = false;
    FinalWrite m_finalWrite = FinalWrite::Made;
    std::atomic<bool> m_failed{false};
    std::size_t m_written = 0;
};
