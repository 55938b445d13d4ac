#pragma once

#include "acquisition/ByteSource.h"

#include <functional>
#include <memory>
#include <string>

// What a port that follows its device across an unplug tells, on the reader's thread.
enum class PortPresence
{
    Gone, // the device hung up or went away; the port waits for it
    Back, // the device is there again and the port reads it
};

// A port that outlives its adapter: when the device hangs up, the port closes it, says so
// once, waits for its path to come back (looked at every RetryIntervalMs) and opens it
// anew, instead of ending the reception. It hands out whole lines only: the fragment of a
// line a hang-up cut off is dropped, never joined to the bytes after the gap, so a reading
// is neither lost nor duplicated beyond what the instrument sent while it was away.
class ReconnectingPort final : public ByteSource
{
public:
    static constexpr int RetryIntervalMs = 200;

    // Opens the device at a path; null when it does not open now.
    using Opener = std::function<std::unique_ptr<ByteSource>(const std::string &path)>;
    using Report = std::function<void(PortPresence)>;

    // Reads opened, the device at path; report hears of each hang-up and return. open
    // defaults to OpenPort.
    ReconnectingPort(std::string path, std::unique_ptr<ByteSource> opened, Report report,
                     Opener open = {});
    ReconnectingPort(const ReconnectingPort &) = delete;
    ReconnectingPort &operator=(const ReconnectingPort &) = delete;
    ~ReconnectingPort() override;

    // Never gives LinkLost nor EndOfData: while the device is away it waits, at most the
    // retry interval per call, and gives TimedOut.
    ReadResult readByte(char &byte) override;
    void purgeReceive() override;
    // The rest of the whole line being handed out.
    std::span<const char> heldBytes() override;
    void skipHeld(std::size_t count) override;

private:
    bool reopen();
    void lose();

    std::string m_path;
    std::unique_ptr<ByteSource> m_port;
    Report m_report;
    Opener m_open;
    // The line being received, and the whole line being handed out from m_next on.
    std::string m_partial;
    std::string m_line;
    std::size_t m_next = 0;
    // A line that outgrew the longest a store keeps is handed out as it comes: it will be
    // dropped whole by the store whatever joins it.
    bool m_overlong = false;
};
