#include "tools/InstrumentLines.h"
#include "acquisition/DeviceParser.h"
#include "tools/InstrumentOptions.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

using namespace instrument;

namespace {

constexpr int at12_34_56_78 = ((12 * 60 + 34) * 60 + 56) * 100 + 78;
constexpr int noon = 12 * 3600 * 100;

// The reading the program's parser makes of `line`, read from a buffer of exactly its size.
bool parseAlone(const std::string &line, PollMode mode, DeviceReading &reading)
{
    const std::vector<char> exact(line.begin(), line.end());
    return ParseDeviceLine(exact.data(), exact.size(), mode, reading);
}

TEST(InstrumentLines, NumberedLineHasTheFieldsAtTheirPositions)
{
    const Record record{1, at12_34_56_78, 950, 1234, RecordMode::Trc};
    EXPECT_EQ(formatNumberedLine(record), "   1 12:34:56:78 E=0.950 T=1234 TRC\r\n");
    const Record cold{9999, at12_34_56_78, 85, -12, RecordMode::Min};
    EXPECT_EQ(formatNumberedLine(cold), "9999 12:34:56:78 E=0.085 T= -12 MIN\r\n");
}

TEST(InstrumentLines, NumberedLineKeepsItsLayoutForValuesTooWide)
{
    const Record wide{12345, at12_34_56_78, 123456, 20000, RecordMode::Max};
    EXPECT_EQ(formatNumberedLine(wide), "9999 12:34:56:78 E=9.999 T=9999 MAX\r\n");
    const Record low{-3, -1, -5, -5000, RecordMode::Avr};
    EXPECT_EQ(formatNumberedLine(low), "   0 23:59:59:99 E=0.000 T=-999 AVR\r\n");
    EXPECT_EQ(formatTime(dayHundredths + 5), "00:00:00:05");
}

TEST(InstrumentLines, TimedLineIsLongEnoughToBePosted)
{
    // The receiver posts only lines of 26 bytes or more, so short temperatures are padded.
    EXPECT_EQ(formatTimedLine(noon, 950, 123), "12:00:00:00 E=0.95 T= 123\r\n");
    EXPECT_EQ(formatTimedLine(noon, 950, 5), "12:00:00:00 E=0.95 T=   5\r\n");
    for (int temperature : {-40, 0, 9, 99, 999, 1234, 99999})
        EXPECT_EQ(formatTimedLine(noon, 950, temperature).size(), timedLineLength) << temperature;
    EXPECT_GE(timedLineLength, 26u);
    EXPECT_EQ(formatTimedLine(noon, 950, -40), "12:00:00:00 E=0.95 T=   0\r\n");
    EXPECT_EQ(formatTimedLine(noon, 950, 99999), "12:00:00:00 E=0.95 T=9999\r\n");
}

TEST(InstrumentLines, TimedEmissivityIsRoundedToHundredths)
{
    EXPECT_EQ(formatTimedLine(0, 954, 100).substr(12, 7), "E=0.95 ");
    EXPECT_EQ(formatTimedLine(0, 955, 100).substr(12, 7), "E=0.96 ");
    EXPECT_EQ(formatTimedLine(0, 995, 100).substr(12, 7), "E=1.00 ");
    EXPECT_EQ(formatTimedLine(0, -300, 100).substr(12, 7), "E=0.00 ");
    EXPECT_EQ(formatTimedLine(0, 50000, 100).size(), timedLineLength);
}

TEST(InstrumentLines, ProgramReadsBackEveryDownloadedRecord)
{
    for (const Record &record : generateMemory(300)) {
        const std::string line = formatNumberedLine(record);
        ASSERT_EQ(line.size(), numberedLineLength);
        DeviceReading reading{};
        ASSERT_TRUE(parseAlone(line, PollMode::FromMemory, reading)) << line;
        EXPECT_EQ(reading.number, record.number);
        EXPECT_EQ(reading.time, record.time * 10);
        EXPECT_EQ(reading.emissivity, record.emissivity);
        EXPECT_EQ(reading.temperature, record.temperature);
        EXPECT_EQ(reading.mode, static_cast<int>(record.mode)) << line;
    }
}

TEST(InstrumentLines, ProgramReadsBackTimedReadingsInBothModes)
{
    for (int temperature : {0, 7, 42, 999, 1500, 9999}) {
        const std::string line = formatTimedLine(at12_34_56_78, 950, temperature);
        for (PollMode mode : {PollMode::Continuous, PollMode::FromMemory}) {
            DeviceReading reading{};
            ASSERT_TRUE(parseAlone(line, mode, reading)) << line;
            EXPECT_EQ(reading.time, at12_34_56_78 * 10);
            EXPECT_EQ(reading.emissivity, 950);
            EXPECT_EQ(reading.temperature, temperature) << line;
            EXPECT_EQ(reading.mode, 5);
        }
    }
}

TEST(InstrumentLines, MemoryRunsForwardInTimeAndChangesSmoothly)
{
    const std::vector<Record> records = generateMemory(200);
    ASSERT_EQ(records.size(), 200u);
    std::set<int> emissivities;
    std::set<RecordMode> modes;
    for (std::size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(records[i].number, static_cast<int>(i) + 1);
        EXPECT_GT(records[i].temperature, 0);
        EXPECT_LT(records[i].temperature, 1000);
        emissivities.insert(records[i].emissivity);
        modes.insert(records[i].mode);
        if (i == 0)
            continue;
        const int step = records[i].time - records[i - 1].time;
        EXPECT_TRUE(step >= 100 && step < 200) << "record " << i + 1;
        EXPECT_LT(std::abs(records[i].temperature - records[i - 1].temperature), 40) << i + 1;
    }
    EXPECT_GE(emissivities.size(), 3u);
    EXPECT_GE(modes.size(), 4u);
    EXPECT_EQ(generateMemory(0).size(), 0u);
    EXPECT_EQ(generateMemory(-5).size(), 0u);
    EXPECT_EQ(generateMemory(100000).size(), static_cast<std::size_t>(maxRecordNumber));
}

TEST(InstrumentLines, SampleFileIsTheDownloadOfItsRecords)
{
    // The sample is a download as sent: regenerate it with --write-file when the memory changes.
    std::ifstream file(ORMA_SAMPLE_FILE, std::ios::binary);
    ASSERT_TRUE(file) << ORMA_SAMPLE_FILE;
    const std::string bytes{std::istreambuf_iterator<char>(file), {}};
    ASSERT_EQ(bytes.size() % numberedLineLength, 0u);
    EXPECT_EQ(bytes,
              formatDownload(generateMemory(static_cast<int>(bytes.size() / numberedLineLength))));
    for (std::size_t end = numberedLineLength; end <= bytes.size(); end += numberedLineLength)
        ASSERT_EQ(bytes.substr(end - 2, 2), "\r\n") << "line ending at " << end;
}

TEST(InstrumentOptions, RejectsMalformedValues)
{
    for (std::string line :
         {"--memory 0", "--memory 10000", "--memory 12x", "--memory=", "--memory -5", "--delay",
          "--delay -1", "--delay nan", "--delay 1e9", "--line-delay=", "--interval 0",
          "--interval 99999999999", "--write-file", "--repeat=yes", "--frobnicate",
          "--continuous --memory 5", "--continuous --write-file x"}) {
        std::vector<const char *> argv{"orma-instrument"};
        for (char *word = std::strtok(line.data(), " "); word; word = std::strtok(nullptr, " "))
            argv.push_back(word);
        Options options;
        std::string error;
        EXPECT_FALSE(parseOptions(static_cast<int>(argv.size()), argv.data(), options, error))
            << line;
        EXPECT_FALSE(error.empty()) << line;
    }
}

} // namespace
