#include "cli/InputFiles.h"

#include "cli/CliSupport.h"

#include "companions/OutputFile.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryFile>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// How long a named pipe may go without a program that opens it for writing.
constexpr int PipeWriterWaitSeconds = 10;

// Copies what is written into the pipe at name into copy, until its writers have closed it.
// Opened without waiting, a pipe's read tells apart a writer that sends nothing yet (EAGAIN)
// from none at all (0); the wait for the first is bounded. Returns the reason for a failure.
QString copyPipe(const QByteArray &name, QFile &copy)
{
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    const QDeadlineTimer deadline(PipeWriterWaitSeconds * 1000);
    bool writerSeen = false;
    QString error;
    std::vector<char> block(1 << 16);
    for (;;) {
        const ssize_t count = ::read(fd, block.data(), block.size());
        if (count > 0) {
            writerSeen = true;
            if (copy.write(block.data(), count) != count) {
                error = copy.errorString();
                break;
            }
        } else if (count < 0 && errno == EAGAIN) {
            writerSeen = true;
            pollfd waiting{fd, POLLIN, 0};
            ::poll(&waiting, 1, -1);
        } else if (count == 0 && writerSeen) {
            break;
        } else if (count == 0 && !deadline.hasExpired()) {
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
    return error.isEmpty() && !copy.flush() ? copy.errorString() : error;
}

bool isPipe(const QByteArray &name)
{
    struct stat file = {};
    return ::stat(name.constData(), &file) == 0 && S_ISFIFO(file.st_mode);
}

} // namespace

int ReadInput(const QString &path, PollMode mode, ReadBack &readBack)
{
    QByteArray name = QFile::encodeName(path);
    if (QFileInfo(path).isDir())
        return Fail(ExitInputUnreadable, Say("%1: это папка", "%1: is a folder").arg(path));
    // The reader opens its input by name, and a pipe opened so waits for a writer without end:
    // it is read into a file of its own first.
    QTemporaryFile copy(QDir::tempPath() + QStringLiteral("/orma-XXXXXX.orm"));
    if (isPipe(name)) {
        if (!copy.open())
            return Fail(ExitInputUnreadable,
                        QStringLiteral("%1: %2").arg(path, copy.errorString()));
        if (const QString error = copyPipe(name, copy); !error.isEmpty())
            return Fail(ExitInputUnreadable, QStringLiteral("%1: %2").arg(path, error));
        name = QFile::encodeName(copy.fileName());
    }
    if (!readBack.read(name.toStdString(), mode)) {
        // The reader says only that it failed; the system says why.
        const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
        const QString reason = QString::fromLocal8Bit(std::strerror(fd < 0 ? errno : EIO));
        if (fd >= 0)
            ::close(fd);
        return Fail(ExitInputUnreadable, QStringLiteral("%1: %2").arg(path, reason));
    }
    if (readBack.endReason() == ReaderEndReason::LinkLost)
        return Fail(ExitInputUnreadable, Say("%1: ошибка чтения", "%1: reading failed").arg(path));
    if (readBack.table().rowTotal() == 0)
        return Fail(ExitInputUnreadable,
                    Say("%1: нет ни одного измерения", "%1: holds no readings").arg(path));
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
