#pragma once

#include "acquisition/DeviceParser.h"
#include "acquisition/MeasurementTableModel.h"
#include "acquisition/ReaderThread.h"
#include "acquisition/Reception.h"
#include "acquisition/ReceptionJournal.h"
#include "acquisition/ReceptionRules.h"
#include "acquisition/RecordingNotes.h"
#include "acquisition/Timeline.h"
#include "companions/Prompts.h"
#include "companions/TermDataFile.h"

#include <QDate>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <atomic>
#include <deque>
#include <memory>
#include <optional>
#include <span>
#include <vector>

class ByteSource;

enum class AcquisitionState
{
    Idle = 0,
    Receiving = 1,
    Stopping = 2,
    DataReady = 3
};

// What a reception needs of the window that runs it.
class AcquisitionView
{
public:
    virtual ~AcquisitionView() = default;
    // The poll period typed by the user, in seconds; nullopt when the text is not a number.
    virtual std::optional<double> enteredPeriod() const = 0;
    virtual void setProgress(int position) = 0;
    virtual void setWaitCursor(bool shown) = 0;
    virtual void updateControls() = 0;
};

// The message for a data file that cannot be read back: the file's name and, where it tells,
// why (missing, not a regular file, not readable).
QString DataFileOpenError(const QString &path);

// The reception state machine behind the "Получить данные" / "Прервать" button: opens the
// source, runs the reader thread, turns every reported line into a table row and a record
// of the series, and ends the reception on silence, on request or when the source ends.
class AcquisitionControl : public QObject
{
    Q_OBJECT
public:
    static constexpr int TIMER_FIRST_DATA = 1;
    static constexpr int TIMER_NEXT_DATA = 2;
    static constexpr int ProgressRange = 4000;

    AcquisitionControl(AcquisitionView &view, Prompts &prompts, QObject *parent = nullptr);
    ~AcquisitionControl() override;

    AcquisitionState state() const { return m_state; }
    PollMode mode() const { return m_mode; }
    void setMode(PollMode mode) { m_mode = mode; }
    double period() const { return m_period; }

    // The source the next reception reads: a port path, or a data file chosen by the user.
    void setSource(const QString &portName, bool sourceIsFile);

    void setTimings(const AcquisitionTimings &timings) { m_silence.setTimings(timings); }

    // The folder of the journal that keeps a reception from a port on disk while it runs (see
    // ReceptionJournal); empty, as at construction, keeps none.
    void setJournalFolder(const QString &folder) { m_journalFolder = folder; }
    // Reads the file at path back as the source "file" does in the current mode, without
    // asking for a file; the source chosen for the next reception stays as it was.
    void readBack(const QString &path);
    // The same for several files, joined into one timeline (see JoinedFileSource and
    // JoinTimeline) once the user has confirmed their days: the table shows each row's file,
    // the series runs on across the days. One file is read as readBack(path) reads it.
    void readBack(const QStringList &paths);
    // Reads back the journal a reception left (see ReceptionJournal::find) and takes it over.
    // Its rows count as a reception's from a port that was not saved. The journal goes once
    // those rows are saved, replaced by another reception, or the window closes, provided it
    // was read back whole; a journal read in part or not at all stays on disk.
    void restoreJournal(const InterruptedReception &found);
    // Does with found what the user chose: reads it back in its mode, removes it, or leaves
    // it for the next start.
    void settleInterruptedReception(const InterruptedReception &found, RecoveryChoice choice);

    // True while the table holds the rows of a reception from a port (or from its journal)
    // that were not saved to a file.
    bool holdsUnsavedRows() const { return m_unsaved && m_state == AcquisitionState::DataReady; }
    // The current rows were saved to a file.
    void markSaved();
    // The current rows come from a port as the instrument sends them, not from a data file or
    // a journal read back.
    bool rowsFromPort() const { return m_rowsFromPort; }
    // The same, for a save that wrote the data file at path: the notes are written beside it.
    // Returns why the notes could not be written, or an empty string.
    QString markSaved(const QString &path);

    // The notes of the current recording, in the times of its series; read back with its
    // files, kept beside the journal of a reception from a port.
    const RecordingNotes &notes() const { return m_notes; }
    // Adds a note at time (a time of the series), or with forReading set replaces or removes
    // (empty text) the note of the reading at time. The table shows it at once.
    void setNote(std::int32_t time, const QString &text, bool forReading);
    // The time of the series at row of the table.
    std::int32_t rowTime(int row) const;
    // Writes changed notes back beside the files they were read from; why it failed, or empty.
    QString saveNotesBack();

    // The rows of the current reception, as the table shows them.
    MeasurementTableModel &table() { return m_table; }
    // The records of the current reception, in table row order.
    TermDataFile &series() { return m_series; }
    // Every byte the current reception received, as it came.
    std::span<const char> receivedBytes() const { return m_reception.bytes(); }
    // The current reception: its bytes, source and poll period.
    const Reception &reception() const { return m_reception; }
    // The data files the current rows were read from, in the order of their timeline; none
    // for a port or a journal.
    const std::vector<TimelineFile> &sourceFiles() const { return m_sourceFiles; }

    // Starts, stops or winds up a reception, by state.
    void OnGetData();
    // One line reported by the reader: its counter and its offset in the received bytes;
    // (0, 0) when the reader has ended.
    void OnDeviceLine(quint32 lineCounter, qint64 lineStart);
    // Handles the lines the reader has reported, in slices of time.
    void OnLinesWaiting();
    void OnTimer(int timerId);

    // Ends a running reception and closes the source without further prompts; for closing
    // the window.
    void shutdown();

private:
    void startReception();
    bool openSource();
    bool openDataFile();
    bool openDataFileAt(const QString &path);
    bool openDataFilesAt(const QStringList &paths);
    bool openJoinedFiles(const QStringList &paths);
    bool receivesFromPort() const { return !m_sourceIsFile && m_readBackPaths.isEmpty(); }
    void interruptFileRead();
    void startJournal();
    void releaseRestoredJournal();
    void reportJournalFailure();
    bool openSerialPort();
    std::optional<std::uint32_t> pollPeriodMs();
    void requestStop();
    void windUp();
    void waitForReader();
    void closeSource();
    void reportReaderEnd();
    void acceptReading(const DeviceReading &reading, qint64 lineStart);
    bool takeWaitingLines();
    void handleWaitingLines();
    void flushRows();
    void showProgress(const PostedLine &line);
    void showError(const QString &text);

    AcquisitionView &m_view;
    Prompts &m_prompts;
    AcquisitionState m_state = AcquisitionState::Idle;
    PollMode m_mode = PollMode::FromMemory;
    double m_period = 0;
    QString m_portName;
    bool m_sourceIsFile = false;
    // The size of the data file being read, for its progress; nullopt for a port.
    std::optional<qint64> m_fileSize;
    // Set means "reader, stop"; it starts set, as no reader runs.
    std::atomic<bool> m_stopEvent{true};
    std::unique_ptr<ByteSource> m_link;
    // Declared after the source, so that a reader still running ends before its source goes.
    Reception m_reception;
    std::unique_ptr<ReaderThread> m_readerThread;
    MeasurementTableModel m_table;
    // Rows accepted in the slice of lines being handled, inserted into m_table at its end.
    std::vector<MeasurementTableModel::Row> m_newRows;
    // Lines taken from the reader and not handled yet, in the batches they were taken in:
    // a data file's reader may hand over a million at once. m_nextWaiting indexes the first
    // batch.
    std::deque<std::vector<PostedLine>> m_waitingLines;
    std::size_t m_nextWaiting = 0;
    // Starts the next slice of lines. A timer, not a posted call: Qt runs its timers only once
    // no posted event waits, so a chain of posted slices would hold up every timer of the
    // window until the last line.
    QTimer m_nextSlice;
    QElapsedTimer m_progressShown;
    // When rows were last handed to the table, and how long the table took to take them.
    QElapsedTimer m_rowsShown;
    qint64 m_rowsShownCost = 0;
    TermDataFile m_series;
    SilenceWatch m_silence{SilenceWatch::ContinuousSilence::Ends};
    bool m_waitCursorShown = false;
    // A file to read back instead of asking for one; taken by the next reception.
    QStringList m_readBackPaths;
    std::vector<TimelineFile> m_sourceFiles;
    // The files of a joined read, in the order of the timeline: where each one's bytes begin
    // among the received ones, what its times move by, and its name; empty for one file or a
    // port. m_joinedFile indexes the file of the line being taken.
    struct JoinedFile
    {
        qint64 start;
        std::int32_t offset;
        QString name;
    };
    std::vector<JoinedFile> m_joinedFiles;
    std::size_t m_joinedFile = 0;
    QDate m_joinedDay;
    // The one data file read back, which names its rows in the outputs that ask (fileOf).
    QString m_readFileName;
    QString m_journalFolder;
    ReceptionJournal m_journal;
    bool m_journalFailureShown = false;
    // The current rows came from a port, or from a journal, and are on disk nowhere else.
    bool m_unsaved = false;
    bool m_rowsFromPort = false;
    bool m_readingJournal = false;
    // The journal whose rows the table holds, and whether all its bytes were read back.
    QString m_restoredJournal;
    bool m_restoredWhole = false;
    ReaderEndReason m_endReason = ReaderEndReason::Stopped;
    RecordingNotes m_notes;
    // The data files the reception being opened reads, whose notes come with its rows.
    std::vector<RecordingNotes::File> m_notedFiles;
    void loadNotes(const std::vector<RecordingNotes::File> &files);
    void showNotes();
};
