#pragma once

#include "acquisition/ReaderThread.h"

#include <QDate>
#include <QString>

#include <functional>
#include <mutex>
#include <string>

// Writes size bytes of data to the descriptor fd, again after an interruption; false when
// the system refused them.
bool WriteWhole(int fd, const char *data, std::size_t size);

// A reception written to disk as it comes, in the data file form: every byte the reader
// stores, each line appended to the file as soon as its line feed has come, so that a killed
// program leaves every complete line behind. sync() makes the file safe from a power loss;
// call it at least once a second. With a day rotation each line goes to the file of the day
// its line feed came on, named PATH-YYYY-MM-DD.orm (PATH without its ".orm").
class ReceptionFile final : public ReceiveStore
{
public:
    // Today's date; tests pass a clock of their own.
    using Today = std::function<QDate()>;

    ReceptionFile() = default;
    ReceptionFile(const ReceptionFile &) = delete;
    ReceptionFile &operator=(const ReceptionFile &) = delete;
    // Closes the file without writing a line still in progress; close() writes it.
    ~ReceptionFile() override;

    // Creates (or empties) the file for path; false, with error set, when it cannot be made.
    bool open(const QString &path, bool rotateDaily, Today today = {});
    // The file being written: path, or the day's file.
    QString currentPath() const;
    // What went wrong, once open or a write failed; a failed write ends the reader.
    QString error() const;

    qint64 stored() const override;
    bool store(char byte) override;

    // Flushes what was written to the disk.
    bool sync();
    // Writes a line still in progress, flushes and closes. False when anything failed.
    bool close();

    // The bytes from offset on, as far as the file still keeps them in memory (the last few
    // kilobytes): for showing the last line received. Empty when offset is no longer kept.
    std::string bytesFrom(qint64 offset) const;

    // The name of the day's file of a rotation over path.
    static QString dailyPath(const QString &path, const QDate &day);

private:
    bool openFor(const QString &path);
    bool writeLine();

    mutable std::mutex m_lock;
    QString m_basePath;
    QString m_path;
    bool m_rotate = false;
    Today m_today;
    QDate m_day;
    int m_fd = -1;
    QString m_error;
    qint64 m_stored = 0;
    // The line in progress, not written yet.
    std::string m_line;
    // The last bytes stored, from offset m_tailStart on.
    std::string m_tail;
    qint64 m_tailStart = 0;
};
