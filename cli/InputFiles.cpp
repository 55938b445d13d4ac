#include "cli/InputFiles.h"

#include "cli/CliSupport.h"

#include "companions/OutputFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

int ReadInput(const QString &path, PollMode mode, ReadBack &readBack)
{
    const QByteArray name = QFile::encodeName(path);
    if (QFileInfo(path).isDir())
        return Fail(ExitInputUnreadable, Say("%1: это папка", "%1: is a folder").arg(path));
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
        const SaveTarget target = SaveTargetOf(path);
        if (target == SaveTarget::Refused) {
            status = Fail(ExitFailure,
                          Say("%1: не обычный файл, не канал и не символьное устройство: "
                              "не записывается",
                              "%1: not a regular file, a pipe or a character device: not written")
                              .arg(path));
            return std::nullopt;
        }
        if (!force && target == SaveTarget::Replaced && QFileInfo::exists(path)) {
            status = Fail(ExitOutputExists, Say("%1: файл уже есть (--force заменит его)",
                                                "%1: already exists (--force replaces it)")
                                                .arg(path));
            return std::nullopt;
        }
        outputs << path;
    }
    return outputs;
}
