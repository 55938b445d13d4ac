#include "acquisition/SerialPort.h"

#include "acquisition/ProcessCommand.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <dirent.h>

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

// A failure with no more to say than its reason.
PortOpenFailure failureOf(PortOpenFailure::Reason reason)
{
    PortOpenFailure failure;
    failure.reason = reason;
    return failure;
}

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

bool inGroup(gid_t gid)
{
    if (getegid() == gid)
        return true;
    const int count = getgroups(0, nullptr);
    std::vector<gid_t> groups(static_cast<std::size_t>(std::max(count, 0)));
    if (count <= 0 || getgroups(count, groups.data()) < 0)
        return false;
    return std::find(groups.begin(), groups.end(), gid) != groups.end();
}

bool isNumber(const char *text)
{
    return *text != '\0' &&
           std::all_of(text, text + std::strlen(text), [](char c) { return c >= '0' && c <= '9'; });
}

// Whether one of the open files in the folder fds (a /proc/<pid>/fd) is the device.
bool holdsDevice(const std::string &fds, dev_t device)
{
    DIR *folder = opendir(fds.c_str());
    if (folder == nullptr)
        return false;
    bool holds = false;
    while (const dirent *entry = readdir(folder)) {
        struct stat target = {};
        if (isNumber(entry->d_name) && stat((fds + '/' + entry->d_name).c_str(), &target) == 0 &&
            S_ISCHR(target.st_mode) && target.st_rdev == device) {
            holds = true;
            break;
        }
    }
    closedir(folder);
    return holds;
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
        return {nullptr, failureOf(PortOpenFailure::Reason::Other)};
    const int fd = open(name.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {nullptr, PortOpenFailureFor(errno, name)};
    // Before the search for a holder: /dev/null is open in every shell, yet no busy port.
    if (isatty(fd) == 0) {
        close(fd);
        return {nullptr, failureOf(PortOpenFailure::Reason::NotSerialPort)};
    }
    if (FindPortHolder(name)) {
        close(fd);
        return {nullptr, PortOpenFailureFor(EBUSY, name)};
    }

    bool exclusive = false;
    const int error = configure(fd, exclusive);
    ioctl(fd, TIOCCBRK);
    if (error != 0) {
        closeDevice(fd, exclusive);
        return {nullptr, PortOpenFailureFor(error, name)};
    }
    return {std::unique_ptr<SerialPort>(new SerialPort(fd)), {}};
}

std::optional<PortHolder> FindPortHolder(const std::string &path)
{
    struct stat device = {};
    if (stat(path.c_str(), &device) != 0 || !S_ISCHR(device.st_mode))
        return std::nullopt;
    DIR *processes = opendir("/proc");
    if (processes == nullptr)
        return std::nullopt;
    const std::string self = std::to_string(getpid());
    std::optional<PortHolder> holder;
    while (const dirent *entry = readdir(processes)) {
        if (!isNumber(entry->d_name) || entry->d_name == self ||
            !holdsDevice(std::string("/proc/") + entry->d_name + "/fd", device.st_rdev))
            continue;
        holder = PortHolder{ProcessCommand(entry->d_name), std::atoi(entry->d_name)};
        break;
    }
    closedir(processes);
    return holder;
}

PortOpenFailure PortOpenFailureFor(int error, const std::string &path)
{
    switch (error) {
    case EACCES:
    case EPERM: {
        PortOpenFailure failure = failureOf(PortOpenFailure::Reason::NoPermission);
        struct stat device = {};
        if (stat(path.c_str(), &device) == 0) {
            failure.group = groupName(device.st_gid);
            failure.groupMayUse = (device.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
            failure.inGroup = inGroup(device.st_gid);
        }
        return failure;
    }
    case EBUSY:
    case EWOULDBLOCK: {
        PortOpenFailure failure = failureOf(PortOpenFailure::Reason::Busy);
        if (const std::optional<PortHolder> holder = FindPortHolder(path)) {
            failure.holder = holder->name;
            failure.holderPid = holder->pid;
        }
        return failure;
    }
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case EIO:
        return failureOf(PortOpenFailure::Reason::Gone);
    case EISDIR:
        return failureOf(PortOpenFailure::Reason::NotSerialPort);
    default:
        return failureOf(PortOpenFailure::Reason::Other);
    }
}

QString PortOpenFailureText(const PortOpenFailure &failure, MessageLanguage language)
{
    const bool russian = language == MessageLanguage::Russian;
    const auto say = [russian](const char *inRussian, const char *inEnglish) {
        return QString::fromUtf8(russian ? inRussian : inEnglish);
    };
    switch (failure.reason) {
    case PortOpenFailure::Reason::NoPermission:
        // A group is named only where joining it would help.
        if (failure.groupMayUse && !failure.inGroup && !failure.group.empty())
            return say("Нет прав доступа к порту: добавьте пользователя в группу %1.",
                       "No permission to use the port: add the user to the group %1.")
                .arg(QString::fromStdString(failure.group));
        if (!failure.groupMayUse)
            return say("Нет прав доступа к порту: устройство доступно только его владельцу. "
                       "Разрешите доступ к нему правилом udev (пример есть в README).",
                       "No permission to use the port: the device is open to its owner only. "
                       "Allow access to it with a udev rule (the README has an example).");
        return say("Нет прав доступа к порту.", "No permission to use the port.");
    case PortOpenFailure::Reason::Busy:
        if (failure.holder.empty())
            return say("Порт занят другой программой.", "The port is in use by another program.");
        return say("Порт занят другой программой: %1 (pid %2).",
                   "The port is in use by another program: %1 (pid %2).")
            .arg(QString::fromStdString(failure.holder))
            .arg(failure.holderPid);
    case PortOpenFailure::Reason::Gone:
        return say("Устройство не найдено или отключено.", "The device is missing or unplugged.");
    case PortOpenFailure::Reason::NotSerialPort:
        return say("Это не последовательный порт.", "It is not a serial port.");
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
