#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

// Lines waiting to be delivered, first in first out, kept in a file so that they outlive the
// program: what a run could not deliver, the next run over the same file delivers first.
// Every line is appended whole before it is handed on and leaves only when it is released as
// delivered; a killed run leaves its lines behind, and at worst delivers some again.
//
// Positions are counted over the queue's whole life, so a line keeps its position when the
// delivered lines before it are cut from the file. The file holds a header line with the
// position of its first byte and of the first line not delivered, then the lines.
class ReadingQueue
{
public:
    // At most so many bytes of lines are kept; past it the oldest go.
    static constexpr std::int64_t DefaultLimit = 64LL * 1024 * 1024;

    explicit ReadingQueue(std::int64_t limit = DefaultLimit) : m_limit(limit) {}
    ReadingQueue(const ReadingQueue &) = delete;
    ReadingQueue &operator=(const ReadingQueue &) = delete;
    ~ReadingQueue();

    // Opens the queue at path, with what an earlier run left in it, or makes it. False, with
    // error set, when it cannot be made or read, is no queue, or another run holds it.
    bool open(const QString &path);
    QString error() const { return m_error; }
    QString path() const { return m_path; }

    // Appends line, which holds no line feed. When the lines would pass the limit, the oldest
    // go first (dropped() counts them). False, with error set, when the disk refused it.
    bool append(const QByteArray &line);

    struct Entry
    {
        QByteArray line;
        std::int64_t next; // the position of the line after it
    };
    // The line at position, which is head() or a next of an entry; none at end(). A line
    // longer than 64 KiB, which no run writes, is given as an empty one.
    std::optional<Entry> at(std::int64_t position) const;

    // The first line not delivered, and the position after the last line.
    std::int64_t head() const { return m_head; }
    std::int64_t end() const { return m_base + m_size; }
    // The count of lines from head() to end().
    std::uint64_t waiting() const { return m_waiting; }
    // The count of lines that went for the limit since open.
    std::uint64_t dropped() const { return m_dropped; }

    // The lines before position are delivered and leave the queue. A position before head()
    // changes nothing.
    bool release(std::int64_t position);

    // Makes what was written safe from a power loss.
    bool sync();

private:
    bool load(const QString &path);
    bool writeHeader();
    bool compact();
    void dropOldest(std::int64_t keep);
    std::uint64_t linesBetween(std::int64_t from, std::int64_t to) const;
    bool fail(const QString &what);

    std::int64_t m_limit;
    QString m_path;
    QString m_error;
    int m_fd = -1;
    // The position of the first byte after the header, the first line not delivered, and
    // the bytes of lines in the file.
    std::int64_t m_base = 0;
    std::int64_t m_head = 0;
    std::int64_t m_size = 0;
    std::uint64_t m_waiting = 0;
    std::uint64_t m_dropped = 0;
};
