#pragma once

#include "acquisition/DeviceParser.h"
#include "companions/Prompts.h"
#include "plot/TemperatureThresholds.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

// What orma-cli returns; the manual page and --help list the same.
enum ExitStatus
{
    ExitOk = 0,
    ExitFailure = 1,         // a file could not be written, no data came, an output failed
    ExitUsage = 2,           // unknown command or option, a missing or malformed value
    ExitInputUnreadable = 3, // an input cannot be read or holds no readings
    ExitPortFailure = 4,     // the port does not open
    ExitDeviceLost = 5,      // the port failed or hung up during a reception
    ExitOutputExists = 6,    // the output is there and --force was not given
    ExitDiskFull = 7,        // the disk filled during a reception; the lines before are kept
    ExitBrokerFailure = 8,   // readings wait undelivered in the broker's queue for the next run
};

// Whether the user's locale is Russian: LC_ALL, LC_MESSAGES or LANG, the first one set,
// starts with "ru".
bool RussianLocale();

// The text in the user's language.
QString Say(const char *russian, const char *english);

// Writes "orma-cli: text" as one line on stderr and returns status.
int Fail(int status, const QString &text);

// What a reading says of the lines it dropped for being longer than LongestStoredLine.
QString DroppedLinesText(std::uint64_t lines);

// The words of one command's line: its operands and the options given, by their long name
// (a flag maps to an empty value).
struct Arguments
{
    QStringList operands;
    QHash<QString, QString> options;

    bool has(const QString &name) const { return options.contains(name); }
    QString value(const QString &name) const { return options.value(name); }
};

// One option a command takes: its long name ("--mode"), an optional short one ("-o"), and
// whether a value follows it.
struct CommandOption
{
    QString name;
    QString shortName;
    bool takesValue = false;
};

// Reads words against options: "--name value", "--name=value", "-o value"; "--" ends the
// options. None, with error set, for an unknown option or a missing value.
std::optional<Arguments> ParseArguments(const QStringList &words,
                                        const std::vector<CommandOption> &options, QString &error);

// "--mode memory|continuous" (memory when absent); none, with error set, for another word.
std::optional<PollMode> ModeOption(const Arguments &arguments, QString &error);

// The window of "--from HH:MM:SS" and "--to HH:MM:SS", each none when absent; false, with error
// set, for a time that does not read.
struct TimeBounds
{
    std::optional<std::int32_t> from;
    std::optional<std::int32_t> to;
};
bool TimeBoundOptions(const Arguments &arguments, TimeBounds &bounds, QString &error);

// The thresholds of "--above T" and "--below T" (upper and lower), each none when absent, read
// and checked as the graph window's dialog does (ReadThresholds); false, with error set, for
// what the dialog refuses or an empty value.
bool ThresholdOptions(const Arguments &arguments, TemperatureThresholds &thresholds,
                      QString &error);

// The core's messages are meant for a window: a command line asks nothing, answers every
// question "no", chooses no file, and says what concerns it in its own words.
class SilentPrompts final : public Prompts
{
public:
    Answer message(const QString &, const QString &, Icon, Buttons buttons) override
    {
        return buttons == Buttons::Ok ? Answer::Ok : Answer::No;
    }
    QString openFileName(const FileRequest &) override { return {}; }
    QString saveFileName(const FileRequest &) override { return {}; }
    std::optional<QString> askText(const QString &, const QString &, const QString &) override
    {
        return std::nullopt;
    }
    bool printDialog(QPrinter &) override { return false; }
};
