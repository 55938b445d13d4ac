#include "cli/InputFiles.h"

#include "cli/CliSupport.h"

#include "acquisition/DataFileSource.h"
#include "acquisition/ReceptionFile.h"
#include "acquisition/Timeline.h"
#include "companions/FormatOutTime.h"
#include "companions/OutputFile.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <limits>
#include <memory>
#include <span>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// How long a named pipe may go without a program that opens it for writing.
constexpr int PipeWriterWaitSeconds = 10;

// The reading under way, ended by a termination signal.
std::atomic<ReadingStream *> g_reading{nullptr};
volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void onInterruption(int)
{
    g_interrupted = 1;
    if (ReadingStream *stream = g_reading.load())
        stream->requestStop();
}

void catchInterruptions()
{
    struct sigaction action = {};
    action.sa_handler = onInterruption;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
}

// Says why the reading failed, and what it dropped.
int failWith(int status, QString text, const ReadingStream &stream)
{
    if (stream.droppedLines() > 0)
        text += QLatin1Char('\n') + DroppedLinesText(stream.droppedLines());
    return Fail(status, text);
}

// Opens the pipe at name for reading once a program has opened it for writing. Opened without
// waiting, a pipe's read tells apart a writer that sends nothing yet (EAGAIN) from none at all
// (0); the wait for the first is bounded, and ends on Ctrl+C. The source begins with the bytes
// that read gave; none, with error set unless interrupted, when no writer came.
std::unique_ptr<DataFileSource> openPipe(const QByteArray &name, QString &error)
{
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = QString::fromLocal8Bit(std::strerror(errno));
        return nullptr;
    }
    const QDeadlineTimer deadline(PipeWriterWaitSeconds * 1000);
    std::vector<char> first(DataFileSource::DefaultChunkSize);
    while (!g_interrupted) {
        const ssize_t count = ::read(fd, first.data(), first.size());
        if (count > 0 || (count < 0 && errno == EAGAIN)) {
            // A writer is there: from now on a read waits for its bytes.
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
            return DataFileSource::adopt(
                fd, std::span<const char>(first.data(),
                                          static_cast<std::size_t>(std::max<ssize_t>(count, 0))));
        }
        if (count == 0 && !deadline.hasExpired()) {
            QThread::msleep(50);
        } else if (count == 0) {
            error = Say("за %1 с ни одна программа не открыла канал для записи",
                        "no program opened the pipe for writing within %1 s")
                        .arg(PipeWriterWaitSeconds);
            break;
        } else if (errno != EINTR) {
            error = QString::fromLocal8Bit(std::strerror(errno));
            break;
        }
    }
    ::close(fd);
    return nullptr;
}

bool isPipe(const QByteArray &name)
{
    struct stat file = {};
    return ::stat(name.constData(), &file) == 0 && S_ISFIFO(file.st_mode);
}

} // namespace

int StreamInput(const QString &path, PollMode mode, const ReadingStream::Take &take)
{
    QByteArray name = QFile::encodeName(path);
    if (QFileInfo(path).isDir())
        return Fail(ExitInputUnreadable, Say("%1: это папка", "%1: is a folder").arg(path));
    catchInterruptions();
    ReadingStream stream;
    g_reading = &stream;
    bool opened = false;
    if (isPipe(name)) {
        // The reader would open a pipe by name and wait for a writer without end.
        QString error;
        if (const std::unique_ptr<DataFileSource> pipe = openPipe(name, error)) {
            stream.read(*pipe, mode, take);
            opened = true;
        } else if (!error.isEmpty()) {
            g_reading = nullptr;
            return Fail(ExitInputUnreadable, QStringLiteral("%1: %2").arg(path, error));
        }
    } else {
        opened = !g_interrupted && stream.read(name.toStdString(), mode, take);
    }
    g_reading = nullptr;
    if (g_interrupted)
        return failWith(ExitFailure,
                        Say("%1: чтение прервано после %2 байт, измерений: %3",
                            "%1: reading interrupted after %2 bytes and %3 readings")
                            .arg(path)
                            .arg(stream.bytesRead())
                            .arg(stream.readings()),
                        stream);
    if (!opened) {
        // The reader says only that it failed; the system says why.
        const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
        const QString reason = QString::fromLocal8Bit(std::strerror(fd < 0 ? errno : EIO));
        if (fd >= 0)
            ::close(fd);
        return Fail(ExitInputUnreadable, QStringLiteral("%1: %2").arg(path, reason));
    }
    if (stream.endReason() == ReaderEndReason::LinkLost)
        return failWith(ExitInputUnreadable,
                        Say("%1: ошибка чтения", "%1: reading failed").arg(path), stream);
    if (stream.readings() == 0)
        return failWith(ExitInputUnreadable,
                        Say("%1: нет ни одного измерения", "%1: holds no readings").arg(path),
                        stream);
    if (stream.droppedLines() > 0)
        Fail(ExitOk, QStringLiteral("%1: %2").arg(path, DroppedLinesText(stream.droppedLines())));
    return ExitOk;
}

int StreamTimeline(const QStringList &paths, PollMode mode, const ReadingStream::Take &take,
                   QDate *firstDay)
{
    if (paths.size() == 1)
        return StreamInput(paths.first(), mode, take);
    const Timeline timeline = JoinTimeline(paths);
    if (timeline.tooLong)
        return Fail(ExitUsage, Say("файлы охватывают больше %1 дней: %2 - %3",
                                   "the files span more than %1 days: %2 to %3")
                                   .arg(TimelineMostDays)
                                   .arg(timeline.firstDay().toString(Qt::ISODate),
                                        timeline.lastDay().toString(Qt::ISODate)));
    if (firstDay != nullptr)
        *firstDay = timeline.firstDay();
    for (const TimelineFile &file : timeline.files) {
        const std::int32_t offset = file.offset;
        const int read =
            StreamInput(file.path, mode, [&take, offset](const DeviceReading &reading) {
                DeviceReading onTimeline = reading;
                onTimeline.time += offset;
                return take(onTimeline);
            });
        if (read != ExitOk)
            return read;
    }
    return ExitOk;
}

std::optional<QStringList> OutputPaths(const QStringList &inputs, const QString &output,
                                       const QString &suffix, bool force, int &status)
{
    const bool intoFolder = QFileInfo(output).isDir();
    if (inputs.size() > 1 && !intoFolder) {
        status = Fail(ExitUsage, Say("для нескольких входных файлов -o должен быть папкой",
                                     "with several inputs -o must be a folder"));
        return std::nullopt;
    }
    QStringList outputs;
    QSet<QString> taken;
    for (const QString &input : inputs) {
        const QString path = intoFolder
                                 ? QDir(output).filePath(QFileInfo(input).completeBaseName() +
                                                         QLatin1Char('.') + suffix)
                                 : output;
        const QString canonical = QFileInfo(path).absoluteFilePath();
        if (taken.contains(canonical) || canonical == QFileInfo(input).absoluteFilePath()) {
            status = Fail(ExitUsage, Say("%1: выходной файл совпадает с другим файлом",
                                         "%1: the output would overwrite another file of this run")
                                         .arg(path));
            return std::nullopt;
        }
        taken.insert(canonical);
        if (const std::optional<int> refused = RefuseOutput(path, force)) {
            status = *refused;
            return std::nullopt;
        }
        outputs << path;
    }
    return outputs;
}

std::optional<int> RefuseOutput(const QString &path, bool force)
{
    const SaveTarget target = SaveTargetOf(path);
    if (target == SaveTarget::Refused)
        return Fail(ExitFailure,
                    Say("%1: не обычный файл, не канал и не символьное устройство: "
                        "не записывается",
                        "%1: not a regular file, a pipe or a character device: not written")
                        .arg(path));
    if (!force && target == SaveTarget::Replaced && QFileInfo::exists(path))
        return Fail(ExitOutputExists, Say("%1: файл уже есть (--force заменит его)",
                                          "%1: already exists (--force replaces it)")
                                          .arg(path));
    return std::nullopt;
}
