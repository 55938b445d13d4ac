#pragma once

#include "acquisition/ReaderThread.h"
#include "acquisition/Reception.h"

#include <QDate>
#include <QString>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

// Writes size bytes of data to the descriptor fd, again after an interruption; false when
// the system refused them.
bool WriteWhole(int fd, const char *data, std::size_t size);

// The day the readings of the data file at path were taken, since its lines hold times of day
// only: the date in the name a daily rotation gives its files (NAME-YYYY-MM-DD.orm), else the
// local day the file was last modified; invalid when neither is known.
QDate DataFileDate(const QString &path);

// A reception written to disk as it comes, in the data file form: every line the reader
// stores, appended to the file as soon as its line feed has come, so that a killed program
// leaves every complete line behind and the file never ends in a fragment of one: a log
// continued later, or files put together, stay line by line. A line longer than LongestLine
// is dropped, counted, and not held in memory. sync() makes the file safe from a power loss;
// call it at least once a second. With a day rotation each line goes to the file of the day
// its line feed came on, named PATH-YYYY-MM-DD.orm (PATH without its ".orm"); a day's file
// that is already there is appended to.
class ReceptionFile final : public ReceiveStore
{
public:
    // Today's date; tests pass a clock of their own.
    using Today = std::function<QDate()>;

    static constexpr std::size_t LongestLine = LongestStoredLine;

    ReceptionFile() = default;
    ReceptionFile(const ReceptionFile &) = delete;
    ReceptionFile &operator=(const ReceptionFile &) = delete;
    ~ReceptionFile() override;

    // Creates (or empties) the file for path, or with append continues the one that is there
    // (a logger restarted by its service); false, with error set, when it cannot be made.
    bool open(const QString &path, bool rotateDaily, Today today = {}, bool append = false);
    // The file being written: path, or the day's file.
    QString currentPath() const;
    // What went wrong, once open or a write failed; a failed write ends the reader.
    QString error() const;
    // Whether that was a full disk (or a full quota); the lines before it are in the file.
    bool diskFull() const;
    // Whether no line was written to any file.
    bool wroteNothing() const;
    // Whether the line starting at offset lineStart was kept, not dropped for its length.
    bool kept(qint64 lineStart) const;
    // The count of lines dropped for their length.
    std::size_t droppedLines() const;

    qint64 stored() const override;
    bool store(char byte) override;

    // Flushes what was written to the disk; a pipe or a terminal has nothing to flush.
    bool sync();
    // Flushes and closes, holding back a line still in progress. False when anything failed.
    bool close();

    // The bytes from offset on, as far as the file still keeps them in memory (the last few
    // kilobytes): for showing the last line received. Empty when offset is no longer kept.
    std::string bytesFrom(qint64 offset) const;

    // The name of the day's file of a rotation over path.
    static QString dailyPath(const QString &path, const QDate &day);

private:
    bool openFor(const QString &path, bool append);
    bool writeLine();
    void fail();

    mutable std::mutex m_lock;
    QString m_basePath;
    QString m_path;
    bool m_rotate = false;
    Today m_today;
    QDate m_day;
    int m_fd = -1;
    // A regular file: synced, and cut back to its last whole line when a write fails.
    bool m_regular = false;
    qint64 m_fileSize = 0;
    bool m_wroteLine = false;
    QString m_error;
    int m_errno = 0;
    qint64 m_stored = 0;
    // The line in progress, not written yet, and the offset it started at.
    std::string m_line;
    qint64 m_lineStart = 0;
    // The line in progress has grown past LongestLine: its bytes are skipped to its line feed.
    bool m_dropping = false;
    std::vector<qint64> m_droppedStarts;
    // The last bytes stored, from offset m_tailStart on.
    std::string m_tail;
    qint64 m_tailStart = 0;
};
