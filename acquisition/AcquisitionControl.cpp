#include "acquisition/AcquisitionControl.h"

#include "acquisition/DataFileSource.h"
#include "acquisition/JoinedFileSource.h"
#include "acquisition/ReadBack.h"
#include "acquisition/ReaderThread.h"
#include "acquisition/ReceptionFile.h"
#include "acquisition/SerialPort.h"
#include "acquisition/Timeline.h"
#include "companions/RussianCount.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTimer>

#include <algorithm>
#include <limits>
#include <utility>

namespace {

// The longest the window's thread handles reported lines before it lets paint and timers run.
constexpr qint64 LineSliceMs = 15;
// The most lines a data file's reader lets wait for the window: a few slices' worth.
constexpr std::size_t FileLinesWaiting = 1 << 16;
// About 30 moves a second.
constexpr qint64 ProgressIntervalMs = 33;

QString receptionPrompt(PollMode mode)
{
    return mode == PollMode::FromMemory
               ? QStringLiteral("Подключите прибор к компьютеру.\nНажмите ОК и запустите "
                                "передачу данных с прибора в течение 3 минут.")
               : QStringLiteral("Подключите прибор к компьютеру.\nПереведите прибор в режим "
                                "\"сбор данных\".");
}

} // namespace

QString DataFileOpenError(const QString &path)
{
    const QFileInfo file(path);
    QString text = QStringLiteral("Ошибка открытия файла\n") + QDir::toNativeSeparators(path);
    if (!file.exists())
        text += QStringLiteral("\nФайл не найден.");
    else if (!file.isFile())
        text += QStringLiteral("\nЭто не обычный файл, а папка, устройство или канал.");
    else if (!file.isReadable())
        text += QStringLiteral("\nНет прав на чтение файла.");
    return text;
}

AcquisitionControl::AcquisitionControl(AcquisitionView &view, Prompts &prompts, QObject *parent)
    : QObject(parent), m_view(view), m_prompts(prompts)
{
    connect(&m_silence, &SilenceWatch::firstDataTimedOut, this,
            [this] { OnTimer(TIMER_FIRST_DATA); });
    connect(&m_silence, &SilenceWatch::silent, this, [this] { OnTimer(TIMER_NEXT_DATA); });
    m_nextSlice.setSingleShot(true);
    connect(&m_nextSlice, &QTimer::timeout, this, &AcquisitionControl::handleWaitingLines);
    m_table.setNoteTexts([this](int row) { return m_notes.textAt(rowTime(row)); });
}

AcquisitionControl::~AcquisitionControl()
{
    shutdown();
}

void AcquisitionControl::setSource(const QString &portName, bool sourceIsFile)
{
    m_portName = portName;
    m_sourceIsFile = sourceIsFile;
}

void AcquisitionControl::OnGetData()
{
    switch (m_state) {
    case AcquisitionState::Idle:
    case AcquisitionState::DataReady:
        startReception();
        break;
    case AcquisitionState::Receiving:
        if (m_fileSize)
            interruptFileRead();
        else
            requestStop();
        break;
    case AcquisitionState::Stopping:
        windUp();
        break;
    }
    m_view.updateControls();
}

void AcquisitionControl::startReception()
{
    // A file read back without asking holds only lines a reception kept: all are read.
    const std::optional<std::uint32_t> period =
        m_readBackPaths.isEmpty() ? pollPeriodMs() : std::optional<std::uint32_t>(0);
    if (!period)
        return;
    m_reception.setPollPeriodMs(*period);
    m_silence.prepare(m_mode, *period);

    // A source that does not open (or a file dialog the user cancelled) leaves the rows of
    // the last reception as they are: they may not be saved yet.
    if (!openSource())
        return;
    releaseRestoredJournal();
    m_unsaved = receivesFromPort() || m_readingJournal;
    m_rowsFromPort = receivesFromPort();
    m_state = AcquisitionState::Receiving;
    m_series.Clear();
    m_table.clear();
    if (!m_joinedFiles.empty())
        m_table.showFileColumn();
    else if (!m_readFileName.isEmpty())
        m_table.startFile(0, m_readFileName);
    m_newRows.clear();
    m_waitingLines.clear();
    m_nextWaiting = 0;
    if (receivesFromPort()) {
        m_notes.clear();
        showNotes();
    } else {
        loadNotes(m_notedFiles);
    }
    m_progressShown.invalidate();
    m_rowsShown.invalidate();
    // A data file is read whole, whatever its size; a port's reception keeps the buffer's
    // ceiling. The room made for a file's rows and records is only as much as its shortest
    // lines could fill; the memory of what is never filled is never touched.
    if (m_fileSize) {
        m_reception.keepWhole(static_cast<std::size_t>(*m_fileSize));
        const qint64 mostLines = std::min<qint64>(*m_fileSize / ShortestPostedLine,
                                                  std::numeric_limits<std::int32_t>::max());
        m_table.reserve(static_cast<std::size_t>(mostLines));
        m_series.Reserve(static_cast<std::int32_t>(mostLines));
    } else {
        m_reception.clear();
    }
    startJournal();
    m_stopEvent = false;
    m_readerThread = std::make_unique<ReaderThread>(m_stopEvent);
    if (m_fileSize)
        m_readerThread->setMostWaiting(FileLinesWaiting);
    connect(m_readerThread.get(), &ReaderThread::linesWaiting, this,
            &AcquisitionControl::OnLinesWaiting, Qt::QueuedConnection);
    m_readerThread->start(m_reception);
}

// The period counts only in continuous mode, where its edit box is shown; a value that
// cannot be a number of milliseconds is refused rather than wrapped.
std::optional<std::uint32_t> AcquisitionControl::pollPeriodMs()
{
    if (m_mode == PollMode::FromMemory)
        return 0;
    const std::optional<double> entered = m_view.enteredPeriod();
    const std::optional<std::uint32_t> periodMs =
        entered ? PollPeriodFromSeconds(*entered) : std::nullopt;
    if (!periodMs) {
        showError(QStringLiteral("Период опроса должен быть числом секунд от 0 до 4294967."));
        return std::nullopt;
    }
    m_period = *entered;
    return periodMs;
}

void AcquisitionControl::readBack(const QString &path)
{
    readBack(QStringList{path});
}

void AcquisitionControl::readBack(const QStringList &paths)
{
    if (paths.isEmpty() || m_state == AcquisitionState::Receiving ||
        m_state == AcquisitionState::Stopping)
        return;
    m_readBackPaths = paths;
    OnGetData();
    m_readBackPaths.clear();
}

void AcquisitionControl::restoreJournal(const InterruptedReception &found)
{
    if (m_state == AcquisitionState::Receiving || m_state == AcquisitionState::Stopping)
        return;
    const QString path = ReceptionJournal::adopt(found);
    m_readingJournal = true;
    readBack(path);
    m_readingJournal = false;
    if (m_state == AcquisitionState::Receiving) {
        m_restoredJournal = path;
        m_restoredWhole = false;
        // Notes added to the restored rows survive another crash as the rows do.
        m_notes.keepBesideJournal(path);
    }
}

void AcquisitionControl::settleInterruptedReception(const InterruptedReception &found,
                                                    RecoveryChoice choice)
{
    switch (choice) {
    case RecoveryChoice::Restore:
        setMode(found.mode);
        restoreJournal(found);
        break;
    case RecoveryChoice::Discard:
        ReceptionJournal::remove(found.path);
        break;
    case RecoveryChoice::AskAgain:
        break;
    }
}

void AcquisitionControl::markSaved()
{
    m_unsaved = false;
    m_journal.end();
    releaseRestoredJournal();
    m_notes.keepBesideJournal({});
}

QString AcquisitionControl::markSaved(const QString &path)
{
    const QString notesError = m_notes.saveBeside(path);
    markSaved();
    return notesError;
}

QString AcquisitionControl::saveNotesBack()
{
    return m_notes.saveBack();
}

std::int32_t AcquisitionControl::rowTime(int row) const
{
    const int record = m_table.recordIndexAt(row);
    return record >= 0 && record < m_series.count ? m_series.records[record].time : 0;
}

void AcquisitionControl::setNote(std::int32_t time, const QString &text, bool forReading)
{
    if (forReading ? m_notes.setAt(time, text) : m_notes.add(time, text))
        showNotes();
}

void AcquisitionControl::showNotes()
{
    m_table.notesChanged(!m_notes.empty());
}

void AcquisitionControl::loadNotes(const std::vector<RecordingNotes::File> &files)
{
    const QStringList problems = m_notes.load(files);
    showNotes();
    for (const QString &problem : problems)
        showError(problem);
}

// The restored rows leave the table or are saved: the journal is needed no more, unless it
// holds bytes the table never got.
void AcquisitionControl::releaseRestoredJournal()
{
    if (m_restoredWhole)
        ReceptionJournal::remove(m_restoredJournal);
    m_restoredJournal.clear();
    m_restoredWhole = false;
}

bool AcquisitionControl::openSource()
{
    m_fileSize.reset();
    m_joinedFiles.clear();
    m_joinedFile = 0;
    m_notedFiles.clear();
    m_sourceFiles.clear();
    m_readFileName.clear();
    if (!m_readBackPaths.isEmpty())
        return openDataFilesAt(m_readBackPaths);
    return m_sourceIsFile ? openDataFile() : openSerialPort();
}

bool AcquisitionControl::openDataFile()
{
    const QStringList paths = m_prompts.openFileNames(DataFileRequest);
    return !paths.isEmpty() && openDataFilesAt(paths);
}

bool AcquisitionControl::openDataFilesAt(const QStringList &paths)
{
    return paths.size() == 1 ? openDataFileAt(paths.first()) : openJoinedFiles(paths);
}

bool AcquisitionControl::openJoinedFiles(const QStringList &paths)
{
    std::vector<QDate> days;
    for (const QString &path : paths)
        days.push_back(DataFileDate(path));
    const std::optional<std::vector<QDate>> confirmed = m_prompts.confirmFileDays(paths, days);
    if (!confirmed)
        return false;
    const Timeline timeline = JoinTimeline(paths, *confirmed);
    if (timeline.tooLong || !timeline.firstDay().isValid()) {
        showError(QStringLiteral("Файлы нельзя показать одной кривой: они охватывают %1 - %2, "
                                 "а время измерений вмещает не больше %3 дней подряд.")
                      .arg(timeline.firstDay().toString(QStringLiteral("dd.MM.yyyy")),
                           timeline.lastDay().toString(QStringLiteral("dd.MM.yyyy")))
                      .arg(TimelineMostDays));
        return false;
    }
    QStringList ordered;
    for (const TimelineFile &file : timeline.files)
        ordered.push_back(file.path);
    QString failed;
    std::unique_ptr<JoinedFileSource> source = JoinedFileSource::open(ordered, failed);
    if (!source) {
        showError(DataFileOpenError(failed));
        return false;
    }
    for (std::size_t index = 0; index < timeline.files.size(); ++index) {
        m_joinedFiles.push_back({source->fileStarts()[index], timeline.files[index].offset,
                                 QFileInfo(timeline.files[index].path).fileName()});
        m_notedFiles.push_back({timeline.files[index].path, timeline.files[index].offset});
    }
    m_joinedDay = timeline.firstDay();
    m_sourceFiles = timeline.files;
    m_fileSize = source->size();
    m_link = std::move(source);
    m_reception.setSource(m_link.get());
    return true;
}

// A FIFO without a writer or a device would hold the window in open() or in its reads: only
// a regular file is read back.
bool AcquisitionControl::openDataFileAt(const QString &path)
{
    m_link =
        DataFileSource::open(QFile::encodeName(path).toStdString(),
                             DataFileSource::DefaultChunkSize, DataFileSource::Kinds::RegularOnly);
    if (!m_link) {
        showError(DataFileOpenError(path));
        return false;
    }
    m_reception.setSource(m_link.get());
    m_sourceFiles = {TimelineFile{path, DataFileDate(path), 0}};
    m_fileSize = QFileInfo(path).size();
    m_notedFiles = {{path, 0}};
    m_readFileName = QFileInfo(path).fileName();
    return true;
}

bool AcquisitionControl::openSerialPort()
{
    PortOpenResult opened = OpenPort(m_portName.toStdString());
    if (!opened.port) {
        showError(PortOpenErrorText(opened.failure, MessageLanguage::Russian));
        return false;
    }
    m_link = std::move(opened.port);
    m_reception.setSource(m_link.get());
    m_prompts.message(receptionPrompt(m_mode), QStringLiteral("Прием данных"),
                      Prompts::Icon::Information);
    m_silence.awaitFirstLine();
    return true;
}

void AcquisitionControl::requestStop()
{
    m_stopEvent = true;
    if (!m_waitCursorShown) {
        m_view.setWaitCursor(true);
        m_waitCursorShown = true;
    }
}

// Only a reception from a port is kept: a file read back is on disk already.
void AcquisitionControl::startJournal()
{
    m_journalFailureShown = false;
    if (m_journalFolder.isEmpty() || m_sourceIsFile || !m_readBackPaths.isEmpty())
        return;
    if (!m_journal.start(m_reception, m_journalFolder, m_mode, QDateTime::currentDateTime()))
        reportJournalFailure();
    else
        m_notes.keepBesideJournal(m_journal.path());
}

// Once a reception; the reception goes on without its copy on disk.
void AcquisitionControl::reportJournalFailure()
{
    if (std::exchange(m_journalFailureShown, true))
        return;
    showError(QStringLiteral("Не удается записать копию принимаемых данных на диск.\nПрием "
                             "продолжается, но при сбое программы данные будут потеряны."));
}

void AcquisitionControl::windUp()
{
    requestStop();
    waitForReader();
    const std::size_t received = m_reception.bytes().size();
    if (m_unsaved && received != 0)
        m_journal.finish();
    else
        m_journal.end();
    closeSource();
    // A journal's bytes all reached the buffer only when the read came to the file's end and
    // nothing was added since the journal was found.
    if (!m_restoredJournal.isEmpty())
        m_restoredWhole = m_endReason == ReaderEndReason::EndOfData &&
                          QFileInfo(m_restoredJournal).size() == qint64(received);
    if (received != 0) {
        m_state = AcquisitionState::DataReady;
    } else {
        m_state = AcquisitionState::Idle;
        showError(ReceptionEndText(ReceptionEnd::NoData, MessageLanguage::Russian));
    }
    m_view.setWaitCursor(false);
    m_waitCursorShown = false;
}

void AcquisitionControl::waitForReader()
{
    if (!m_readerThread)
        return;
    m_stopEvent = true;
    m_readerThread->wait();
    m_endReason = m_readerThread->endReason();
    m_readerThread.reset();
}

void AcquisitionControl::closeSource()
{
    m_reception.setSource(nullptr);
    m_link.reset();
}

void AcquisitionControl::OnDeviceLine(quint32 lineCounter, qint64 lineStart)
{
    // Lines still queued when the window closed the reception belong to no reception.
    if (m_state != AcquisitionState::Receiving)
        return;
    if (lineCounter == 0 && lineStart == 0) {
        m_silence.stop();
        flushRows();
        reportReaderEnd();
        m_state = AcquisitionState::Stopping;
        OnGetData();
        m_view.setProgress(0);
        return;
    }

    DeviceReading reading{};
    if (ReceivedReading(receivedBytes(), {lineCounter, lineStart}, m_mode, reading))
        acceptReading(reading, lineStart);

    // A data file has no silences: its reads never wait.
    if (!m_fileSize)
        m_silence.lineCame();
    showProgress({lineCounter, lineStart});
}

void AcquisitionControl::OnLinesWaiting()
{
    handleWaitingLines();
}

// Takes every line the reader has reported; false when none came.
bool AcquisitionControl::takeWaitingLines()
{
    if (!m_readerThread)
        return false;
    std::vector<PostedLine> lines = m_readerThread->takeLines();
    if (lines.empty())
        return false;
    m_waitingLines.push_back(std::move(lines));
    return true;
}

// The reader of a data file runs far ahead of the table: a stop ends the read at the rows the
// table holds, and the bytes past them are let go, so that a save writes what the table shows.
void AcquisitionControl::interruptFileRead()
{
    m_stopEvent = true;
    m_readerThread->wait();
    takeWaitingLines();
    std::size_t kept = receivedBytes().size();
    bool linesLeft = false;
    for (std::size_t batch = 0; batch < m_waitingLines.size() && !linesLeft; ++batch) {
        const std::vector<PostedLine> &lines = m_waitingLines[batch];
        const std::size_t first = batch == 0 ? m_nextWaiting : 0;
        // (0, 0), the reader's end, is no line.
        linesLeft = first < lines.size() && lines[first] != PostedLine{0, 0};
        if (linesLeft)
            kept = static_cast<std::size_t>(lines[first].lineStart);
    }
    m_waitingLines.clear();
    m_nextWaiting = 0;
    m_reception.truncate(kept);
    m_silence.stop();
    flushRows();
    m_view.setProgress(0);
    windUp();
    // A stop that came after the last line was read ends the read as its end would.
    const bool readWhole = !linesLeft && m_endReason == ReaderEndReason::EndOfData;
    if (m_state != AcquisitionState::DataReady || *m_fileSize <= 0 || readWhole)
        return;
    // The window shows the read ended before it says so.
    m_view.updateControls();
    // Rounded down: a file read in part never shows as read whole.
    const qint64 percent = std::min<qint64>(static_cast<qint64>(kept) * 100 / *m_fileSize, 99);
    m_prompts.message(QStringLiteral("Чтение файла прервано.\nПрочитано %1% файла, в таблице %2.")
                          .arg(percent)
                          .arg(RussianCount(m_table.rowCount(), QStringLiteral("строка"),
                                            QStringLiteral("строки"), QStringLiteral("строк"))),
                      QStringLiteral("Чтение файла"), Prompts::Icon::Information);
}

// A fast source reports thousands of lines at once: they are handled a slice of time at a
// time, the rows of a slice inserted at once, so that the window paints and its timers run
// between slices. The reader's lines are taken once those taken before are handled, so that a
// data file's reader, bounded in the lines it lets wait, keeps only a little ahead.
void AcquisitionControl::handleWaitingLines()
{
    QElapsedTimer slice;
    slice.start();
    while (slice.elapsed() < LineSliceMs && (!m_waitingLines.empty() || takeWaitingLines())) {
        const PostedLine line = m_waitingLines.front()[m_nextWaiting];
        if (++m_nextWaiting == m_waitingLines.front().size()) {
            m_waitingLines.pop_front();
            m_nextWaiting = 0;
        }
        OnDeviceLine(line.lineCounter, line.lineStart);
    }
    const qint64 rowsDue = m_rowsShown.isValid() ? m_rowsShownCost * 3 - m_rowsShown.elapsed() : 0;
    if (rowsDue <= 0)
        flushRows();
    else if (m_waitingLines.empty())
        QTimer::singleShot(rowsDue, this, &AcquisitionControl::flushRows);
    if (!m_waitingLines.empty() || takeWaitingLines())
        m_nextSlice.start();
    if (m_journal.failed())
        reportJournalFailure();
}

// The view lays out every row again for rows added: with millions of rows that costs more
// than the slice that read them, so the rows are handed over less often, never taking more than
// a quarter of the window's time.
void AcquisitionControl::flushRows()
{
    if (m_newRows.empty())
        return;
    QElapsedTimer shown;
    shown.start();
    m_table.appendRows(std::move(m_newRows));
    m_newRows.clear();
    m_rowsShownCost = shown.elapsed();
    m_rowsShown.start();
}

// The bar moves at most so often: each move repaints it at once. A data file's bar fills with
// the share of its bytes taken into the table; a port's runs round with the lines.
void AcquisitionControl::showProgress(const PostedLine &line)
{
    if (m_progressShown.isValid() && m_progressShown.elapsed() < ProgressIntervalMs)
        return;
    m_progressShown.start();
    if (m_fileSize && *m_fileSize > 0)
        m_view.setProgress(static_cast<int>(std::min<qint64>(line.lineStart, *m_fileSize) *
                                            ProgressRange / *m_fileSize));
    else
        m_view.setProgress(static_cast<int>(line.lineCounter % ProgressRange));
}

// The table shows a reading as its file holds it; the series places it on the timeline.
void AcquisitionControl::acceptReading(const DeviceReading &reading, qint64 lineStart)
{
    const int row = m_table.rowCount() + static_cast<int>(m_newRows.size());
    m_newRows.push_back({reading, m_series.count});
    if (m_joinedFiles.empty()) {
        AddReceivedRecord(m_series, reading);
        return;
    }
    const std::size_t before = m_joinedFile;
    while (m_joinedFile + 1 < m_joinedFiles.size() &&
           m_joinedFiles[m_joinedFile + 1].start <= lineStart)
        ++m_joinedFile;
    if (row == 0 || m_joinedFile != before)
        m_table.startFile(row, m_joinedFiles[m_joinedFile].name);
    DeviceReading onTimeline = reading;
    onTimeline.time += m_joinedFiles[m_joinedFile].offset;
    AddReceivedRecord(m_series, onTimeline);
    m_series.date = m_joinedDay;
}

// A reader that ended by itself, not on request, says why before the reception winds up.
void AcquisitionControl::reportReaderEnd()
{
    if (!m_readerThread)
        return;
    if (const std::optional<ReceptionEnd> end = EndToReport(m_readerThread->endReason()))
        showError(ReceptionEndText(*end, MessageLanguage::Russian));
}

void AcquisitionControl::OnTimer(int timerId)
{
    if (timerId == TIMER_FIRST_DATA) {
        m_silence.stop();
        m_prompts.message(
            ReceptionEndText(ReceptionEnd::FirstDataTimedOut, MessageLanguage::Russian),
            QStringLiteral("Тайм-аут"), Prompts::Icon::Exclamation);
        m_state = AcquisitionState::Receiving;
        OnGetData();
    } else if (timerId == TIMER_NEXT_DATA) {
        m_stopEvent = true;
    }
}

void AcquisitionControl::shutdown()
{
    m_silence.stop();
    // A journal still being read back was not read whole: it stays.
    const auto releaseJournal = qScopeGuard([this] { releaseRestoredJournal(); });
    if (!m_link)
        return;
    waitForReader();
    m_journal.end();
    closeSource();
    m_state = m_reception.bytes().empty() ? AcquisitionState::Idle : AcquisitionState::DataReady;
    if (m_waitCursorShown) {
        m_view.setWaitCursor(false);
        m_waitCursorShown = false;
    }
}

void AcquisitionControl::showError(const QString &text)
{
    m_prompts.message(text, ErrorCaption, Prompts::Icon::Exclamation);
}
