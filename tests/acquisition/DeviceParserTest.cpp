#include "acquisition/DeviceParser.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <ostream>
#include <random>
#include <string>
#include <string_view>

// How failing expectations show a reading.
void PrintTo(const DeviceReading &r, std::ostream *out)
{
    *out << "{number " << r.number << ", time " << r.time << ", temperature " << r.temperature
         << ", emissivity " << r.emissivity << ", mode " << int{r.mode} << "}";
}

namespace {

constexpr std::string_view numberedLine = "   1 12:34:56:78 E=0.950 T=1234 TRC\r\n";
constexpr std::string_view timedLine = "12:00:00:00 E=0.95 T=123\r\n";
constexpr std::int32_t time12_34_56_78 = 45296780;
constexpr std::int32_t noon = 43200000;
constexpr auto badPollMode = static_cast<PollMode>(2);

// The bytes in a heap block of exactly their size with no zero after them, so that the address
// sanitizer reports any read past the end.
class ExactBuffer
{
public:
    explicit ExactBuffer(std::string_view bytes)
        : m_size(bytes.size()), m_data(new char[bytes.size()])
    {
        std::memcpy(m_data.get(), bytes.data(), bytes.size());
    }
    const char *data() const { return m_data.get(); }
    std::size_t size() const { return m_size; }

private:
    std::size_t m_size;
    std::unique_ptr<char[]> m_data;
};

constexpr DeviceReading untouched{-7, -7, -7, -7, -7};

struct Result
{
    bool accepted;
    DeviceReading reading;
};

Result parse(std::string_view data, PollMode mode)
{
    const ExactBuffer buffer(data);
    Result result{false, untouched};
    result.accepted = ParseDeviceLine(buffer.data(), buffer.size(), mode, result.reading);
    return result;
}

// ---------------------------------------------------------------------------------------------
// One line (with whatever was received after it) and what it parses to.

struct LineCase
{
    const char *name;
    std::string data;
    PollMode mode;
    bool accepted;
    DeviceReading expected; // ignored when rejected: the reading must then stay untouched
};

void PrintTo(const LineCase &c, std::ostream *out)
{
    *out << c.name;
}

class ParseLine : public testing::TestWithParam<LineCase>
{
};

TEST_P(ParseLine, GivesTheReading)
{
    const LineCase &c = GetParam();
    const Result result = parse(c.data, c.mode);
    ASSERT_EQ(result.accepted, c.accepted);
    EXPECT_EQ(result.reading, c.accepted ? c.expected : untouched);
}

std::string numbered(std::string_view emissivity, std::string_view temperature,
                     std::string_view code)
{
    return "   1 12:34:56:78 E=" + std::string(emissivity) + " T=" + std::string(temperature) +
           " " + std::string(code) + "\r\n";
}

LineCase accepts(const char *name, std::string_view data, PollMode mode, DeviceReading expected)
{
    return {name, std::string(data), mode, true, expected};
}

LineCase rejects(const char *name, std::string_view data, PollMode mode)
{
    return {name, std::string(data), mode, false, {}};
}

constexpr auto FromMemory = PollMode::FromMemory;
constexpr auto Continuous = PollMode::Continuous;

INSTANTIATE_TEST_SUITE_P(
    DeviceParser, ParseLine,
    testing::Values(
        // Numbered lines.
        accepts("Numbered", numberedLine, FromMemory, {1, time12_34_56_78, 1234, 950, 0}),
        accepts("CommaDecimal", numbered("0,95", "1234", "TRC"), FromMemory,
                {1, time12_34_56_78, 1234, 950, 0}),
        accepts("OneDecimal", numbered("0.9", "1234", "TRC"), FromMemory,
                {1, time12_34_56_78, 1234, 900, 0}),
        accepts("NumberedNegativeTemperature", numbered("0.950", " -12", "TRC"), FromMemory,
                {1, time12_34_56_78, -12, 950, 0}),
        accepts("CodeAvr", numbered("0.950", "1234", "AVR"), FromMemory,
                {1, time12_34_56_78, 1234, 950, 1}),
        accepts("CodeMax", numbered("0.950", "1234", "MAX"), FromMemory,
                {1, time12_34_56_78, 1234, 950, 2}),
        accepts("CodeMin", numbered("0.950", "1234", "MIN"), FromMemory,
                {1, time12_34_56_78, 1234, 950, 3}),
        accepts("CodeDif", numbered("0.950", "1234", "DIF"), FromMemory,
                {1, time12_34_56_78, 1234, 950, 4}),
        accepts("CodeSbAtLineEnd", numbered("0.950", "1234", "SB"), FromMemory,
                {1, time12_34_56_78, 1234, 950, 5}),
        accepts("CodeSbEndsTheData", "   1 12:34:56:78 E=0.950 T=1234 SB\r", FromMemory,
                {1, time12_34_56_78, 1234, 950, 5}),
        accepts("CodeSbFollowedByALetter", numbered("0.950", "1234", "SBX"), FromMemory,
                {1, time12_34_56_78, 1234, 950, NoMeasureMode}),
        accepts("UnknownCode", numbered("0.950", "1234", "XYZ"), FromMemory,
                {1, time12_34_56_78, 1234, 950, NoMeasureMode}),
        accepts("LowerCaseCode", numbered("0.950", "1234", "trc"), FromMemory,
                {1, time12_34_56_78, 1234, 950, NoMeasureMode}),
        accepts("TruncatedCode", numbered("0.950", "1234", "TR"), FromMemory,
                {1, time12_34_56_78, 1234, 950, NoMeasureMode}),
        accepts("NumberKeepsLow16Bits", "70000 12:34:56:78 E=0.950 T=1234 TRC\r\n", FromMemory,
                {70000 - 65536, time12_34_56_78, 1234, 950, 0}),
        accepts("NegativeNumber", "  -1 12:34:56:78 E=0.950 T=1234 TRC\r\n", FromMemory,
                {-1, time12_34_56_78, 1234, 950, 0}),
        accepts("EmissivityKeepsLow16Bits", numbered("40.000", "1234", "TRC"), FromMemory,
                {1, time12_34_56_78, 1234, 40000 - 65536, 0}),
        accepts("LongHoursResynchroniseAtColon", "   1 123:34:56:78 E=0.950 T=1234 TRC\r\n",
                FromMemory, {1, time12_34_56_78, 1234, 950, 0}),
        rejects("ShortNumberedAlone", "   1 12:34:56:78 E=1 T=1234 TRC\r\n", FromMemory),
        accepts("ShortNumberedFollowedByData",
                "   1 12:34:56:78 E=1 T=1234 TRC\r\n   2 12:34:56:79 E=1 T=1234 TRC\r\n",
                FromMemory, {1, time12_34_56_78, 1234, 1000, 0}),
        rejects("NumberedWithoutLineEndIsTooShort", "   1 12:34:56:78 E=0.9 T=1234 TR", FromMemory),
        rejects("NumberedInContinuousMode", numberedLine, Continuous),
        rejects("UnknownPollMode", numberedLine, badPollMode), rejects("Empty", "", FromMemory),

        // Timed lines.
        accepts("TimedInMemoryMode", timedLine, FromMemory, {0, noon, 123, 950, 5}),
        accepts("Timed", "23:59:59:99 E=0.95 T=123\r\n", Continuous, {0, 86399990, 123, 950, 5}),
        accepts("TimedNegativeTemperature", "12:00:00:00 E=0.95 T=-12\r\n", Continuous,
                {0, noon, 12, 950, 5}),
        accepts("TimedNegativeTemperatureInMemoryMode", "12:00:00:00 E=0.95 T=-12\r\n", FromMemory,
                {0, noon, 12, 950, 5}),
        accepts("TimedWideEmissivity", "12:00:00:00 E=0.950 T=1234\r\n", Continuous,
                {0, noon, 1234, 950, 5}),
        accepts("TimedCommaDecimal", "12:00:00:00 E=0,95 T=123\r\n", Continuous,
                {0, noon, 123, 950, 5}),
        accepts("TimedTemperatureEndsBefore26", "12:00:00:00 E=0.95 T=12345\r\n", Continuous,
                {0, noon, 12345, 950, 5}),
        accepts("TimedTemperatureCutAt26", "12:00:00:00 E=0.950 T=12345\r\n", Continuous,
                {0, noon, 1234, 950, 5}),
        rejects("TimedXAtPosition12", "12:00:00:00 X=0.95 T=123\r\n", FromMemory),
        rejects("TimedXAtPosition12Continuous", "12:00:00:00 X=0.95 T=123\r\n", Continuous),
        rejects("TimedWithoutT", "12:00:00:00 E=0.95 X=123\r\n", Continuous),
        accepts("TimedShortest", "12:00:00:00 E=0.95 T=1\r\n", Continuous, {0, noon, 1, 950, 5}),
        rejects("TimedTooShort", "12:00:00:00 E=0.95 T=1", Continuous),
        // The scan for the temperature runs to position 26 whatever the line's end: a short
        // line takes digits from the line received after it.
        accepts("TimedShortFollowedByData", "12:00:00:00 E=0.95 T=1\r\n12:00:01:00 E=0.95 T=1\r\n",
                Continuous, {0, noon, 112, 950, 5})),
    [](const testing::TestParamInfo<LineCase> &row) { return std::string(row.param.name); });

TEST(DeviceParser, NullLineIsRejectedInEveryMode)
{
    DeviceReading reading = untouched;
    EXPECT_FALSE(ParseDeviceLine(nullptr, 100, PollMode::FromMemory, reading));
    EXPECT_FALSE(ParseDeviceLine(nullptr, 100, PollMode::Continuous, reading));
    EXPECT_FALSE(ParseNumberedLine(nullptr, 100, reading));
    EXPECT_FALSE(ParseTimedLine(nullptr, 100, reading));
    EXPECT_EQ(reading, untouched);
}

TEST(DeviceParser, LineEndsAtTheFirstZeroByte)
{
    std::string data(numberedLine);
    data += std::string_view("\0   2 12:34:56:79 E=0.950 T=1234 TRC\r\n", 39);
    EXPECT_TRUE(parse(data, PollMode::FromMemory).accepted);

    const std::string shortLine = "   1 12:34:56:78 E=1 T=1234 TRC\r\n";
    data = shortLine + std::string(1, '\0') + shortLine;
    EXPECT_FALSE(parse(data, PollMode::FromMemory).accepted);
}

TEST(DeviceParser, AvailableBoundsTheLineLength)
{
    // The bytes go on in memory, but only those before `available` belong to the data.
    const std::string data = std::string(numberedLine) + std::string(numberedLine);
    DeviceReading reading = untouched;
    EXPECT_FALSE(ParseNumberedLine(data.c_str(), 34, reading));
    EXPECT_TRUE(ParseNumberedLine(data.c_str(), 35, reading));
    EXPECT_FALSE(ParseTimedLine(timedLine.data(), 23, reading));
    EXPECT_TRUE(ParseTimedLine(timedLine.data(), 24, reading));
}

TEST(DeviceParser, DirectCallsParseTheirOwnFormOnly)
{
    const ExactBuffer numberedBuffer(numberedLine);
    const ExactBuffer timedBuffer(timedLine);
    DeviceReading reading = untouched;
    EXPECT_FALSE(ParseTimedLine(numberedBuffer.data(), numberedBuffer.size(), reading));
    EXPECT_FALSE(ParseNumberedLine(timedBuffer.data(), timedBuffer.size(), reading));
    EXPECT_EQ(reading, untouched);
}

TEST(DeviceParser, NumberedScansRunIntoTheFollowingLines)
{
    // Two timed lines read as numbered: the number stops at the first space ("12:00:00:00"
    // gives 12), the hours field meets "E=", and the search for the next ':' runs into the
    // second line, whose time, emissivity and temperature are taken; its line end is taken
    // into the temperature text, and no code follows before the end of the data.
    const std::string data = std::string(timedLine) + std::string(timedLine);
    const ExactBuffer buffer(data);
    DeviceReading reading = untouched;
    ASSERT_TRUE(ParseNumberedLine(buffer.data(), buffer.size(), reading));
    EXPECT_EQ(reading, (DeviceReading{12, 0, 123, 950, NoMeasureMode}));
}

// ---------------------------------------------------------------------------------------------
// Lines cut at every length, each cut in a buffer of exactly its size.

struct CutCase
{
    std::string_view line;
    std::size_t shortestAccepted; // cuts shorter than this are rejected
    std::size_t shortestComplete; // cuts from this length on parse as the whole line
};

TEST(DeviceParser, LinesCutAtEveryLength)
{
    const CutCase cases[] = {
        {numberedLine, 35, 35},
        {"   1 12:34:56:78 E=0.950 T=1234 SB\r\n", 35, 35},
        {timedLine, 24, 24},
        {"12:00:00:00 E=0.950 T=1234\r\n", 24, 26},
    };
    for (const CutCase &c : cases) {
        const Result whole = parse(c.line, PollMode::FromMemory);
        ASSERT_TRUE(whole.accepted) << c.line;
        for (std::size_t n = 0; n <= c.line.size(); ++n) {
            SCOPED_TRACE(testing::Message() << "'" << c.line << "' cut at " << n);
            const std::string_view cut = c.line.substr(0, n);
            const Result result = parse(cut, PollMode::FromMemory);
            EXPECT_EQ(result.accepted, n >= c.shortestAccepted);
            if (n >= c.shortestComplete) {
                EXPECT_EQ(result.reading, whole.reading);
            }

            // The other entry points on the same cut must stay inside it too.
            const ExactBuffer buffer(cut);
            DeviceReading reading{};
            ParseDeviceLine(buffer.data(), buffer.size(), PollMode::Continuous, reading);
            ParseNumberedLine(buffer.data(), buffer.size(), reading);
            ParseTimedLine(buffer.data(), buffer.size(), reading);
        }
    }
}

TEST(DeviceParser, ReceiveBufferFullToItsLastByte)
{
    constexpr std::size_t bufferSize = 1048576;
    std::string data;
    data.reserve(bufferSize);
    while (data.size() + numberedLine.size() <= bufferSize)
        data += numberedLine;
    const std::size_t lastNumbered = data.size() - numberedLine.size();
    const std::string tail = "12:00:00:00 E=0.95 T=1\r\n";
    data.resize(bufferSize - tail.size(), 'x');
    data += tail;
    const ExactBuffer buffer(data);
    const auto at = [&](std::size_t offset, PollMode mode) {
        Result result{false, untouched};
        result.accepted =
            ParseDeviceLine(buffer.data() + offset, buffer.size() - offset, mode, result.reading);
        return result;
    };

    const DeviceReading first{1, time12_34_56_78, 1234, 950, 0};
    EXPECT_EQ(at(0, PollMode::FromMemory).reading, first);
    EXPECT_EQ(at(lastNumbered, PollMode::FromMemory).reading, first);

    // The timed scan to position 26 stops at the end of the data.
    const Result timed = at(bufferSize - tail.size(), PollMode::Continuous);
    EXPECT_TRUE(timed.accepted);
    EXPECT_EQ(timed.reading, (DeviceReading{0, noon, 1, 950, 5}));

    for (std::size_t left = 0; left < 40; ++left) {
        at(bufferSize - left, PollMode::FromMemory);
        at(bufferSize - left, PollMode::Continuous);
    }
}

// ---------------------------------------------------------------------------------------------
// Garbage: random bytes and damaged lines, in exactly sized buffers. Whatever is accepted keeps
// the reading's promises.

void checkPromises(std::string_view data)
{
    const Result memory = parse(data, PollMode::FromMemory);
    if (memory.accepted) {
        EXPECT_GE(memory.reading.mode, 0);
        EXPECT_LE(memory.reading.mode, NoMeasureMode);
        EXPECT_EQ(memory.reading.time % 10, 0);
    } else {
        EXPECT_EQ(memory.reading, untouched);
    }
    const Result continuous = parse(data, PollMode::Continuous);
    if (continuous.accepted) {
        EXPECT_EQ(continuous.reading.number, 0);
        EXPECT_EQ(continuous.reading.mode, 5);
        EXPECT_GE(continuous.reading.temperature, 0);
        EXPECT_EQ(continuous.reading.time % 10, 0);
    } else {
        EXPECT_EQ(continuous.reading, untouched);
    }
}

TEST(DeviceParser, GarbageBytes)
{
    std::mt19937 random(20240611);
    constexpr std::string_view likely("0123456789:.,- ETR=SBXMAVIND\r\n\0", 32);
    std::uniform_int_distribution<int> length(0, 80);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<std::size_t> pick(0, likely.size() - 1);
    for (int i = 0; i < 20000; ++i) {
        std::string data(static_cast<std::size_t>(length(random)), '\0');
        for (char &c : data)
            c = byte(random) < 64 ? static_cast<char>(byte(random)) : likely[pick(random)];
        SCOPED_TRACE(testing::PrintToString(data));
        checkPromises(data);
    }
}

TEST(DeviceParser, DamagedLines)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<int> byte(0, 255);
    for (std::string_view line : {numberedLine, timedLine}) {
        for (std::size_t pos = 0; pos < line.size(); ++pos) {
            for (int k = 0; k < 64; ++k) {
                std::string data(line);
                data[pos] = static_cast<char>(byte(random));
                SCOPED_TRACE(testing::PrintToString(data));
                checkPromises(data);
                checkPromises(std::string_view(data).substr(0, pos + 1));
            }
        }
    }
}

// ---------------------------------------------------------------------------------------------

TEST(MeasureModes, NamesMapBackToTheirIndex)
{
    for (int i = 0; i < MeasureModeCount; ++i)
        EXPECT_EQ(MeasureModeFromName(MeasureModeName(i)), i) << i;
    EXPECT_STREQ(MeasureModeName(NoMeasureMode), "");
    EXPECT_STREQ(MeasureModeName(-1), "");
    EXPECT_EQ(MeasureModeFromName(""), -1);
    EXPECT_EQ(MeasureModeFromName("TRC"), -1);
    EXPECT_EQ(MeasureModeFromName("Сбор"), -1);
    EXPECT_EQ(MeasureModeFromName("Сбор данных "), -1);
    EXPECT_EQ(MeasureModeFromName("Сбор данных"), 5);
}

TEST(MeasureModes, NamesAreCyrillicWithNoLatinLookAlikes)
{
    for (const MeasureMode &mode : MeasureModes) {
        const std::string_view name = mode.name;
        SCOPED_TRACE(name);
        ASSERT_FALSE(name.empty());
        for (std::size_t i = 0; i < name.size(); ++i) {
            if (name[i] == ' ')
                continue;
            // U+0410 to U+044F: lead byte 0xD0 or 0xD1 and one continuation byte.
            const auto lead = static_cast<unsigned char>(name[i]);
            ASSERT_TRUE(lead == 0xD0 || lead == 0xD1) << "byte " << i;
            ASSERT_LT(i + 1, name.size());
            ++i;
        }
    }
}

TEST(MeasureModes, CodesAreThoseTheInstrumentSends)
{
    const char *codes[] = {"TRC", "AVR", "MAX", "MIN", "DIF", "SB"};
    for (int i = 0; i < MeasureModeCount; ++i)
        EXPECT_STREQ(MeasureModes[i].code, codes[i]);
}

} // namespace
