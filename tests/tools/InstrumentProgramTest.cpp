// Runs the simulated instrument and reads its pseudo-terminal as the program would.

#include "tools/InstrumentLines.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char **environ;

namespace {

// Up to `count` bytes from `fd`, or fewer after `silenceMs` without a byte or after `last`.
std::string readBytes(int fd, std::size_t count, int silenceMs = 500, int last = -1)
{
    std::string bytes;
    pollfd p = {fd, POLLIN, 0};
    char c = 0;
    while (bytes.size() < count && c != last && poll(&p, 1, silenceMs) == 1) {
        if (read(fd, &c, 1) != 1)
            break;
        bytes += c;
    }
    return bytes;
}

// Starts the instrument with `arguments`, checks the device path it prints, runs `use` on the
// opened device end `openings` times and ends the instrument as Ctrl+C would.
template <typename Use>
void runInstrument(std::vector<std::string> arguments, int openings, Use use)
{
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    arguments.insert(arguments.begin(), ORMA_INSTRUMENT_PATH);
    std::vector<char *> argv;
    for (std::string &argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    ASSERT_EQ(spawned, 0);

    std::string path = readBytes(out[0], 64, 5000, '\n');
    close(out[0]);
    ASSERT_TRUE(path.starts_with("/dev/") && path.ends_with("\n")) << path;
    path.pop_back();
    for (int opening = 0; opening < openings; ++opening) {
        const int port = open(path.c_str(), O_RDWR | O_NOCTTY);
        EXPECT_GE(port, 0) << path;
        use(port, opening);
        close(port);
        poll(nullptr, 0, 300); // lets the instrument see the port closed
    }

    kill(pid, SIGINT);
    int status = 0;
    for (int wait = 0; wait < 500 && waitpid(pid, &status, WNOHANG) == 0; ++wait)
        poll(nullptr, 0, 10);
    if (kill(pid, 0) == 0 && waitpid(pid, &status, WNOHANG) == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        ADD_FAILURE() << "the instrument did not end on SIGINT";
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(InstrumentProgram, SendsTheDownloadOnEveryOpeningWithRepeatOnly)
{
    const std::string expected = instrument::formatDownload(instrument::generateMemory(4));
    // Raw terminal: CR LF arrive as sent, and nothing follows the download.
    runInstrument(
        {"--memory", "4", "--delay", "0", "--line-delay", "0", "--repeat"}, 2,
        [&](int port, int) { EXPECT_EQ(readBytes(port, expected.size() + 1), expected); });
    runInstrument({"--memory", "4", "--delay", "0", "--line-delay", "0"}, 2,
                  [&](int port, int opening) {
                      const std::string sent = opening == 0 ? expected : "";
                      EXPECT_EQ(readBytes(port, expected.size() + 1), sent);
                  });
}

TEST(InstrumentProgram, CollectsReadingsWhileThePortIsOpen)
{
    constexpr std::size_t length = instrument::timedLineLength;
    runInstrument({"--continuous", "--interval", "20"}, 1, [&](int port, int) {
        const std::string bytes = readBytes(port, 3 * length);
        ASSERT_EQ(bytes.size(), 3 * length);
        for (std::size_t start = 0; start < bytes.size(); start += length) {
            EXPECT_EQ(bytes.substr(start + 11, 10), " E=0.95 T=") << bytes;
            EXPECT_EQ(bytes.substr(start + length - 2, 2), "\r\n") << bytes;
        }
    });
}

} // namespace
