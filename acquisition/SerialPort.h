#pragma once

#include "acquisition/ByteSource.h"

#include <QString>

#include <memory>
#include <optional>
#include <string>

class SerialPort;

// Why a port did not open.
struct PortOpenFailure
{
    enum class Reason
    {
        None,
        NoPermission,
        Busy,
        Gone,
        NotSerialPort,
        Other
    };

    Reason reason = Reason::None;
    // For NoPermission: the group owning the device, empty when it has no name; whether that
    // group may read and write the device, and whether this process is in it.
    std::string group;
    bool groupMayUse = false;
    bool inGroup = false;
    // For Busy: the program that has the device open and its process id, when it was found.
    std::string holder;
    int holderPid = 0;
};

// A process other than this one that has the device at path open.
struct PortHolder
{
    std::string name;
    int pid = 0;
};

// Looks through the open files of the processes this one may see (all of them for root) for
// the device at path.
std::optional<PortHolder> FindPortHolder(const std::string &path);

// A configured port, or null and the reason it failed.
struct PortOpenResult
{
    std::unique_ptr<SerialPort> port;
    PortOpenFailure failure;
};

// Opens the device at name for the instrument; a device that is no terminal (a file, a folder,
// /dev/null) fails as NotSerialPort before anything else is asked of it. Opens exclusively
// (TIOCEXCL and an advisory lock, so a port held by another program fails as Busy; root, whom
// TIOCEXCL does not stop, is refused a device another process has open), both queues flushed, raw
// 9600 8N1 with DTR and RTS off where the device has modem lines. The break is set while
// configuring and cleared again on success and on every failure.
PortOpenResult OpenPort(const std::string &name);

// The reason a failed open of path, with the system error code error, gives the user.
PortOpenFailure PortOpenFailureFor(int error, const std::string &path);

// The language of a message: the window always speaks Russian, orma-cli its user's locale.
enum class MessageLanguage
{
    Russian,
    English
};

// One line that tells the user why the port did not open; empty when there is no more to say
// than that it failed.
QString PortOpenFailureText(const PortOpenFailure &failure,
                            MessageLanguage language = MessageLanguage::Russian);

// The serial port of a reception. Never written to: the instrument sends on its own.
class SerialPort final : public ByteSource
{
public:
    // Short, so that the reader sees a stop request soon while the line is idle.
    static constexpr int ReadTimeoutMs = 100;

    SerialPort(const SerialPort &) = delete;
    SerialPort &operator=(const SerialPort &) = delete;
    // Releases the exclusive hold and closes the device.
    ~SerialPort() override;

    // Waits up to ReadTimeoutMs for a byte. A device that hung up or failed gives LinkLost,
    // never a time-out.
    ReadResult readByte(char &byte) override;
    void purgeReceive() override;

private:
    friend PortOpenResult OpenPort(const std::string &name);
    explicit SerialPort(int fd) : m_fd(fd) {}

    int m_fd;
};
