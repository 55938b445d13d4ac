#include "acquisition/ReceptionJournal.h"

#include "acquisition/ProcessCommand.h"
#include "acquisition/Reception.h"
#include "acquisition/ReceptionFile.h"
#include "companions/ReadingNotes.h"
#include "companions/RussianCount.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <chrono>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Written and flushed at least this often: a lost power loses at most about a second.
constexpr std::chrono::milliseconds FlushInterval{500};

const QString TimeFormat = QStringLiteral("yyyyMMdd-HHmmss");
const QRegularExpression
    JournalName(QStringLiteral("^reception-(memory|continuous)-(\\d{8}-\\d{6})-(\\d+)\\.orm$"));

// The journal's name says how to read it back, when its reception began and which process
// writes it.
QString journalName(PollMode mode, const QDateTime &started, qint64 pid)
{
    return QStringLiteral("reception-%1-%2-%3.orm")
        .arg(mode == PollMode::Continuous ? QStringLiteral("continuous") : QStringLiteral("memory"),
             started.toString(TimeFormat), QString::number(pid));
}

// A journal whose writer still runs belongs to a reception that goes on in another window. A
// writer that was killed keeps its name while it waits to be reaped: it runs no more.
bool writerRuns(const QString &pid)
{
    const std::string command = ProcessCommand(pid.toStdString());
    return !command.empty() && command == ProcessCommand("self") &&
           !ProcessIsZombie(pid.toStdString());
}

int countLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    int lines = 0;
    while (!file.atEnd())
        lines += static_cast<int>(file.read(64 * 1024).count('\n'));
    return lines;
}

} // namespace

RecoveryChoice RecoveryChoiceFor(Prompts::Answer answer)
{
    switch (answer) {
    case Prompts::Answer::Yes:
        return RecoveryChoice::Restore;
    case Prompts::Answer::No:
        return RecoveryChoice::Discard;
    case Prompts::Answer::Ok:
    case Prompts::Answer::Cancel:
        break;
    }
    return RecoveryChoice::AskAgain;
}

ReceptionJournal::~ReceptionJournal()
{
    end();
}

bool ReceptionJournal::start(const Reception &reception, const QString &folder, PollMode mode,
                             const QDateTime &started)
{
    end();
    if (!QDir().mkpath(folder))
        return false;
    const QString path =
        QDir(folder).filePath(journalName(mode, started, QCoreApplication::applicationPid()));
    m_fd =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (m_fd < 0)
        return false;
    m_reception = &reception;
    m_path = path;
    m_written = 0;
    m_failed = false;
    m_stopping = false;
    m_finalWrite = FinalWrite::Made;
    m_writer = std::thread([this] { run(); });
    return true;
}

void ReceptionJournal::end()
{
    // The file goes: its last bytes need not reach the disk first.
    stopWriter(FinalWrite::Skipped);
    if (!m_path.isEmpty())
        remove(m_path);
    m_path.clear();
}

void ReceptionJournal::remove(const QString &path)
{
    QFile::remove(path);
    QFile::remove(NotesFilePath(path));
}

void ReceptionJournal::finish()
{
    stopWriter(FinalWrite::Made);
}

void ReceptionJournal::stopWriter(FinalWrite finalWrite)
{
    if (!m_writer.joinable())
        return;
    {
        const std::lock_guard lock(m_lock);
        m_stopping = true;
        m_finalWrite = finalWrite;
    }
    m_wake.notify_one();
    m_writer.join();
    ::close(m_fd);
    m_fd = -1;
}

void ReceptionJournal::run()
{
    std::unique_lock lock(m_lock);
    while (!m_stopping) {
        m_wake.wait_for(lock, FlushInterval, [this] { return m_stopping; });
        if (m_stopping && m_finalWrite == FinalWrite::Skipped)
            break;
        // A sync can take seconds on a busy disk; the window asking the writer to stop must
        // not wait for it behind the lock.
        lock.unlock();
        if (!m_failed && !append())
            m_failed = true;
        lock.lock();
    }
}

bool ReceptionJournal::append()
{
    const std::span<const char> stored = m_reception->bytes();
    if (stored.size() <= m_written)
        return true;
    if (!WriteWhole(m_fd, stored.data() + m_written, stored.size() - m_written))
        return false;
    m_written = stored.size();
    return ::fdatasync(m_fd) == 0;
}

std::optional<InterruptedReception> ReceptionJournal::find(const QString &folder)
{
    std::optional<InterruptedReception> newest;
    const QStringList names =
        QDir(folder).entryList({QStringLiteral("reception-*.orm")}, QDir::Files, QDir::Name);
    for (const QString &name : names) {
        const QRegularExpressionMatch match = JournalName.match(name);
        if (!match.hasMatch() || writerRuns(match.captured(3)))
            continue;
        InterruptedReception found;
        found.path = QDir(folder).filePath(name);
        // A reception that ended before its first byte left nothing to offer.
        if (QFileInfo(found.path).size() == 0) {
            remove(found.path);
            continue;
        }
        found.mode = match.captured(1) == QStringLiteral("continuous") ? PollMode::Continuous
                                                                       : PollMode::FromMemory;
        found.started = QDateTime::fromString(match.captured(2), TimeFormat);
        if (!newest || found.started > newest->started)
            newest = found;
    }
    if (newest)
        newest->lines = countLines(newest->path);
    return newest;
}

QString ReceptionJournal::adopt(const InterruptedReception &found)
{
    // Only the writer changes: the name keeps its start as written, also one that is no date.
    const QFileInfo file(found.path);
    const QRegularExpressionMatch match = JournalName.match(file.fileName());
    if (!match.hasMatch())
        return found.path;
    const QString path =
        file.dir().filePath(QStringLiteral("reception-%1-%2-%3.orm")
                                .arg(match.captured(1), match.captured(2),
                                     QString::number(QCoreApplication::applicationPid())));
    if (!QFile::rename(found.path, path))
        return found.path;
    // The notes go with their journal; without them the journal is still whole.
    QFile::rename(NotesFilePath(found.path), NotesFilePath(path));
    return path;
}

QString ReceptionJournal::offerText(const InterruptedReception &found, const QDate &today)
{
    QString details = RussianCount(found.lines, QStringLiteral("строка"), QStringLiteral("строки"),
                                   QStringLiteral("строк"));
    if (found.started.isValid()) {
        const QString format = found.started.date() == today
                                   ? QStringLiteral("HH:mm:ss")
                                   : QStringLiteral("dd.MM.yyyy HH:mm:ss");
        details += QStringLiteral(", начало ") + found.started.toString(format);
    }
    return QStringLiteral("Обнаружены данные прерванного приема (%1). Восстановить?").arg(details);
}
