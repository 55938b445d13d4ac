#include "acquisition/ReconnectingPort.h"

#include "acquisition/ReaderThread.h"
#include "acquisition/Reception.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

// A port that gives its bytes, then ends as told: hung up, or silent for good.
class ScriptedPort final : public ByteSource
{
public:
    ScriptedPort(std::string bytes, ReadResult end) : m_bytes(std::move(bytes)), m_end(end) {}

    ReadResult readByte(char &byte) override
    {
        if (m_next == m_bytes.size())
            return m_end;
        byte = m_bytes[m_next++];
        return ReadResult::Byte;
    }
    void purgeReceive() override {}

private:
    std::string m_bytes;
    std::size_t m_next = 0;
    ReadResult m_end;
};

const std::string First = "10:00:00:00 E=0.95 T= 800\r\n";
const std::string Second = "10:00:01:00 E=0.95 T= 801\r\n";
const std::string Third = "10:00:05:00 E=0.95 T= 805\r\n";
const std::string Fourth = "10:00:06:00 E=0.95 T= 806\r\n";

// The reader over a port unplugged in mid-line and plugged again a while later: the store
// gets the whole lines of both sides, the fragment none of its bytes; the gap is told once
// each way, and nothing tries to open the device while its path is not there.
TEST(ReconnectingPort, ReaderKeepsWholeLinesAcrossAnUnplug)
{
    QTemporaryDir folder;
    const QString device = folder.filePath(QStringLiteral("by-id-link"));
    std::vector<PortPresence> told;
    int opens = 0;
    std::thread replug;
    auto port =
        std::make_unique<ScriptedPort>(First + Second + "10:00:02:00 E=0.9", ReadResult::LinkLost);
    ReconnectingPort reconnecting(
        QFile::encodeName(device).toStdString(), std::move(port),
        [&](PortPresence presence) {
            told.push_back(presence);
            if (presence == PortPresence::Gone)
                replug = std::thread([&] {
                    std::this_thread::sleep_for(std::chrono::milliseconds(600));
                    QFile(device).open(QIODevice::WriteOnly);
                });
        },
        [&](const std::string &) -> std::unique_ptr<ByteSource> {
            ++opens;
            return std::make_unique<ScriptedPort>(Third + Fourth, ReadResult::TimedOut);
        });

    Reception reception;
    reception.setSource(&reconnecting);
    std::atomic<bool> stop{false};
    std::atomic<ReaderEndReason> end{ReaderEndReason::Stopped};
    int lines = 0;
    ReaderThreadProc(reception, stop, end, [&](quint32 counter, qint64) {
        if (counter != 0)
            stop = ++lines == 4;
    });
    replug.join();

    const std::span<const char> bytes = reception.bytes();
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), First + Second + Third + Fourth);
    EXPECT_EQ(end.load(), ReaderEndReason::Stopped);
    EXPECT_EQ(told, (std::vector{PortPresence::Gone, PortPresence::Back}));
    EXPECT_EQ(opens, 1);
}

// A device that is there but does not open yet (udev still setting its rights) is tried again.
TEST(ReconnectingPort, TriesAgainUntilTheDeviceOpens)
{
    QTemporaryDir folder;
    const QString device = folder.filePath(QStringLiteral("device"));
    QFile(device).open(QIODevice::WriteOnly);
    int opens = 0;
    std::vector<PortPresence> told;
    ReconnectingPort reconnecting(
        QFile::encodeName(device).toStdString(), nullptr,
        [&](PortPresence presence) { told.push_back(presence); },
        [&](const std::string &) -> std::unique_ptr<ByteSource> {
            if (++opens < 3)
                return nullptr;
            return std::make_unique<ScriptedPort>(First, ReadResult::TimedOut);
        });
    char byte = 0;
    std::string received;
    for (int read = 0; read < 200 && received.size() < First.size(); ++read)
        if (reconnecting.readByte(byte) == ReadResult::Byte) {
            received += byte;
            const std::span<const char> held = reconnecting.heldBytes();
            received.append(held.begin(), held.end());
            reconnecting.skipHeld(held.size());
        }
    EXPECT_EQ(received, First);
    EXPECT_EQ(opens, 3);
    EXPECT_EQ(told, std::vector{PortPresence::Back});
}

} // namespace
