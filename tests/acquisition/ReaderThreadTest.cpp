#include "acquisition/ReaderThread.h"

#include "acquisition/DataFileSource.h"
#include "acquisition/Reception.h"
#include "acquisition/SerialPort.h"
#include "tests/support/PseudoTerminal.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <ostream>
#include <thread>
#include <vector>

namespace {

struct Report
{
    quint32 lineCounter;
    qint64 lineStart;
    bool operator==(const Report &) const = default;
};

void PrintTo(const Report &report, std::ostream *out)
{
    *out << "(" << report.lineCounter << ", " << report.lineStart << ")";
}

constexpr Report Final{0, 0};

// An instrument line of 37 bytes.
std::string numberedLine(int number)
{
    char line[64];
    std::snprintf(line, sizeof line, "%4d 12:00:%02d:50 E=0.950 T=%4d TRC\r\n", number % 10000,
                  number % 60, number % 1000);
    return line;
}

std::string numberedLines(int count)
{
    std::string lines;
    for (int number = 1; number <= count; ++number)
        lines += numberedLine(number);
    return lines;
}

std::string bytesOf(const Reception &reception)
{
    return {reception.bytes().data(), reception.bytes().size()};
}

class ReaderThreadTest : public testing::Test
{
protected:
    void TearDown() override
    {
        m_stopEvent = true;
        m_reader.reset();
    }

    std::string received() const { return bytesOf(m_reception); }

    void startReading(ByteSource *source)
    {
        m_reception.setSource(source);
        m_stopEvent = false;
        m_reader = std::make_unique<ReaderThread>(m_stopEvent);
        QObject::connect(
            m_reader.get(), &ReaderThread::linesWaiting, &m_dialog,
            [this] {
                for (const PostedLine &line : m_reader->takeLines())
                    m_reports.push_back({line.lineCounter, line.lineStart});
            },
            Qt::QueuedConnection);
        m_reader->start(m_reception);
    }

    bool waitForReports(std::size_t count, int timeoutMs = 5000)
    {
        return QTest::qWaitFor([&] { return m_reports.size() >= count; }, timeoutMs);
    }

    bool waitForEnd(int timeoutMs = 5000)
    {
        return QTest::qWaitFor([&] { return !m_reports.empty() && m_reports.back() == Final; },
                               timeoutMs);
    }

    // After the end, nothing more arrives, and the end came once.
    void expectEndedOnce()
    {
        m_reader->wait();
        QTest::qWait(50);
        ASSERT_FALSE(m_reports.empty());
        EXPECT_EQ(m_reports.back(), Final);
        EXPECT_EQ(std::count(m_reports.begin(), m_reports.end(), Final), 1);
    }

    std::vector<Report> lineReports() const
    {
        std::vector<Report> lines = m_reports;
        std::erase(lines, Final);
        return lines;
    }

    QObject m_dialog;
    Reception m_reception;
    std::atomic<bool> m_stopEvent{true};
    std::unique_ptr<ReaderThread> m_reader;
    std::vector<Report> m_reports;
};

class PortReaderTest : public ReaderThreadTest
{
protected:
    void SetUp() override
    {
        ReaderThreadTest::SetUp();
        PortOpenResult opened = OpenPort(m_instrument.slavePath());
        ASSERT_TRUE(opened.port);
        m_port = std::move(opened.port);
    }

    void TearDown() override
    {
        ReaderThreadTest::TearDown();
        m_port.reset();
    }

    PseudoTerminal m_instrument;
    std::unique_ptr<SerialPort> m_port;
};

TEST_F(PortReaderTest, PostsEachLineWithItsCounterAndPositionUntilStopped)
{
    startReading(m_port.get());
    const std::string lines = numberedLines(3);
    ASSERT_TRUE(m_instrument.write(lines));
    ASSERT_TRUE(waitForReports(3));
    EXPECT_EQ(m_reports, (std::vector<Report>{{1, 0}, {2, 37}, {3, 74}}));
    EXPECT_EQ(received(), lines);

    m_stopEvent = true;
    ASSERT_TRUE(waitForEnd());
    expectEndedOnce();
    EXPECT_EQ(m_reader->endReason(), ReaderEndReason::Stopped);
    EXPECT_EQ(received(), lines);
}

// A short line - noise, or the tail of a line the port opened in - is stored unposted, and
// costs no reading: the whole line after it, and the one after a burst of them, is posted.
TEST_F(PortReaderTest, ShortLineIsStoredUnpostedAndTheLineAfterItKept)
{
    const std::string line26 = "12:00:00:00 E=0.95 T=1234\n";
    const std::string line25 = "12:00:01:00 E=0.95 T=123\n";
    ASSERT_EQ(line26.size(), 26u);
    ASSERT_EQ(line25.size(), 25u);
    startReading(m_port.get());
    const std::string sent = line26 + line25 + numberedLine(3) + "\n\r\n\x7f\n" + numberedLine(7);
    ASSERT_TRUE(m_instrument.write(sent));

    ASSERT_TRUE(waitForReports(3));
    EXPECT_EQ(m_reports, (std::vector<Report>{{1, 0}, {3, 51}, {7, 93}}));
    EXPECT_EQ(received(), sent);
}

TEST_F(PortReaderTest, SilenceIsNoEndButAStopRequestIs)
{
    startReading(m_port.get());
    // Longer than one read's wait for a byte.
    QTest::qWait(SerialPort::ReadTimeoutMs + 300);
    EXPECT_TRUE(m_reports.empty());

    m_stopEvent = true;
    ASSERT_TRUE(waitForEnd(SerialPort::ReadTimeoutMs + 3000));
    expectEndedOnce();
    EXPECT_EQ(m_reports.size(), 1u);
    EXPECT_EQ(m_reader->endReason(), ReaderEndReason::Stopped);
}

TEST_F(PortReaderTest, PollPeriodKeepsOneWholeLinePerPeriod)
{
    m_reception.setPollPeriodMs(200);
    startReading(m_port.get());
    std::atomic<bool> sending{true};
    std::thread instrument([&] {
        for (int number = 1; sending; ++number) {
            m_instrument.write(numberedLine(number));
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
    QTest::qWait(1300);
    m_stopEvent = true;
    const bool ended = waitForEnd();
    sending = false;
    instrument.join();
    ASSERT_TRUE(ended);

    // Some 50 lines came, about 6 periods passed.
    const std::vector<Report> lines = lineReports();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_LE(lines.size(), 10u);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].lineCounter, i + 1);
        const std::string line(m_reception.bytes().data() + lines[i].lineStart, 37);
        EXPECT_EQ(line, numberedLine(std::atoi(line.c_str()))) << line;
    }
}

TEST_F(PortReaderTest, StopRequestCutsAPollPeriodShort)
{
    m_reception.setPollPeriodMs(3600 * 1000);
    startReading(m_port.get());
    ASSERT_TRUE(m_instrument.write(numberedLine(1)));
    ASSERT_TRUE(waitForReports(1));

    m_stopEvent = true;
    ASSERT_TRUE(waitForEnd());
    expectEndedOnce();
    EXPECT_EQ(m_reports, (std::vector<Report>{{1, 0}, Final}));
}

TEST_F(PortReaderTest, LostDeviceEndsReadingAndKeepsData)
{
    startReading(m_port.get());
    const std::string lines = numberedLines(2);
    ASSERT_TRUE(m_instrument.write(lines + "  3 12:0"));
    ASSERT_TRUE(waitForReports(2));

    m_instrument.closeMaster();
    ASSERT_TRUE(waitForEnd());
    expectEndedOnce();
    EXPECT_EQ(m_reader->endReason(), ReaderEndReason::LinkLost);
    EXPECT_EQ(lineReports().size(), 2u);
    EXPECT_EQ(received().substr(0, lines.size()), lines);
}

// Two instruments on two ports, read at once in one process: each reception holds its own
// bytes, its own line numbers and its own poll period, and ends on its own.
TEST(TwoReceptions, RunSideBySideEachWithOnlyItsOwnLines)
{
    struct Side
    {
        PseudoTerminal instrument;
        std::unique_ptr<SerialPort> port;
        Reception reception;
        std::atomic<bool> stop{false};
        std::unique_ptr<ReaderThread> reader;
        std::vector<PostedLine> posted;
        std::string sent;
    };
    Side sides[2];
    QObject window;
    const auto ended = [](const Side &side) {
        return !side.posted.empty() && side.posted.back() == PostedLine{0, 0};
    };
    for (Side &side : sides) {
        PortOpenResult opened = OpenPort(side.instrument.slavePath());
        ASSERT_TRUE(opened.port);
        side.port = std::move(opened.port);
        side.reception.setSource(side.port.get());
        side.reader = std::make_unique<ReaderThread>(side.stop);
        QObject::connect(
            side.reader.get(), &ReaderThread::linesWaiting, &window,
            [&side] {
                for (const PostedLine &line : side.reader->takeLines())
                    side.posted.push_back(line);
            },
            Qt::QueuedConnection);
    }
    // A period on one side only: the other keeps every line.
    sides[1].reception.setPollPeriodMs(3600 * 1000);
    for (Side &side : sides)
        side.reader->start(side.reception);

    // The lines go out interleaved, from two threads, so both readers store at once.
    std::thread instruments[2];
    for (int index = 0; index < 2; ++index)
        instruments[index] = std::thread([&side = sides[index], index] {
            for (int number = 1; number <= 200; ++number) {
                const std::string line = numberedLine(index * 5000 + number);
                side.sent += line;
                side.instrument.write(line);
            }
        });
    for (std::thread &instrument : instruments)
        instrument.join();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return bytesOf(sides[0].reception) == sides[0].sent && !sides[1].posted.empty(); },
        10000));
    // The first side ends by its link; the other goes on until asked to stop.
    sides[0].instrument.closeMaster();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ended(sides[0]); }));
    EXPECT_FALSE(ended(sides[1]));
    sides[1].stop = true;
    ASSERT_TRUE(QTest::qWaitFor([&] { return ended(sides[1]); }));
    for (Side &side : sides)
        side.reader->wait();

    EXPECT_EQ(sides[0].reader->endReason(), ReaderEndReason::LinkLost);
    EXPECT_EQ(sides[1].reader->endReason(), ReaderEndReason::Stopped);
    ASSERT_EQ(sides[0].posted.size(), 201u);
    for (std::size_t i = 0; i < 200; ++i)
        EXPECT_EQ(sides[0].posted[i], (PostedLine{quint32(i + 1), qint64(i * 37)}));
    // The period kept one line, the first, and dropped what came during its wait.
    EXPECT_EQ(sides[1].posted, (std::vector<PostedLine>{{1, 0}, {0, 0}}));
    EXPECT_EQ(bytesOf(sides[1].reception), numberedLine(5001));
}

TEST_F(ReaderThreadTest, WithoutSourceEndsAtOnce)
{
    startReading(nullptr);
    ASSERT_TRUE(waitForEnd());
    expectEndedOnce();
    EXPECT_EQ(m_reports.size(), 1u);
    EXPECT_TRUE(m_reception.bytes().empty());
}

// Data files are read through chunks of these sizes: one byte, a size that splits lines, the
// default.
class DataFileReaderTest : public ReaderThreadTest, public testing::WithParamInterface<std::size_t>
{
protected:
    std::unique_ptr<DataFileSource> openFile(const std::string &bytes)
    {
        const std::string path = m_dir.filePath("data.orm").toStdString();
        std::ofstream(path, std::ios::binary) << bytes;
        return DataFileSource::open(path, GetParam());
    }

    QTemporaryDir m_dir;
};

TEST_P(DataFileReaderTest, EndOfFileEndsReadingWithTheLastLineStoredUnposted)
{
    const std::string lines = numberedLines(40);
    const std::string unfinished = "  41 12:00:41:50 E=0.950 T= 341 TRC";
    const auto file = openFile(lines + unfinished);
    ASSERT_TRUE(file);
    startReading(file.get());

    ASSERT_TRUE(waitForEnd());
    expectEndedOnce();
    EXPECT_EQ(m_reader->endReason(), ReaderEndReason::EndOfData);
    const std::vector<Report> posted = lineReports();
    ASSERT_EQ(posted.size(), 40u);
    EXPECT_EQ(posted.back(), (Report{40, 39 * 37}));
    EXPECT_EQ(received(), lines + unfinished);
}

TEST_P(DataFileReaderTest, FileThatFillsTheBufferEndsWithoutOverrun)
{
    const std::size_t wholeLines = ReceiveBufferSize / 37;
    const std::size_t rest = ReceiveBufferSize - wholeLines * 37;
    const std::string lastLine = std::string(rest - 1, 'x') + "\n";
    const std::string fitting = numberedLines(static_cast<int>(wholeLines)) + lastLine;
    ASSERT_EQ(fitting.size(), ReceiveBufferSize);
    // A last line too long for the rest of the buffer fills it in its middle.
    const std::string overlong =
        numberedLines(static_cast<int>(wholeLines)) + std::string(rest + 40, 'y') + "\n";

    const struct
    {
        std::string file;
        ReaderEndReason reason;
        std::size_t postedLines;
    } rows[] = {{fitting, ReaderEndReason::EndOfData, wholeLines + 1},
                {fitting + numberedLine(1), ReaderEndReason::BufferFull, wholeLines + 1},
                {overlong, ReaderEndReason::BufferFull, wholeLines}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.file.size());
        m_reception.clear();
        m_reports.clear();
        const auto file = openFile(row.file);
        ASSERT_TRUE(file);
        startReading(file.get());
        ASSERT_TRUE(waitForEnd(20000));
        expectEndedOnce();
        EXPECT_EQ(m_reader->endReason(), row.reason);
        EXPECT_EQ(m_reception.bytes().size(), ReceiveBufferSize);
        EXPECT_TRUE(received() == row.file.substr(0, ReceiveBufferSize));
        const std::vector<Report> posted = lineReports();
        ASSERT_EQ(posted.size(), row.postedLines);
        EXPECT_EQ(posted.back().lineCounter, row.postedLines);
        EXPECT_EQ(posted.back().lineStart, qint64((row.postedLines - 1) * 37));
    }
}

// A file kept whole grows past the buffer's size while this thread reads each posted line from
// the store, as the window does; bounded in the lines it lets wait, the reader keeps only so far
// ahead, and a stop ends it while it waits.
TEST_P(DataFileReaderTest, AFileKeptWholeGrowsPastTheBufferWhileItsLinesAreRead)
{
    const int count = static_cast<int>(2 * ReceiveBufferSize / 37) + 5;
    const std::string lines = numberedLines(count);
    const auto file = openFile(lines);
    ASSERT_TRUE(file);
    Reception reception;
    // Room for nothing: the store grows block by block under the reading.
    reception.keepWhole(0);
    reception.setSource(file.get());
    std::atomic<bool> stop{false};
    auto reader = std::make_unique<ReaderThread>(stop);
    reader->setMostWaiting(100);
    reader->start(reception);
    std::vector<PostedLine> posted;
    while (posted.empty() || posted.back() != PostedLine{0, 0}) {
        const std::vector<PostedLine> taken = reader->takeLines();
        // The bound, and the reader's end past it.
        ASSERT_LE(taken.size(), 101u);
        for (const PostedLine &line : taken) {
            posted.push_back(line);
            if (line == PostedLine{0, 0})
                break;
            const std::span<const char> bytes = reception.bytes();
            ASSERT_LE(static_cast<std::size_t>(line.lineStart) + 37, bytes.size());
            ASSERT_EQ(std::string(bytes.data() + line.lineStart, 37),
                      numberedLine(static_cast<int>(line.lineCounter)));
        }
        std::this_thread::yield();
    }
    reader->wait();
    EXPECT_EQ(reader->endReason(), ReaderEndReason::EndOfData);
    EXPECT_EQ(posted.size(), static_cast<std::size_t>(count) + 1);
    EXPECT_TRUE(bytesOf(reception) == lines);
    // Cut where the rows taken end, the bytes are those rows'.
    reception.truncate(10 * 37);
    EXPECT_EQ(bytesOf(reception), lines.substr(0, 10 * 37));

    // Stopped while it waits for its lines to be taken.
    const auto again = openFile(lines);
    reception.keepWhole(lines.size());
    reception.setSource(again.get());
    reader = std::make_unique<ReaderThread>(stop);
    reader->setMostWaiting(10);
    reader->start(reception);
    ASSERT_TRUE(QTest::qWaitFor([&] { return reception.bytes().size() >= 11 * 37; }, 10000));
    stop = true;
    reader->wait();
    EXPECT_EQ(reader->endReason(), ReaderEndReason::Stopped);
    EXPECT_LE(reader->takeLines().size(), 12u);
}

INSTANTIATE_TEST_SUITE_P(ChunkSizes, DataFileReaderTest,
                         testing::Values(1, 23, DataFileSource::DefaultChunkSize));

} // namespace
