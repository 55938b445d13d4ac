#include "acquisition/ReceptionFile.h"

#include <QFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
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

bool ReceptionFile::open(const QString &path, bool rotateDaily, Today today)
{
    const std::lock_guard lock(m_lock);
    m_basePath = path;
    m_rotate = rotateDaily;
    m_today = today ? std::move(today) : Today([] { return QDate::currentDate(); });
    m_day = m_today();
    return openFor(m_rotate ? dailyPath(path, m_day) : path);
}

bool ReceptionFile::openFor(const QString &path)
{
    if (m_fd >= 0) {
        ::fdatasync(m_fd);
        ::close(m_fd);
    }
    m_path = path;
    m_fd =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (m_fd < 0)
        m_error = systemError();
    return m_fd >= 0;
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
    m_line.push_back(byte);
    ++m_stored;
    return byte != '\n' || writeLine();
}

// A line goes to the file of the day it ended on.
bool ReceptionFile::writeLine()
{
    if (m_rotate && m_today() != m_day) {
        m_day = m_today();
        if (!openFor(dailyPath(m_basePath, m_day)))
            return false;
    }
    if (!WriteWhole(m_fd, m_line.data(), m_line.size())) {
        m_error = systemError();
        ::close(m_fd);
        m_fd = -1;
        return false;
    }
    m_tail += m_line;
    m_line.clear();
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
    return m_fd >= 0 && ::fdatasync(m_fd) == 0;
}

bool ReceptionFile::close()
{
    const std::lock_guard lock(m_lock);
    if (m_fd < 0)
        return false;
    bool written = m_line.empty() || WriteWhole(m_fd, m_line.data(), m_line.size());
    m_line.clear();
    written = ::fdatasync(m_fd) == 0 && written;
    written = ::close(m_fd) == 0 && written;
    m_fd = -1;
    if (!written)
        m_error = systemError();
    return written;
}

std::string ReceptionFile::bytesFrom(qint64 offset) const
{
    const std::lock_guard lock(m_lock);
    if (offset < m_tailStart || offset > m_tailStart + static_cast<qint64>(m_tail.size()))
        return {};
    return m_tail.substr(static_cast<std::size_t>(offset - m_tailStart));
}
