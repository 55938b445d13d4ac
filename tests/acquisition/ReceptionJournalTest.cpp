#include "acquisition/ReceptionJournal.h"

#include "acquisition/Reception.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

void store(Reception &reception, const char *bytes)
{
    reception.store().storeBytes({bytes, std::strlen(bytes)});
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Waits up to a second and a half for the journal at path to hold expected.
bool holds(const QString &path, const QByteArray &expected)
{
    for (int i = 0; i < 30 && contents(path) != expected; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return contents(path) == expected;
}

TEST(ReceptionJournal, KeepsTheStoredBytesOnDiskWhileTheReceptionRunsAndGoesWithIt)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("KALMIRON/orma"));
    Reception reception;
    const QDateTime started(QDate(2026, 12, 8), QTime(9, 12, 37));
    ReceptionJournal journal;
    ASSERT_TRUE(journal.start(reception, folder, PollMode::Continuous, started));

    store(reception, "09:12:37.41 line one\r\n09:12:38");
    const QStringList names = QDir(folder).entryList(QDir::Files);
    ASSERT_EQ(names.size(), 1);
    const QString path = QDir(folder).filePath(names[0]);
    EXPECT_TRUE(holds(path, "09:12:37.41 line one\r\n09:12:38"));
    store(reception, ".41 line two\r\n");
    EXPECT_TRUE(holds(path, "09:12:37.41 line one\r\n09:12:38.41 line two\r\n"));
    EXPECT_FALSE(journal.failed());
    // A reception that still runs is no interrupted one.
    EXPECT_FALSE(ReceptionJournal::find(folder).has_value());

    // Ended with its rows unsaved, the reception keeps every byte on disk until they are saved.
    store(reception, "09:12:39.41 line three\r\n");
    journal.finish();
    EXPECT_EQ(contents(path),
              "09:12:37.41 line one\r\n09:12:38.41 line two\r\n09:12:39.41 line three\r\n");
    journal.end();
    EXPECT_FALSE(QFile::exists(path));
}

TEST(ReceptionJournal, ARestartFindsTheNewestJournalAndCountsOnlyCompleteLines)
{
    QTemporaryDir dir;
    const auto write = [&dir](const char *name, const QByteArray &bytes) {
        QFile file(dir.filePath(QString::fromUtf8(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    };
    // Written by processes that are gone, and one by a process that runs: this one.
    write("reception-memory-20261207-235959-999999991.orm", "1\n2\n");
    write("reception-continuous-20261208-080000-999999992.orm", "   1 line\r\n   2 cut sh");
    write(QStringLiteral("reception-memory-20261208-090000-%1.orm")
              .arg(QCoreApplication::applicationPid())
              .toUtf8()
              .constData(),
          "1\n");
    write("reception-memory-20261209-080000-1.orm.part", "not a journal\n");
    write("reception-memory-20261209-090000-999999993.orm", "");
    write("notes.orm", "not a journal\n");

    const std::optional<InterruptedReception> found = ReceptionJournal::find(dir.path());
    ASSERT_TRUE(found.has_value());
    EXPECT_TRUE(
        found->path.endsWith(QStringLiteral("reception-continuous-20261208-080000-999999992.orm")));
    EXPECT_EQ(found->mode, PollMode::Continuous);
    EXPECT_EQ(found->started, QDateTime(QDate(2026, 12, 8), QTime(8, 0, 0)));
    EXPECT_EQ(found->lines, 1);
    EXPECT_FALSE(QFile::exists(dir.filePath("reception-memory-20261209-090000-999999993.orm")));
    EXPECT_FALSE(ReceptionJournal::find(dir.filePath(QStringLiteral("none"))).has_value());

    // Taken over by this process, it is no longer offered; the older one is.
    const QString adopted = ReceptionJournal::adopt(*found);
    EXPECT_TRUE(QFile::exists(adopted));
    EXPECT_FALSE(QFile::exists(found->path));
    EXPECT_TRUE(
        ReceptionJournal::find(dir.path())
            ->path.endsWith(QStringLiteral("reception-memory-20261207-235959-999999991.orm")));
}

TEST(ReceptionJournal, AKilledWriterThatIsNotReapedYetNoLongerHoldsItsJournal)
{
    QTemporaryDir dir;
    // Children of this process share its command name: one ends at once and stays a zombie
    // until it is reaped, one lives on.
    const pid_t ended = fork();
    if (ended == 0)
        _exit(0);
    const pid_t running = fork();
    if (running == 0) {
        pause();
        _exit(0);
    }
    ASSERT_GT(ended, 0);
    ASSERT_GT(running, 0);
    siginfo_t info{};
    // Waits for the end without reaping it.
    ASSERT_EQ(waitid(P_PID, static_cast<id_t>(ended), &info, WEXITED | WNOWAIT), 0);
    const auto journalOf = [&dir](pid_t pid, const char *started) {
        const QString path = dir.filePath(
            QStringLiteral("reception-memory-%1-%2.orm").arg(QString::fromUtf8(started)).arg(pid));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("1\n");
        return path;
    };
    const QString zombies = journalOf(ended, "20261208-080000");
    // Newer, but its writer runs.
    journalOf(running, "20261208-090000");

    const std::optional<InterruptedReception> found = ReceptionJournal::find(dir.path());
    kill(running, SIGKILL);
    waitpid(running, nullptr, 0);
    waitpid(ended, nullptr, 0);
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->path, zombies);
}

TEST(ReceptionJournal, TheOfferCountsLinesInRussianAndDatesAStartBeforeToday)
{
    const QDate today(2026, 12, 9);
    InterruptedReception found;
    found.lines = 344;
    found.started = QDateTime(today, QTime(22, 58, 24));
    EXPECT_EQ(ReceptionJournal::offerText(found, today),
              "Обнаружены данные прерванного приема (344 строки, начало 22:58:24). Восстановить?");
    found.lines = 1;
    found.started = QDateTime(QDate(2026, 12, 8), QTime(23, 59, 59));
    EXPECT_EQ(ReceptionJournal::offerText(found, today),
              "Обнаружены данные прерванного приема (1 строка, начало 08.12.2026 23:59:59). "
              "Восстановить?");
    found.lines = 5;
    found.started = QDateTime();
    EXPECT_EQ(ReceptionJournal::offerText(found, today),
              "Обнаружены данные прерванного приема (5 строк). Восстановить?");
}

TEST(ReceptionJournal, AJournalWhoseNameHoldsNoDateIsOfferedWithoutOneAndStaysFindable)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("reception-continuous-20261399-256199-1.orm"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("10:00:00:00 E=0.950 T= 100\r\n");
    file.close();

    std::optional<InterruptedReception> found = ReceptionJournal::find(dir.path());
    ASSERT_TRUE(found.has_value());
    EXPECT_FALSE(found->started.isValid());
    EXPECT_EQ(found->lines, 1);
    EXPECT_FALSE(ReceptionJournal::offerText(*found, QDate::currentDate()).contains("начало"));

    // Taken over, the journal keeps its name but for the writer: a program that ends before
    // the rows are saved finds it again.
    const QString adopted = ReceptionJournal::adopt(*found);
    EXPECT_EQ(QFileInfo(adopted).fileName(),
              QStringLiteral("reception-continuous-20261399-256199-%1.orm")
                  .arg(QCoreApplication::applicationPid()));
    QFile::rename(adopted, path);
    found = ReceptionJournal::find(dir.path());
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->mode, PollMode::Continuous);
}

TEST(ReceptionJournal, AFolderThatCannotBeMadeKeepsNoJournal)
{
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    const Reception reception;
    ReceptionJournal journal;
    EXPECT_FALSE(journal.start(reception, dir.filePath(QStringLiteral("file/orma")),
                               PollMode::FromMemory, QDateTime::currentDateTime()));
    journal.end();
}

} // namespace
