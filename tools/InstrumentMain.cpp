// orma-instrument: a simulated pyrometer on a pseudo-terminal, for demos and for trying ORMA by
// hand. Prints the terminal's device path as its first line, then behaves as the instrument.
//
// Whether the program holds the port is read from the controller side: once the device end has
// been opened and closed, poll() reports POLLHUP on the controller for as long as nobody holds
// the device end. So the simulator opens the device end once itself (to make it raw), closes
// it, and from then on watches POLLHUP: cleared means the port was opened, set again means it
// was closed. Keeping the device end open here would hide both.

#include "tools/InstrumentLines.h"
#include "tools/InstrumentOptions.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace instrument;
using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::milliseconds;

volatile std::sig_atomic_t stopRequested = 0;

void onStopSignal(int)
{
    stopRequested = 1;
}

void installSignals()
{
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a signal must cut every wait short.
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

void status(const std::string &text)
{
    std::fprintf(stderr, "orma-instrument: %s\n", text.c_str());
}

// Sleeps up to `ms`; a signal ends the sleep early.
void sleepFor(Milliseconds ms)
{
    const auto deadline = Clock::now() + ms;
    while (!stopRequested) {
        const auto left = std::chrono::duration_cast<Milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return;
        poll(nullptr, 0, static_cast<int>(std::min<long long>(left.count(), 200)));
    }
}

// Hundredths of a second since local midnight.
int timeOfDay()
{
    timespec now = {};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local = {};
    localtime_r(&now.tv_sec, &local);
    return ((local.tm_hour * 60 + local.tm_min) * 60 + local.tm_sec) * 100 +
           static_cast<int>(now.tv_nsec / 10'000'000);
}

enum class Link
{
    Open,    // the program holds the port
    Closed,  // nobody holds it
    Stopped, // a signal asked us to end
};

class PseudoTerminal
{
public:
    PseudoTerminal() = default;
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;
    ~PseudoTerminal()
    {
        if (m_controller >= 0)
            close(m_controller);
    }

    bool create(std::string &error)
    {
        m_controller = posix_openpt(O_RDWR | O_NOCTTY);
        if (m_controller < 0)
            return fail("posix_openpt", error);
        char path[256] = {};
        if (grantpt(m_controller) != 0 || unlockpt(m_controller) != 0 ||
            ptsname_r(m_controller, path, sizeof path) != 0)
            return fail("cannot prepare the pseudo-terminal", error);
        m_devicePath = path;
        const int flags = fcntl(m_controller, F_GETFL);
        if (flags < 0 || fcntl(m_controller, F_SETFL, flags | O_NONBLOCK) != 0)
            return fail("fcntl", error);

        // Raw, so that CR LF reach the reader unchanged; the setting outlives this descriptor.
        const int device = open(path, O_RDWR | O_NOCTTY);
        if (device < 0)
            return fail(m_devicePath.c_str(), error);
        termios tio = {};
        const bool ok = tcgetattr(device, &tio) == 0 && (cfmakeraw(&tio), true) &&
                        cfsetspeed(&tio, B9600) == 0 && tcsetattr(device, TCSANOW, &tio) == 0;
        close(device);
        return ok || fail("cannot make the terminal raw", error);
    }

    const std::string &devicePath() const { return m_devicePath; }

    Link state()
    {
        if (stopRequested)
            return Link::Stopped;
        pollfd p = {m_controller, POLLIN, 0};
        if (poll(&p, 1, 0) < 0)
            return stopRequested ? Link::Stopped : Link::Open;
        if (p.revents & (POLLHUP | POLLERR))
            return Link::Closed;
        if (p.revents & POLLIN)
            return drain();
        return Link::Open;
    }

    Link waitForOpen()
    {
        for (;;) {
            const Link link = state();
            if (link != Link::Closed)
                return link;
            sleepFor(Milliseconds(50));
        }
    }

    // Waits `ms` while the port stays open; returns early when it is closed or on a signal.
    Link waitOpen(Milliseconds ms)
    {
        const auto deadline = Clock::now() + ms;
        for (;;) {
            const Link link = state();
            const auto left = std::chrono::duration_cast<Milliseconds>(deadline - Clock::now());
            if (link != Link::Open || left.count() <= 0)
                return link;
            pollfd p = {m_controller, POLLIN, 0};
            poll(&p, 1, static_cast<int>(std::min<long long>(left.count(), 200)));
        }
    }

    Link waitForClose()
    {
        for (;;) {
            const Link link = waitOpen(Milliseconds(1000));
            if (link != Link::Open)
                return link;
        }
    }

    // Writes all of `bytes` while the port stays open.
    Link send(std::string_view bytes)
    {
        while (!bytes.empty()) {
            pollfd p = {m_controller, POLLOUT, 0};
            if (poll(&p, 1, 200) < 0 && errno != EINTR)
                return Link::Closed;
            const Link link = state();
            if (link != Link::Open)
                return link;
            if (!(p.revents & POLLOUT))
                continue;
            const ssize_t n = write(m_controller, bytes.data(), bytes.size());
            if (n > 0)
                bytes.remove_prefix(static_cast<std::size_t>(n));
            else if (n < 0 && errno != EAGAIN && errno != EINTR)
                return Link::Closed;
        }
        return Link::Open;
    }

private:
    static bool fail(const char *what, std::string &error)
    {
        error = std::string(what) + ": " + std::strerror(errno);
        return false;
    }

    // Throws away whatever the program wrote to the port; the instrument listens to nothing.
    Link drain()
    {
        char sink[256];
        for (;;) {
            const ssize_t n = read(m_controller, sink, sizeof sink);
            if (n > 0)
                continue;
            if (n < 0 && (errno == EAGAIN || errno == EINTR))
                return Link::Open;
            return Link::Closed;
        }
    }

    int m_controller = -1;
    std::string m_devicePath;
};

int runMemory(PseudoTerminal &terminal, const Options &options)
{
    const std::vector<Record> records = generateMemory(options.memory);
    std::vector<std::string> lines;
    for (const Record &record : records)
        lines.push_back(formatNumberedLine(record));
    const auto delay = Milliseconds(std::lround(options.delaySeconds * 1000));

    bool delivered = false;
    for (;;) {
        if (terminal.waitForOpen() == Link::Stopped)
            return 0;
        Link link = Link::Open;
        if (delivered && !options.repeat) {
            status("port opened; the memory was already sent, staying silent");
        } else {
            status("port opened; sending " + std::to_string(lines.size()) + " records");
            link = terminal.waitOpen(delay);
            for (std::size_t i = 0; i < lines.size() && link == Link::Open; ++i) {
                link = terminal.send(lines[i]);
                if (link == Link::Open && options.lineDelayMs > 0)
                    link = terminal.waitOpen(Milliseconds(options.lineDelayMs));
            }
            if (link == Link::Open) {
                delivered = true;
                status("download complete");
            } else if (link == Link::Closed) {
                status("port closed before the download was complete");
            }
        }
        if (link == Link::Open) {
            link = terminal.waitForClose();
            if (link == Link::Closed)
                status("port closed");
        }
        if (link == Link::Stopped)
            return 0;
    }
}

int runContinuous(PseudoTerminal &terminal, const Options &options)
{
    const auto start = Clock::now();
    const auto interval = Milliseconds(options.intervalMs);
    auto next = start;
    bool wasOpen = false;
    while (!stopRequested) {
        const bool open = terminal.state() == Link::Open;
        if (open != wasOpen)
            status(open ? "port opened; sending readings" : "port closed");
        wasOpen = open;
        if (open) {
            const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
            terminal.send(formatTimedLine(timeOfDay(), 950, collectionTemperature(seconds)));
        }
        // After a stall (a port nobody reads) carry on from now instead of catching up.
        next = std::max(next + interval, Clock::now());
        sleepFor(std::chrono::duration_cast<Milliseconds>(next - Clock::now()));
    }
    return 0;
}

int writeFile(const Options &options)
{
    const std::string bytes = formatDownload(generateMemory(options.memory));
    std::FILE *file = std::fopen(options.writeFile.c_str(), "wb");
    if (file == nullptr) {
        status(options.writeFile + ": " + std::strerror(errno));
        return 1;
    }
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (std::fclose(file) != 0 || !ok) {
        status(options.writeFile + ": write failed");
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    Options options;
    std::string error;
    if (!parseOptions(argc, argv, options, error)) {
        status(error + "\nTry 'orma-instrument --help'.");
        return 2;
    }
    if (options.help) {
        std::fputs(usageText(), stdout);
        return 0;
    }
    if (!options.writeFile.empty())
        return writeFile(options);

    installSignals();
    PseudoTerminal terminal;
    if (!terminal.create(error)) {
        status(error);
        return 1;
    }
    std::printf("%s\n", terminal.devicePath().c_str());
    std::fflush(stdout);

    return options.mode == Options::Mode::Continuous ? runContinuous(terminal, options)
                                                     : runMemory(terminal, options);
}
