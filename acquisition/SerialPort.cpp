#include "acquisition/SerialPort.h"

#include <cerrno>
#include <vector>

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

// A pseudo-terminal has no modem lines and may not know break: for those requests "not
// supported" is no failure.
bool requestDone(int result)
{
    return result == 0 || errno == ENOTTY || errno == EINVAL;
}

std::string groupName(gid_t gid)
{
    group entry{};
    group *found = nullptr;
    std::vector<char> strings(16384);
    if (getgrgid_r(gid, &entry, strings.data(), strings.size(), &found) != 0 || !found)
        return {};
    return found->gr_name;
}

void setLineSettings(termios &settings)
{
    cfmakeraw(&settings);
    cfsetispeed(&settings, B9600);
    cfsetospeed(&settings, B9600);
    settings.c_cflag &= ~tcflag_t(CSIZE | PARENB | CSTOPB | CRTSCTS);
    settings.c_cflag |= CS8 | CLOCAL | CREAD;
    settings.c_iflag &= ~tcflag_t(IXON | IXOFF | IXANY);
    // The descriptor stays non-blocking and reads wait in poll(); a read of 0 bytes then only
    // ever means a hang-up.
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
}

// Everything after the open; returns 0 or the error that failed it. The break is left set.
int configure(int fd, bool &exclusive)
{
    if (flock(fd, LOCK_EX | LOCK_NB) != 0)
        return errno;
    if (!requestDone(ioctl(fd, TIOCEXCL)))
        return errno;
    exclusive = true;
    tcflush(fd, TCIOFLUSH);
    if (!requestDone(ioctl(fd, TIOCSBRK)))
        return errno;

    termios settings{};
    if (tcgetattr(fd, &settings) != 0)
        return errno;
    setLineSettings(settings);
    if (tcsetattr(fd, TCSANOW, &settings) != 0)
        return errno;
    int modemLines = TIOCM_DTR | TIOCM_RTS;
    if (!requestDone(ioctl(fd, TIOCMBIC, &modemLines)))
        return errno;
    return 0;
}

void closeDevice(int fd, bool exclusive)
{
    // The exclusive mode belongs to the terminal, not to this descriptor: it would outlive
    // the close while anyone else keeps the device open.
    if (exclusive)
        ioctl(fd, TIOCNXCL);
    close(fd);
}

} // namespace

PortOpenResult OpenPort(const std::string &name)
{
    if (name.empty())
        return {nullptr, {PortOpenFailure::Reason::Other, {}}};
    const int fd = open(name.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {nullptr, PortOpenFailureFor(errno, name)};

    bool exclusive = false;
    const int error = configure(fd, exclusive);
    ioctl(fd, TIOCCBRK);
    if (error != 0) {
        closeDevice(fd, exclusive);
        return {nullptr, PortOpenFailureFor(error, name)};
    }
    return {std::unique_ptr<SerialPort>(new SerialPort(fd)), {}};
}

PortOpenFailure PortOpenFailureFor(int error, const std::string &path)
{
    switch (error) {
    case EACCES:
    case EPERM: {
        struct stat device = {};
        const bool known = stat(path.c_str(), &device) == 0;
        return {PortOpenFailure::Reason::NoPermission, known ? groupName(device.st_gid) : ""};
    }
    case EBUSY:
    case EWOULDBLOCK:
        return {PortOpenFailure::Reason::Busy, {}};
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case EIO:
        return {PortOpenFailure::Reason::Gone, {}};
    default:
        return {PortOpenFailure::Reason::Other, {}};
    }
}

QString PortOpenFailureText(const PortOpenFailure &failure)
{
    switch (failure.reason) {
    case PortOpenFailure::Reason::NoPermission:
        if (failure.group.empty())
            return QStringLiteral("Нет прав доступа к порту.");
        return QStringLiteral("Нет прав доступа к порту: добавьте пользователя в группу %1.")
            .arg(QString::fromStdString(failure.group));
    case PortOpenFailure::Reason::Busy:
        return QStringLiteral("Порт занят другой программой.");
    case PortOpenFailure::Reason::Gone:
        return QStringLiteral("Устройство не найдено или отключено.");
    case PortOpenFailure::Reason::None:
    case PortOpenFailure::Reason::Other:
        break;
    }
    return {};
}

SerialPort::~SerialPort()
{
    closeDevice(m_fd, true);
}

ReadResult SerialPort::readByte(char &byte)
{
    pollfd request{m_fd, POLLIN, 0};
    const int ready = poll(&request, 1, ReadTimeoutMs);
    if (ready == 0 || (ready < 0 && errno == EINTR))
        return ReadResult::TimedOut;
    if (ready < 0 || !(request.revents & POLLIN))
        return ReadResult::LinkLost;

    const ssize_t count = read(m_fd, &byte, 1);
    if (count == 1)
        return ReadResult::Byte;
    if (count < 0 && (errno == EAGAIN || errno == EINTR))
        return ReadResult::TimedOut;
    return ReadResult::LinkLost;
}

void SerialPort::purgeReceive()
{
    tcflush(m_fd, TCIFLUSH);
}
