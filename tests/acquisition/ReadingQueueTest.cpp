#include "acquisition/ReadingQueue.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

namespace {

QByteArray lineNumber(int n)
{
    return QByteArrayLiteral("orma/port\t{\"number\":") + QByteArray::number(n) + '}';
}

// The lines from head on, in order.
std::vector<QByteArray> waitingLines(const ReadingQueue &queue)
{
    std::vector<QByteArray> lines;
    for (std::int64_t at = queue.head(); at < queue.end();) {
        const std::optional<ReadingQueue::Entry> entry = queue.at(at);
        if (!entry)
            break;
        lines.push_back(entry->line);
        at = entry->next;
    }
    return lines;
}

} // namespace

TEST(ReadingQueue, WhatIsNotReleasedOutlivesTheRunInOrder)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("log.orm.mqtt-queue"));
    std::int64_t secondLine = 0;
    {
        ReadingQueue queue;
        ASSERT_TRUE(queue.open(path)) << queue.error().toStdString();
        for (int n = 1; n <= 5; ++n)
            ASSERT_TRUE(queue.append(lineNumber(n)));
        EXPECT_EQ(queue.waiting(), 5u);
        secondLine = queue.at(queue.head())->next;
        // A second run over the same queue is refused while this one holds it.
        ReadingQueue other;
        EXPECT_FALSE(other.open(path));
        EXPECT_TRUE(other.error().contains(QStringLiteral("in use")));
        // Acknowledged out of order: the queue only moves past whole lines delivered.
        ASSERT_TRUE(queue.release(secondLine));
        ASSERT_TRUE(queue.release(secondLine - 3));
        EXPECT_EQ(queue.waiting(), 4u);
    }
    {
        // A kill in the middle of a line leaves a fragment that is no line.
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.write("orma/port\t{\"numb");
    }
    ReadingQueue queue;
    ASSERT_TRUE(queue.open(path)) << queue.error().toStdString();
    EXPECT_EQ(queue.head(), secondLine);
    const std::vector<QByteArray> expected = {lineNumber(2), lineNumber(3), lineNumber(4),
                                              lineNumber(5)};
    EXPECT_EQ(waitingLines(queue), expected);
    ASSERT_TRUE(queue.append(lineNumber(6)));
    EXPECT_EQ(waitingLines(queue).back(), lineNumber(6));
    // Everything delivered: the file shrinks to its header, positions run on.
    const std::int64_t end = queue.end();
    ASSERT_TRUE(queue.release(end));
    EXPECT_EQ(queue.waiting(), 0u);
    EXPECT_LT(QFile(path).size(), 100);
    ASSERT_TRUE(queue.append(lineNumber(7)));
    EXPECT_EQ(queue.head(), end);
    EXPECT_EQ(queue.at(end)->line, lineNumber(7));
}

TEST(ReadingQueue, KeepsWithinItsLimitByLettingTheOldestGo)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("q"));
    const std::int64_t limit = 4000;
    ReadingQueue queue(limit);
    ASSERT_TRUE(queue.open(path));
    const int lines = 1000;
    // Now and then the first lines are delivered, so the file is also cut at its front.
    for (int n = 1; n <= lines; ++n) {
        ASSERT_TRUE(queue.append(lineNumber(n))) << queue.error().toStdString();
        if (n == 10)
            queue.release(queue.at(queue.head())->next);
    }
    EXPECT_LE(QFile(path).size(), limit + 100);
    const std::vector<QByteArray> left = waitingLines(queue);
    ASSERT_FALSE(left.empty());
    EXPECT_EQ(left.back(), lineNumber(lines));
    EXPECT_EQ(left.size(), queue.waiting());
    EXPECT_EQ(queue.dropped() + queue.waiting() + 1, std::uint64_t(lines));
    // The newest lines stay, one after another.
    const int first = lines - int(left.size()) + 1;
    for (std::size_t i = 0; i < left.size(); ++i)
        ASSERT_EQ(left[i], lineNumber(first + int(i)));
    // And they are all there for the next run.
    queue.sync();
}

TEST(ReadingQueue, AFileThatIsNoQueueIsLeftAlone)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("log.orm"));
    const QByteArray data = "   1 12:00:00:00 E=0.950 T= 812 AVR\r\n";
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(data);
    }
    ReadingQueue queue;
    EXPECT_FALSE(queue.open(path));
    EXPECT_TRUE(queue.error().contains(QStringLiteral("not a queue")));
    EXPECT_FALSE(queue.append(lineNumber(1)));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), data);
}

TEST(ReadingQueue, AnOverlongLineIsPassedOverNotStuckOn)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("q"));
    ReadingQueue queue;
    ASSERT_TRUE(queue.open(path));
    ASSERT_TRUE(queue.append(QByteArray(200 * 1024, 'x')));
    ASSERT_TRUE(queue.append(lineNumber(2)));
    const std::optional<ReadingQueue::Entry> overlong = queue.at(queue.head());
    ASSERT_TRUE(overlong);
    EXPECT_TRUE(overlong->line.isEmpty());
    EXPECT_EQ(queue.at(overlong->next)->line, lineNumber(2));
}
