#include "acquisition/ReadingQueue.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// "ORMA-QUEUE 1 base=00000000000000000000 head=00000000000000000000\n": rewritten in place.
constexpr int HeaderSize = 65;
constexpr std::size_t LongestLine = 64 * 1024;

QByteArray headerText(std::int64_t base, std::int64_t head)
{
    char text[HeaderSize + 1];
    std::snprintf(text, sizeof text, "ORMA-QUEUE 1 base=%020lld head=%020lld\n",
                  static_cast<long long>(base), static_cast<long long>(head));
    return QByteArray(text, HeaderSize);
}

bool readHeader(const QByteArray &text, std::int64_t &base, std::int64_t &head)
{
    long long b = 0;
    long long h = 0;
    if (text.size() != HeaderSize ||
        std::sscanf(text.constData(), "ORMA-QUEUE 1 base=%20lld head=%20lld\n", &b, &h) != 2 ||
        headerText(b, h) != text || b < 0 || h < b)
        return false;
    base = b;
    head = h;
    return true;
}

bool readWhole(int fd, char *data, std::size_t size, off_t offset, std::size_t &read)
{
    read = 0;
    while (read < size) {
        const ssize_t n = ::pread(fd, data + read, size - read, offset + off_t(read));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        read += std::size_t(n);
    }
    return true;
}

bool writeWhole(int fd, const char *data, std::size_t size, off_t offset)
{
    for (std::size_t written = 0; written < size;) {
        const ssize_t n = ::pwrite(fd, data + written, size - written, offset + off_t(written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        written += std::size_t(n);
    }
    return true;
}

} // namespace

ReadingQueue::~ReadingQueue()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool ReadingQueue::fail(const QString &what)
{
    m_error = QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(std::strerror(errno)));
    return false;
}

bool ReadingQueue::open(const QString &path)
{
    if (load(path))
        return true;
    // A file that is no queue is neither written to nor held.
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    return false;
}

bool ReadingQueue::load(const QString &path)
{
    m_path = path;
    m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (m_fd < 0)
        return fail(path);
    if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        m_error = errno == EWOULDBLOCK ? QStringLiteral("%1: in use by another orma-cli").arg(path)
                                       : QString();
        return m_error.isEmpty() ? fail(path) : false;
    }
    struct stat status = {};
    if (::fstat(m_fd, &status) != 0)
        return fail(path);
    if (status.st_size == 0) {
        m_base = m_head = 0;
        m_size = 0;
        return writeHeader() || fail(path);
    }
    QByteArray header(HeaderSize, '\0');
    std::size_t read = 0;
    if (!readWhole(m_fd, header.data(), HeaderSize, 0, read))
        return fail(path);
    if (read != HeaderSize || !readHeader(header, m_base, m_head) ||
        m_head - m_base > status.st_size - HeaderSize) {
        m_error = QStringLiteral("%1: not a queue of orma-cli").arg(path);
        return false;
    }
    // A line cut by a kill at its writing is no line: the file ends at the last whole one.
    m_size = status.st_size - HeaderSize;
    while (m_size > m_head - m_base) {
        char last = 0;
        if (!readWhole(m_fd, &last, 1, off_t(HeaderSize + m_size - 1), read) || read != 1)
            return fail(path);
        if (last == '\n')
            break;
        --m_size;
    }
    if (::ftruncate(m_fd, off_t(HeaderSize + m_size)) != 0)
        return fail(path);
    m_waiting = linesBetween(m_head, end());
    return true;
}

bool ReadingQueue::writeHeader()
{
    const QByteArray header = headerText(m_base, m_head);
    return writeWhole(m_fd, header.constData(), HeaderSize, 0);
}

bool ReadingQueue::append(const QByteArray &line)
{
    if (m_fd < 0)
        return false;
    const std::int64_t length = line.size() + 1;
    if (m_size + length > m_limit) {
        if (end() + length - m_head > m_limit)
            dropOldest(m_limit * 3 / 4 - length);
        if (!compact())
            return false;
    }
    if (!writeWhole(m_fd, (line + '\n').constData(), std::size_t(length),
                    off_t(HeaderSize + m_size)))
        return fail(m_path);
    m_size += length;
    ++m_waiting;
    return true;
}

std::optional<ReadingQueue::Entry> ReadingQueue::at(std::int64_t position) const
{
    if (m_fd < 0 || position < m_base || position >= end())
        return std::nullopt;
    QByteArray chunk;
    std::size_t want = 512;
    for (;;) {
        chunk.resize(qsizetype(want));
        std::size_t read = 0;
        const std::int64_t left = end() - position;
        if (!readWhole(m_fd, chunk.data(), std::min<std::size_t>(want, std::size_t(left)),
                       off_t(HeaderSize + position - m_base), read))
            return std::nullopt;
        chunk.truncate(qsizetype(read));
        const qsizetype feed = chunk.indexOf('\n');
        if (feed >= 0)
            return Entry{chunk.left(feed), position + feed + 1};
        if (std::int64_t(read) >= left)
            return std::nullopt;
        if (want >= LongestLine)
            break;
        want *= 4;
    }
    // No line of ours is that long: it is passed over as an empty line.
    for (std::int64_t at = position + std::int64_t(want); at < end();) {
        std::size_t read = 0;
        if (!readWhole(m_fd, chunk.data(), std::size_t(chunk.size()),
                       off_t(HeaderSize + at - m_base), read) ||
            read == 0)
            return std::nullopt;
        const qsizetype feed =
            QByteArray::fromRawData(chunk.constData(), qsizetype(read)).indexOf('\n');
        if (feed >= 0)
            return Entry{QByteArray(), at + feed + 1};
        at += std::int64_t(read);
    }
    return std::nullopt;
}

std::uint64_t ReadingQueue::linesBetween(std::int64_t from, std::int64_t to) const
{
    std::uint64_t lines = 0;
    char buffer[65536];
    for (std::int64_t at = from; at < to;) {
        std::size_t read = 0;
        const std::size_t want = std::size_t(std::min<std::int64_t>(sizeof buffer, to - at));
        if (!readWhole(m_fd, buffer, want, off_t(HeaderSize + at - m_base), read) || read == 0)
            break;
        for (std::size_t i = 0; i < read; ++i)
            lines += buffer[i] == '\n' ? 1 : 0;
        at += std::int64_t(read);
    }
    return lines;
}

bool ReadingQueue::release(std::int64_t position)
{
    if (m_fd < 0 || position <= m_head)
        return true;
    position = std::min(position, end());
    const std::uint64_t lines = linesBetween(m_head, position);
    m_waiting -= std::min(lines, m_waiting);
    m_head = position;
    if (m_head == end()) {
        // Everything is delivered: the file is cut to its header, which is cheap.
        m_base = m_head;
        m_size = 0;
        if (::ftruncate(m_fd, HeaderSize) != 0)
            return fail(m_path);
    }
    return writeHeader() || fail(m_path);
}

void ReadingQueue::dropOldest(std::int64_t keep)
{
    std::int64_t head = m_head;
    std::uint64_t dropped = 0;
    while (end() - head > keep) {
        const std::optional<Entry> entry = at(head);
        if (!entry)
            break;
        head = entry->next;
        ++dropped;
    }
    m_head = head;
    m_waiting -= std::min(dropped, m_waiting);
    m_dropped += dropped;
}

// The lines not delivered move into a new file, which replaces the old one whole.
bool ReadingQueue::compact()
{
    const QString newPath = m_path + QStringLiteral(".new");
    const int fd = ::open(QFile::encodeName(newPath).constData(),
                          O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return fail(newPath);
    ::flock(fd, LOCK_EX | LOCK_NB);
    const QByteArray header = headerText(m_head, m_head);
    bool written = writeWhole(fd, header.constData(), HeaderSize, 0);
    char buffer[65536];
    for (std::int64_t at = m_head; written && at < end();) {
        std::size_t read = 0;
        const std::size_t want = std::size_t(std::min<std::int64_t>(sizeof buffer, end() - at));
        written = readWhole(m_fd, buffer, want, off_t(HeaderSize + at - m_base), read) &&
                  read > 0 && writeWhole(fd, buffer, read, off_t(HeaderSize + at - m_head));
        at += std::int64_t(read);
    }
    if (!written || ::fdatasync(fd) != 0 ||
        ::rename(QFile::encodeName(newPath).constData(), QFile::encodeName(m_path).constData()) !=
            0) {
        fail(newPath);
        ::close(fd);
        ::unlink(QFile::encodeName(newPath).constData());
        return false;
    }
    ::close(m_fd);
    m_fd = fd;
    m_size = end() - m_head;
    m_base = m_head;
    return true;
}

bool ReadingQueue::sync()
{
    return m_fd < 0 || ::fdatasync(m_fd) == 0 || errno == EINVAL;
}
