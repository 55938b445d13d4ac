#include "acquisition/ReconnectingPort.h"

#include "acquisition/ReaderThread.h"
#include "acquisition/SerialPort.h"

#include <chrono>
#include <thread>

#include <sys/stat.h>

namespace {

std::unique_ptr<ByteSource> openDevice(const std::string &path)
{
    return OpenPort(path).port;
}

} // namespace

ReconnectingPort::ReconnectingPort(std::string path, std::unique_ptr<ByteSource> opened,
                                   Report report, Opener open)
    : m_path(std::move(path)), m_port(std::move(opened)), m_report(std::move(report)),
      m_open(open ? std::move(open) : Opener(openDevice))
{}

ReconnectingPort::~ReconnectingPort() = default;

ReadResult ReconnectingPort::readByte(char &byte)
{
    if (m_next < m_line.size()) {
        byte = m_line[m_next++];
        return ReadResult::Byte;
    }
    if (!m_port && !reopen())
        return ReadResult::TimedOut;

    char received = 0;
    const ReadResult result = m_port->readByte(received);
    if (result == ReadResult::LinkLost || result == ReadResult::EndOfData) {
        lose();
        return ReadResult::TimedOut;
    }
    if (result != ReadResult::Byte)
        return result;
    if (m_overlong) {
        m_overlong = received != '\n';
        byte = received;
        return ReadResult::Byte;
    }
    m_partial.push_back(received);
    if (received != '\n' && m_partial.size() <= LongestStoredLine)
        return ReadResult::TimedOut;
    m_overlong = received != '\n';
    m_line.swap(m_partial);
    m_partial.clear();
    m_next = 1;
    byte = m_line.front();
    return ReadResult::Byte;
}

void ReconnectingPort::purgeReceive()
{
    m_partial.clear();
    m_next = m_line.size();
    if (m_port)
        m_port->purgeReceive();
}

std::span<const char> ReconnectingPort::heldBytes()
{
    return {m_line.data() + m_next, m_line.size() - m_next};
}

void ReconnectingPort::skipHeld(std::size_t count)
{
    m_next += std::min(count, m_line.size() - m_next);
}

// The path is looked at before each open: a device that is not there costs no open, and an
// open that fails (udev may not have set the device's rights yet) is tried again.
bool ReconnectingPort::reopen()
{
    std::this_thread::sleep_for(std::chrono::milliseconds(RetryIntervalMs));
    struct stat status = {};
    if (::stat(m_path.c_str(), &status) != 0)
        return false;
    m_port = m_open(m_path);
    if (!m_port)
        return false;
    m_report(PortPresence::Back);
    return true;
}

void ReconnectingPort::lose()
{
    m_port.reset();
    m_partial.clear();
    m_report(PortPresence::Gone);
}
