#include "acquisition/ReceptionFile.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Enough for a few dozen instrument lines.
constexpr std::size_t KeptTail = 4096;

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

bool WriteWhole(int fd, const char *data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

QDate DataFileDate(const QString &path)
{
    static const QRegularExpression dailyName(QStringLiteral(R"(-(\d{4}-\d{2}-\d{2})\.orm$)"));
    const QFileInfo file(path);
    const QRegularExpressionMatch match = dailyName.match(file.fileName());
    if (const QDate day =
            match.hasMatch() ? QDate::fromString(match.captured(1), Qt::ISODate) : QDate();
        day.isValid())
        return day;
    return file.exists() ? file.lastModified().date() : QDate();
}

ReceptionFile::~ReceptionFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

QString ReceptionFile::dailyPath(const QString &path, const QDate &day)
{
    QString base = path;
    if (base.endsWith(QStringLiteral(".orm")))
        base.chop(4);
    return base + QLatin1Char('-') + day.toString(QStringLiteral("yyyy-MM-dd")) +
           QStringLiteral(".orm");
}

bool ReceptionFile::open(const QString &path, bool rotateDaily, Today today, bool append)
{
    const std::lock_guard lock(m_lock);
    m_basePath = path;
    m_rotate = rotateDaily;
    m_today = today ? std::move(today) : Today([] { return QDate::currentDate(); });
    m_day = m_today();
    return openFor(m_rotate ? dailyPath(path, m_day) : path, append);
}

// The first file is made empty unless it is to be continued; a day's file the rotation comes
// to is appended to, as a logger restarted during that day left it.
bool ReceptionFile::openFor(const QString &path, bool append)
{
    if (m_fd >= 0) {
        if (m_regular)
            ::fdatasync(m_fd);
        ::close(m_fd);
    }
    m_path = path;
    // An appended file is read too: its last byte tells whether it ends on a whole line.
    m_fd = ::open(QFile::encodeName(path).constData(),
                  O_CREAT | O_CLOEXEC | (append ? O_RDWR | O_APPEND : O_WRONLY | O_TRUNC), 0644);
    struct stat status = {};
    if (m_fd < 0 || ::fstat(m_fd, &status) != 0) {
        fail();
        return false;
    }
    m_regular = S_ISREG(status.st_mode);
    m_fileSize = status.st_size;
    // A fragment another program left at the end must not run into the first line.
    char last = '\n';
    if (m_regular && m_fileSize > 0 && ::pread(m_fd, &last, 1, m_fileSize - 1) == 1 &&
        last != '\n') {
        if (!WriteWhole(m_fd, "\n", 1)) {
            fail();
            return false;
        }
        ++m_fileSize;
    }
    return true;
}

// Keeps the reason and closes: nothing more is written.
void ReceptionFile::fail()
{
    m_errno = errno;
    m_error = systemError();
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

QString ReceptionFile::currentPath() const
{
    const std::lock_guard lock(m_lock);
    return m_path;
}

QString ReceptionFile::error() const
{
    const std::lock_guard lock(m_lock);
    return m_error;
}

bool ReceptionFile::diskFull() const
{
    const std::lock_guard lock(m_lock);
    return m_errno == ENOSPC || m_errno == EDQUOT;
}

bool ReceptionFile::wroteNothing() const
{
    const std::lock_guard lock(m_lock);
    return !m_wroteLine;
}

bool ReceptionFile::kept(qint64 lineStart) const
{
    const std::lock_guard lock(m_lock);
    return !std::binary_search(m_droppedStarts.begin(), m_droppedStarts.end(), lineStart);
}

std::size_t ReceptionFile::droppedLines() const
{
    const std::lock_guard lock(m_lock);
    return m_droppedStarts.size();
}

qint64 ReceptionFile::stored() const
{
    const std::lock_guard lock(m_lock);
    return m_stored;
}

bool ReceptionFile::store(char byte)
{
    const std::lock_guard lock(m_lock);
    if (m_fd < 0)
        return false;
    ++m_stored;
    if (m_dropping) {
        if (byte == '\n') {
            m_dropping = false;
            m_lineStart = m_stored;
            m_tail.clear();
            m_tailStart = m_stored;
        }
        return true;
    }
    m_line.push_back(byte);
    if (byte == '\n')
        return writeLine();
    if (m_line.size() > LongestLine) {
        m_droppedStarts.push_back(m_lineStart);
        m_dropping = true;
        std::string().swap(m_line);
    }
    return true;
}

// A line goes to the file of the day it ended on. A write that fails takes back what it wrote
// of the line, so that the file ends on a whole line.
bool ReceptionFile::writeLine()
{
    if (m_rotate && m_today() != m_day) {
        m_day = m_today();
        if (!openFor(dailyPath(m_basePath, m_day), true))
            return false;
    }
    if (!WriteWhole(m_fd, m_line.data(), m_line.size())) {
        const int error = errno;
        if (m_regular)
            static_cast<void>(::ftruncate(m_fd, m_fileSize));
        errno = error;
        fail();
        return false;
    }
    m_fileSize += static_cast<qint64>(m_line.size());
    m_wroteLine = true;
    m_tail += m_line;
    m_line.clear();
    m_lineStart = m_stored;
    if (m_tail.size() > 2 * KeptTail) {
        const std::size_t dropped = m_tail.size() - KeptTail;
        m_tail.erase(0, dropped);
        m_tailStart += static_cast<qint64>(dropped);
    }
    return true;
}

bool ReceptionFile::sync()
{
    const std::lock_guard lock(m_lock);
    return m_fd >= 0 && (!m_regular || ::fdatasync(m_fd) == 0);
}

bool ReceptionFile::close()
{
    const std::lock_guard lock(m_lock);
    if (m_fd < 0)
        return false;
    m_line.clear();
    bool written = !m_regular || ::fdatasync(m_fd) == 0;
    int error = errno;
    if (::close(m_fd) != 0 && written) {
        written = false;
        error = errno;
    }
    m_fd = -1;
    if (!written) {
        errno = error;
        m_errno = error;
        m_error = systemError();
    }
    return written;
}

std::string ReceptionFile::bytesFrom(qint64 offset) const
{
    const std::lock_guard lock(m_lock);
    if (offset < m_tailStart || offset > m_tailStart + static_cast<qint64>(m_tail.size()))
        return {};
    return m_tail.substr(static_cast<std::size_t>(offset - m_tailStart));
}
