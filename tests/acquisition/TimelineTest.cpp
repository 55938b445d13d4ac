#include "acquisition/Timeline.h"
#include "acquisition/JoinedFileSource.h"
#include "companions/FormatOutTime.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr std::int32_t Day = static_cast<std::int32_t>(MillisecondsPerDay);

QString write(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return path;
}

} // namespace

TEST(JoinTimeline, OrdersFilesByDayAndMovesEachByItsDaysFromTheFirst)
{
    const QDate first(2026, 12, 7);
    // Given out of order, with a missing day and two files of one day.
    const Timeline timeline =
        JoinTimeline({"c", "a", "b", "a2"}, {first.addDays(3), first, first.addDays(1), first});
    ASSERT_FALSE(timeline.tooLong);
    ASSERT_EQ(timeline.files.size(), 4u);
    const QStringList order{"a", "a2", "b", "c"};
    const std::int32_t offsets[] = {0, 0, Day, 3 * Day};
    for (std::size_t index = 0; index < 4; ++index) {
        EXPECT_EQ(timeline.files[index].path, order[static_cast<qsizetype>(index)]);
        EXPECT_EQ(timeline.files[index].offset, offsets[index]);
    }
    EXPECT_EQ(timeline.firstDay(), first);
    EXPECT_EQ(timeline.lastDay(), first.addDays(3));
}

TEST(JoinTimeline, HoldsTheDaysWhoseLastMillisecondFitsIn32BitsAndRefusesOneMore)
{
    const QDate first(2026, 1, 1);
    const Timeline longest = JoinTimeline({"a", "b"}, {first, first.addDays(TimelineMostDays - 1)});
    ASSERT_FALSE(longest.tooLong);
    // The last day's last reading still fits.
    EXPECT_LE(std::int64_t{longest.files.back().offset} + MillisecondsPerDay - 1,
              std::int64_t{std::numeric_limits<std::int32_t>::max()});
    // A fortnight of daily files is well inside.
    EXPECT_GE(TimelineMostDays, 14);

    const Timeline tooLong = JoinTimeline({"a", "b"}, {first, first.addDays(TimelineMostDays)});
    EXPECT_TRUE(tooLong.tooLong);
    for (const TimelineFile &file : tooLong.files)
        EXPECT_EQ(file.offset, 0);

    // A file without a day leads and nothing is moved.
    const Timeline undated = JoinTimeline({"a", "b"}, {first, QDate()});
    EXPECT_EQ(undated.files.front().path, "b");
    EXPECT_FALSE(undated.firstDay().isValid());
    EXPECT_EQ(undated.files.back().offset, 0);
}

TEST(JoinTimeline, DatesFilesByTheRotationsNames)
{
    const Timeline timeline =
        JoinTimeline({"/nowhere/kiln-2026-12-09.orm", "/nowhere/kiln-2026-12-08.orm"});
    ASSERT_EQ(timeline.files.size(), 2u);
    EXPECT_EQ(timeline.files[0].day, QDate(2026, 12, 8));
    EXPECT_EQ(timeline.files[1].offset, Day);
}

TEST(JoinedFileSource, GivesTheFilesLinesInOrderEachLineWhole)
{
    const QTemporaryDir dir;
    // The first file's last line has no line feed: it gets one, so that the next file's first
    // line is not glued to it. An empty file adds nothing.
    const QString a = write(dir, "a.orm", "line 1\r\nline 2");
    const QString empty = write(dir, "empty.orm", "");
    const QString b = write(dir, "b.orm", "line 3\r\n");
    QString failed;
    const auto source = JoinedFileSource::open({a, empty, b}, failed);
    ASSERT_NE(source, nullptr);
    std::string bytes;
    char byte = 0;
    ReadResult result;
    while ((result = source->readByte(byte)) == ReadResult::Byte)
        bytes += byte;
    EXPECT_EQ(result, ReadResult::EndOfData);
    EXPECT_EQ(bytes, "line 1\r\nline 2\nline 3\r\n");
    EXPECT_EQ(source->size(), static_cast<std::int64_t>(bytes.size()));
    EXPECT_EQ(source->fileStarts(), (std::vector<std::int64_t>{0, 15, 15}));

    // A missing file or a folder is named and nothing is opened.
    EXPECT_EQ(JoinedFileSource::open({a, dir.filePath("gone.orm")}, failed), nullptr);
    EXPECT_EQ(failed, dir.filePath("gone.orm"));
    EXPECT_EQ(JoinedFileSource::open({dir.path(), a}, failed), nullptr);
    EXPECT_EQ(failed, dir.path());
}

TEST(DatedTimeText, NamesTheDayOfATimeOnTheTimeline)
{
    const QDate first(2026, 12, 31);
    const QString format = QStringLiteral("dd.MM.yyyy");
    EXPECT_EQ(DatedTimeText(first, 0, format), "31.12.2026 00:00:00.000");
    EXPECT_EQ(DatedTimeText(first, Day + 1500, format), "01.01.2027 00:00:01.500");
    EXPECT_EQ(DatedTimeText(first, -1000, format), "30.12.2026 23:59:59.000");
}
