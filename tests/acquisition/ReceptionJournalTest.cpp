#include "acquisition/ReceptionJournal.h"

#include "acquisition/ReceiveBuffer.h"

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
    const std::optional<InterruptedReception> found = ReceptionJournal::find(folder);
    ASSERT_TRUE(found.has_value());
    EXPECT_TRUE(holds(found->path, "09:12:37.41 line one\r\n09:12:38"));
    store(".41 line two\r\n");
    EXPECT_TRUE(holds(found->path, "09:12:37.41 line one\r\n09:12:38.41 line two\r\n"));

    // What a restart finds: the mode, the start and the complete lines.
    const std::optional<InterruptedReception> left = ReceptionJournal::find(folder);
    ASSERT_TRUE(left.has_value());
    EXPECT_EQ(left->mode, PollMode::Continuous);
    EXPECT_EQ(left->started, started);
    EXPECT_EQ(left->lines, 2);
    EXPECT_FALSE(journal.failed());

    journal.end();
    EXPECT_FALSE(QFile::exists(found->path));
    EXPECT_FALSE(ReceptionJournal::find(folder).has_value());
}

TEST(ReceptionJournal, ARestartFindsTheNewestJournalAndCountsOnlyCompleteLines)
{
    QTemporaryDir dir;
    const auto write = [&dir](const char *name, const QByteArray &bytes) {
        QFile file(dir.filePath(QString::fromUtf8(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    };
    write("reception-memory-20261207-235959.orm", "1\n2\n");
    write("reception-memory-20261208-080000.orm", "   1 line\r\n   2 cut sh");
    write("reception-memory-20261209-080000.orm.part", "not a journal\n");
    write("notes.orm", "not a journal\n");

    const std::optional<InterruptedReception> found = ReceptionJournal::find(dir.path());
    ASSERT_TRUE(found.has_value());
    EXPECT_TRUE(found->path.endsWith(QStringLiteral("reception-memory-20261208-080000.orm")));
    EXPECT_EQ(found->mode, PollMode::FromMemory);
    EXPECT_EQ(found->started.time(), QTime(8, 0, 0));
    EXPECT_EQ(found->lines, 1);
    EXPECT_FALSE(ReceptionJournal::find(dir.filePath(QStringLiteral("none"))).has_value());
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
