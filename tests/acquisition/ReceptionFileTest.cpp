#include "acquisition/ReceptionFile.h"

#include <QDate>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

#include <sys/resource.h>

namespace {

QByteArray contentsOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void storeLine(ReceptionFile &file, const std::string &line)
{
    for (char byte : line)
        ASSERT_TRUE(file.store(byte));
}

// A daily rotation across midnight: each line goes to the file of the day its line feed came
// on, a line begun before midnight included, so that every file's times rise. The next day's
// file, left by a logger that ran earlier, is appended to, its unfinished last line ended first.
// A line still in progress at the end is held back: every file ends on a whole line.
TEST(ReceptionFile, ADailyRotationAppendsToTheNextDaysFileAtMidnight)
{
    QTemporaryDir dir;
    const QString nextDay = dir.filePath(QStringLiteral("kiln-2026-12-09.orm"));
    const QByteArray earlier = "00:00:00:10 E=0.950 T= 700 TRC\r\n00:00:0";
    {
        QFile file(nextDay);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(earlier);
    }
    QDate today(2026, 12, 8);
    ReceptionFile file;
    const QString path = dir.filePath(QStringLiteral("kiln.orm"));
    ASSERT_TRUE(file.open(path, true, [&today] { return today; }));
    EXPECT_EQ(file.currentPath(), dir.filePath(QStringLiteral("kiln-2026-12-08.orm")));
    storeLine(file, "23:59:59:50 E=0.950 T= 801 TRC\r\n");
    storeLine(file, "00:00:0");
    today = today.addDays(1);
    storeLine(file, "0:40 E=0.950 T= 802 TRC\r\n");
    storeLine(file, "00:00:01:40 E=0.9");
    EXPECT_EQ(file.currentPath(), nextDay);
    ASSERT_TRUE(file.close());

    EXPECT_EQ(contentsOf(dir.filePath(QStringLiteral("kiln-2026-12-08.orm"))),
              "23:59:59:50 E=0.950 T= 801 TRC\r\n");
    EXPECT_EQ(contentsOf(nextDay), earlier + "\n00:00:00:40 E=0.950 T= 802 TRC\r\n");
}

// A source that never ends its line costs no more memory than one line: past LongestLine the
// line is dropped to its line feed and counted, and the lines around it are kept.
TEST(ReceptionFile, AnEndlessLineIsDroppedAndCounted)
{
    QTemporaryDir dir;
    ReceptionFile file;
    const QString path = dir.filePath(QStringLiteral("log.orm"));
    ASSERT_TRUE(file.open(path, false));
    const std::string before = "12:00:00:00 E=0.950 T= 801 TRC\r\n";
    const std::string after = "12:00:02:00 E=0.950 T= 803 TRC\r\n";
    storeLine(file, before);
    storeLine(file, std::string(ReceptionFile::LongestLine, 'x'));
    EXPECT_EQ(file.droppedLines(), 0u);
    storeLine(file, std::string(3 * ReceptionFile::LongestLine, 'y') + "\n");
    storeLine(file, after);
    storeLine(file, std::string(ReceptionFile::LongestLine + 1, 'z'));

    EXPECT_EQ(file.droppedLines(), 2u);
    EXPECT_TRUE(file.kept(0));
    EXPECT_FALSE(file.kept(static_cast<qint64>(before.size())));
    EXPECT_EQ(file.bytesFrom(file.stored() - ReceptionFile::LongestLine - 1 -
                             static_cast<qint64>(after.size())),
              after);
    ASSERT_TRUE(file.close());
    EXPECT_EQ(contentsOf(path), QByteArray::fromStdString(before + after));
}

// A write that finds no room ends the file on its last whole line and says why: a full disk
// (here /dev/full) apart from a file grown to its size limit.
TEST(ReceptionFile, AFailedWriteLeavesWholeLinesAndItsReason)
{
    const std::string line = "12:00:00:00 E=0.950 T= 801 TRC\r\n";
    {
        ReceptionFile full;
        ASSERT_TRUE(full.open(QStringLiteral("/dev/full"), false));
        std::size_t stored = 0;
        while (stored < line.size() && full.store(line[stored]))
            ++stored;
        EXPECT_EQ(stored, line.size() - 1);
        EXPECT_TRUE(full.diskFull());
        EXPECT_TRUE(full.wroteNothing());
        EXPECT_FALSE(full.close());
    }

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("log.orm"));
    ReceptionFile file;
    ASSERT_TRUE(file.open(path, false));
    rlimit kept{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &kept), 0);
    const auto restore = qScopeGuard([&kept] {
        setrlimit(RLIMIT_FSIZE, &kept);
        std::signal(SIGXFSZ, SIG_DFL);
    });
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = kept;
    small.rlim_cur = 2 * line.size() + 10;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    storeLine(file, line);
    storeLine(file, line);
    bool refused = false;
    for (char byte : line)
        refused = refused || !file.store(byte);
    EXPECT_TRUE(refused);
    EXPECT_FALSE(file.diskFull());
    EXPECT_FALSE(file.error().isEmpty());
    EXPECT_EQ(contentsOf(path), QByteArray::fromStdString(line + line));
}

} // namespace

// A data file's lines hold times of day only: its day is the one its daily rotation's name
// gives, else the day it was last written; a name with a day that does not exist, or a path
// with no file, gives no day from the name.
TEST(ReceptionFile, ADataFilesDayComesFromItsRotationNameElseItsModificationTime)
{
    QTemporaryDir dir;
    const QDate day(2026, 12, 9);
    const QString rotated = ReceptionFile::dailyPath(dir.filePath(QStringLiteral("kiln.orm")), day);
    EXPECT_EQ(DataFileDate(rotated), day) << "a rotated file is dated by its name, written or not";
    EXPECT_EQ(DataFileDate(dir.filePath(QStringLiteral("kiln-2026-02-28.orm"))),
              QDate(2026, 2, 28));

    const QDateTime written(QDate(2025, 6, 1), QTime(23, 59, 30));
    for (const QString name :
         {QStringLiteral("kiln.orm"), QStringLiteral("kiln-2026-02-30.orm"),
          QStringLiteral("kiln-2026-12-09.orm.bak"), QStringLiteral("kiln2026-12-09.txt")}) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.setFileTime(written, QFileDevice::FileModificationTime));
        file.close();
        EXPECT_EQ(DataFileDate(file.fileName()), written.date()) << name.toStdString();
    }
    EXPECT_FALSE(DataFileDate(dir.filePath(QStringLiteral("missing.orm"))).isValid());
}
