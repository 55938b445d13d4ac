#include "acquisition/ReceptionJournal.h"

#include "acquisition/ReceiveBuffer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>

namespace {

void store(const char *bytes)
{
    const std::int32_t length = ReceiveLength;
    std::memcpy(ReceiveBuffer + length, bytes, std::strlen(bytes));
    ReceiveLength.store(length + static_cast<std::int32_t>(std::strlen(bytes)));
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
    ResetReceiveBuffer();
    const QDateTime started(QDate(2026, 12, 8), QTime(9, 12, 37));
    ReceptionJournal journal;
    ASSERT_TRUE(journal.start(folder, PollMode::Continuous, started));

    store("09:12:37.41 line one\r\n09:12:38");
    const QStringList names = QDir(folder).entryList(QDir::Files);
    ASSERT_EQ(names.size(), 1);
    const QString path = QDir(folder).filePath(names[0]);
    EXPECT_TRUE(holds(path, "09:12:37.41 line one\r\n09:12:38"));
    store(".41 line two\r\n");
    EXPECT_TRUE(holds(path, "09:12:37.41 line one\r\n09:12:38.41 line two\r\n"));
    EXPECT_FALSE(journal.failed());
    // A reception that still runs is no interrupted one.
    EXPECT_FALSE(ReceptionJournal::find(folder).has_value());

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
    write("notes.orm", "not a journal\n");

    const std::optional<InterruptedReception> found = ReceptionJournal::find(dir.path());
    ASSERT_TRUE(found.has_value());
    EXPECT_TRUE(
        found->path.endsWith(QStringLiteral("reception-continuous-20261208-080000-999999992.orm")));
    EXPECT_EQ(found->mode, PollMode::Continuous);
    EXPECT_EQ(found->started, QDateTime(QDate(2026, 12, 8), QTime(8, 0, 0)));
    EXPECT_EQ(found->lines, 1);
    EXPECT_FALSE(ReceptionJournal::find(dir.filePath(QStringLiteral("none"))).has_value());

    // Taken over by this process, it is no longer offered; the older one is.
    const QString adopted = ReceptionJournal::adopt(*found);
    EXPECT_TRUE(QFile::exists(adopted));
    EXPECT_FALSE(QFile::exists(found->path));
    EXPECT_TRUE(
        ReceptionJournal::find(dir.path())
            ->path.endsWith(QStringLiteral("reception-memory-20261207-235959-999999991.orm")));
}

TEST(ReceptionJournal, AFolderThatCannotBeMadeKeepsNoJournal)
{
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    ReceptionJournal journal;
    EXPECT_FALSE(journal.start(dir.filePath(QStringLiteral("file/orma")), PollMode::FromMemory,
                               QDateTime::currentDateTime()));
    journal.end();
}

} // namespace
