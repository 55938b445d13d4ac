#include "tools/InstrumentOptions.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string_view>

namespace instrument {

namespace {

bool toInt(const std::string &text, int low, int high, int &value)
{
    if (text.empty())
        return false;
    errno = 0;
    char *end = nullptr;
    const long n = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || n < low || n > high)
        return false;
    value = static_cast<int>(n);
    return true;
}

bool toSeconds(const std::string &text, double high, double &value)
{
    if (text.empty())
        return false;
    errno = 0;
    char *end = nullptr;
    const double x = std::strtod(text.c_str(), &end);
    if (errno != 0 || *end != '\0' || !std::isfinite(x) || x < 0 || x > high)
        return false;
    value = x;
    return true;
}

} // namespace

bool parseOptions(int argc, const char *const *argv, Options &options, std::string &error)
{
    options = Options{};
    bool memoryGiven = false;
    for (int i = 1; i < argc; ++i) {
        if (argv[i] == nullptr)
            break;
        std::string name = argv[i];
        std::string value;
        bool hasValue = false;
        if (const auto eq = name.find('='); name.starts_with("--") && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
            hasValue = true;
        }
        // Takes the option's value, inline or from the next argument.
        auto takeValue = [&](bool optional) {
            if (hasValue)
                return true;
            if (i + 1 < argc && argv[i + 1] != nullptr &&
                !(optional && std::string_view(argv[i + 1]).starts_with("--"))) {
                value = argv[++i];
                return true;
            }
            return optional;
        };
        auto bad = [&](const char *what) {
            error = name + ": " + what;
            return false;
        };
        auto noValue = [&] { return !hasValue || bad("takes no value"); };

        if (name == "--help" || name == "-h") {
            if (!noValue())
                return false;
            options.help = true;
        } else if (name == "--memory") {
            if (!takeValue(true))
                return bad("missing value");
            if ((hasValue || !value.empty()) && !toInt(value, 1, 9999, options.memory))
                return bad("expects a record count from 1 to 9999");
            memoryGiven = true;
        } else if (name == "--continuous") {
            if (!noValue())
                return false;
            options.mode = Options::Mode::Continuous;
        } else if (name == "--delay") {
            if (!takeValue(false) || !toSeconds(value, 3600, options.delaySeconds))
                return bad("expects seconds from 0 to 3600");
        } else if (name == "--line-delay") {
            if (!takeValue(false) || !toInt(value, 0, 60000, options.lineDelayMs))
                return bad("expects milliseconds from 0 to 60000");
        } else if (name == "--interval") {
            if (!takeValue(false) || !toInt(value, 1, 60000, options.intervalMs))
                return bad("expects milliseconds from 1 to 60000");
        } else if (name == "--repeat") {
            if (!noValue())
                return false;
            options.repeat = true;
        } else if (name == "--write-file") {
            if (!takeValue(false) || value.empty())
                return bad("expects a file path");
            options.writeFile = value;
        } else {
            error = "unknown option " + name;
            return false;
        }
    }
    if (options.mode == Options::Mode::Continuous && (memoryGiven || !options.writeFile.empty())) {
        error = "--continuous cannot be combined with --memory or --write-file";
        return false;
    }
    return true;
}

const char *usageText()
{
    return "Usage: orma-instrument [--memory [N]] [--delay SECONDS] [--line-delay MS] [--repeat]\n"
           "       orma-instrument --memory [N] --write-file PATH\n"
           "       orma-instrument --continuous [--interval MS]\n"
           "\n"
           "A simulated pyrometer on a pseudo-terminal. The first line printed is the path of\n"
           "the terminal's device end (such as /dev/pts/5); choose it as the port in ORMA.\n"
           "\n"
           "  --memory [N]       memory download of N records (1-9999, default 200), sent each\n"
           "                     time the port is opened until one download has gone through\n"
           "                     completely (the default mode)\n"
           "  --delay SECONDS    wait after the port is opened before sending (default 3)\n"
           "  --line-delay MS    pause between the lines of a download (default 20)\n"
           "  --repeat           offer the download again every time the port is reopened\n"
           "  --write-file PATH  write the download's bytes to PATH and exit\n"
           "  --continuous       data-collection mode: a timed reading every interval while\n"
           "                     the port is open\n"
           "  --interval MS      time between readings (default 250)\n"
           "  --help             show this text\n"
           "\n"
           "Runs until interrupted (Ctrl+C) or terminated.\n";
}

} // namespace instrument
