#include "acquisition/ReadingStream.h"
#include "acquisition/ReadBack.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include <string>
#include <vector>

namespace {

std::string writeFile(const QTemporaryDir &dir, const std::string &bytes)
{
    const QString path = dir.filePath(QStringLiteral("stream.orm"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
            static_cast<qint64>(bytes.size()))
        return {};
    return QFile::encodeName(path).toStdString();
}

using RowTexts = std::vector<QString>;

RowTexts textsOf(const DeviceReading &reading)
{
    RowTexts texts;
    for (int column = 0; column < ReceivedRows::ColumnCount; ++column)
        texts.push_back(MeasurementTableModel::cellText(reading, column));
    return texts;
}

// The rows of the table a whole read back fills, as their texts.
std::vector<RowTexts> readBackWhole(const std::string &path, PollMode mode)
{
    ReadBack readBack;
    EXPECT_TRUE(readBack.read(path, mode));
    std::vector<RowTexts> rows;
    for (int row = 0; row < readBack.table().rowTotal(); ++row) {
        rows.emplace_back();
        for (int column = 0; column < ReceivedRows::ColumnCount; ++column)
            rows.back().push_back(readBack.table().cellTextAt(row, column));
    }
    return rows;
}

// A noisy data file: good lines of both forms, short lines, lines cut short whose fields run
// on into the next line, bytes of every value, and no line feed at its end.
std::string noisyFile()
{
    std::string bytes;
    std::uint32_t state = 7;
    const auto next = [&state](std::uint32_t range) {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) % range;
    };
    for (int line = 0; line < 20000; ++line) {
        char text[64];
        const unsigned second = static_cast<unsigned>(line) % 60;
        switch (next(6)) {
        case 0:
            std::snprintf(text, sizeof text, "12:%02u:%02u:50 E=0.95 T=%4u\r\n", line / 60 % 60,
                          second, next(1500));
            break;
        case 1:
            std::snprintf(text, sizeof text, "%4u 09:12:%02u:41 E=0.950 T=%4u AVR", line % 10000,
                          second, next(1500));
            text[next(40)] = '\0';
            std::strcat(text, "\n");
            break;
        case 2:
            std::snprintf(text, sizeof text, "short\r\n");
            break;
        case 3:
            for (unsigned i = 0, length = next(60); i < length; ++i)
                text[i] = static_cast<char>(next(256));
            text[next(60)] = '\0';
            break;
        default:
            std::snprintf(text, sizeof text, "%4u 09:12:%02u:41 E=0.950 T=%4u TRC\r\n",
                          line % 10000, second, next(1500));
        }
        bytes += text;
    }
    return bytes + "  12 09:1";
}

} // namespace

// Read in one pass, a data file gives the readings a whole read back gives, in both modes and
// with the continuous mode's numbering by lines; a line longer than 64 KiB is dropped and
// counted while the lines around it are kept; a take that answers false ends the reading.
TEST(ReadingStream, GivesTheReadingsOfAWholeReadBackInOnePass)
{
    QTemporaryDir dir;
    for (const PollMode mode : {PollMode::FromMemory, PollMode::Continuous}) {
        const std::string path = writeFile(dir, noisyFile());
        const std::vector<RowTexts> whole = readBackWhole(path, mode);
        std::vector<RowTexts> streamed;
        ReadingStream stream;
        ASSERT_TRUE(stream.read(path, mode, [&streamed](const DeviceReading &reading) {
            streamed.push_back(textsOf(reading));
            return true;
        }));
        EXPECT_EQ(stream.endReason(), ReaderEndReason::EndOfData);
        EXPECT_EQ(stream.droppedLines(), 0u);
        EXPECT_EQ(stream.readings(), streamed.size());
        ASSERT_GT(whole.size(), 2000u);
        EXPECT_EQ(streamed.size(), whole.size());
        EXPECT_TRUE(streamed == whole) << "mode " << static_cast<int>(mode);
    }

    const std::string line = "12:00:01:00 E=0.95 T= 850\r\n";
    const std::string path =
        writeFile(dir, line + std::string(3 * LongestStoredLine, '7') + "\n" + line +
                           std::string(LongestStoredLine + 1, '8') + "\n" + line +
                           std::string(5 * LongestStoredLine, '\0'));
    std::vector<std::int16_t> numbers;
    ReadingStream stream;
    ASSERT_TRUE(stream.read(path, PollMode::Continuous, [&numbers](const DeviceReading &reading) {
        numbers.push_back(reading.number);
        return true;
    }));
    EXPECT_EQ(numbers, (std::vector<std::int16_t>{1, 3, 5}));
    EXPECT_EQ(stream.droppedLines(), 3u);
    EXPECT_EQ(stream.bytesRead(),
              static_cast<std::int64_t>(3 * line.size() + 9 * LongestStoredLine + 3));

    int taken = 0;
    ReadingStream stopped;
    ASSERT_TRUE(stopped.read(path, PollMode::Continuous,
                             [&taken](const DeviceReading &) { return ++taken < 2; }));
    EXPECT_EQ(taken, 2);
    EXPECT_EQ(stopped.endReason(), ReaderEndReason::Stopped);

    ReadingStream none;
    EXPECT_FALSE(none.read(QFile::encodeName(dir.path()).toStdString(), PollMode::Continuous,
                           [](const DeviceReading &) { return true; }));
}
