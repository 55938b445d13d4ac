#include "cli/CliSupport.h"

#include "acquisition/ReaderThread.h"
#include "companions/FormatOutTime.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

bool RussianLocale()
{
    for (const char *name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char *value = std::getenv(name);
        if (value != nullptr && *value != '\0')
            return QByteArray(value).startsWith("ru");
    }
    return false;
}

QString Say(const char *russian, const char *english)
{
    return QString::fromUtf8(RussianLocale() ? russian : english);
}

QString DroppedLinesText(std::uint64_t lines)
{
    return Say("Отброшено строк длиннее %1 КиБ: %2.", "lines longer than %1 KiB dropped: %2")
        .arg(LongestStoredLine / 1024)
        .arg(lines);
}

int Fail(int status, const QString &text)
{
    // Several lines from the core (what failed, then why) still make one line here; a line
    // that ends without a sentence's mark gets a full stop, as a sentence it is, and the
    // sentence after a full stop begins with a capital.
    QString line;
    for (QString part : text.split(QLatin1Char('\n'))) {
        if (!line.isEmpty()) {
            if (!QString::fromLatin1(".!?:;,").contains(line.back()))
                line += QLatin1Char('.');
            if (QString::fromLatin1(".!?").contains(line.back()) && !part.isEmpty())
                part[0] = part[0].toUpper();
            line += QLatin1Char(' ');
        }
        line += part;
    }
    std::fprintf(stderr, "orma-cli: %s\n", line.toLocal8Bit().constData());
    return status;
}

std::optional<Arguments> ParseArguments(const QStringList &words,
                                        const std::vector<CommandOption> &options, QString &error)
{
    Arguments arguments;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString &word = words[i];
        if (optionsEnded || !word.startsWith(QLatin1Char('-')) || word == QStringLiteral("-")) {
            arguments.operands << word;
            continue;
        }
        if (word == QStringLiteral("--")) {
            optionsEnded = true;
            continue;
        }
        const qsizetype equals = word.indexOf(QLatin1Char('='));
        const QString name = equals < 0 ? word : word.left(equals);
        const auto option =
            std::find_if(options.begin(), options.end(), [&name](const CommandOption &o) {
                return o.name == name || (!o.shortName.isEmpty() && o.shortName == name);
            });
        if (option == options.end()) {
            error = Say("неизвестный параметр %1", "unknown option %1").arg(name);
            return std::nullopt;
        }
        QString value;
        if (option->takesValue) {
            if (equals >= 0) {
                value = word.mid(equals + 1);
            } else if (i + 1 < words.size()) {
                value = words[++i];
            } else {
                error = Say("у параметра %1 нет значения", "option %1 needs a value").arg(name);
                return std::nullopt;
            }
        } else if (equals >= 0) {
            error = Say("параметр %1 не принимает значения", "option %1 takes no value").arg(name);
            return std::nullopt;
        }
        arguments.options.insert(option->name, value);
    }
    return arguments;
}

std::optional<PollMode> ModeOption(const Arguments &arguments, QString &error)
{
    if (!arguments.has(QStringLiteral("--mode")))
        return PollMode::FromMemory;
    const QString mode = arguments.value(QStringLiteral("--mode"));
    if (mode == QStringLiteral("memory"))
        return PollMode::FromMemory;
    if (mode == QStringLiteral("continuous"))
        return PollMode::Continuous;
    error = Say("--mode: memory или continuous", "--mode: memory or continuous");
    return std::nullopt;
}

bool TimeBoundOptions(const Arguments &arguments, TimeBounds &bounds, QString &error)
{
    for (const auto &[name, bound] : {std::pair{QStringLiteral("--from"), &bounds.from},
                                      std::pair{QStringLiteral("--to"), &bounds.to}}) {
        if (!arguments.has(name))
            continue;
        *bound = TimeOfDay(arguments.value(name));
        if (!*bound) {
            error = Say("%1: ожидается ЧЧ:ММ:СС", "%1: HH:MM:SS expected").arg(name);
            return false;
        }
    }
    if (bounds.from && bounds.to && *bounds.from > *bounds.to) {
        error = Say("--from позже --to", "--from is later than --to");
        return false;
    }
    return true;
}

bool ThresholdOptions(const Arguments &arguments, TemperatureThresholds &thresholds, QString &error)
{
    const QString above = QStringLiteral("--above");
    const QString below = QStringLiteral("--below");
    ThresholdsFault fault =
        ReadThresholds(arguments.value(above), arguments.value(below), thresholds);
    // An option given empty is a slip, not the dialog's field left empty.
    const auto givenEmpty = [&arguments](const QString &name) {
        return arguments.has(name) && arguments.value(name).trimmed().isEmpty();
    };
    if (fault == ThresholdsFault::None && givenEmpty(above))
        fault = ThresholdsFault::UpperUnreadable;
    else if (fault == ThresholdsFault::None && givenEmpty(below))
        fault = ThresholdsFault::LowerUnreadable;
    switch (fault) {
    case ThresholdsFault::None:
        return true;
    case ThresholdsFault::UpperUnreadable:
    case ThresholdsFault::LowerUnreadable:
        // The dialog's words speak of a field left empty, which an option is not.
        error = (fault == ThresholdsFault::UpperUnreadable ? above : below) + QStringLiteral(": ") +
                Say("ожидается целое число градусов от -32768 до 32767",
                    "a whole number of degrees from -32768 to 32767 expected");
        return false;
    case ThresholdsFault::UpperNotAboveLower:
        error = RussianLocale() ? ThresholdsFaultText(fault)
                                : QStringLiteral("--above must be higher than --below");
        return false;
    }
    return false;
}
