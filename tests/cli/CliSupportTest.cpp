#include "cli/CliSupport.h"
#include "companions/FormatOutTime.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace {

const std::vector<CommandOption> Options{
    {"--output", "-o", true}, {"--above", {}, true}, {"--force", {}, false}};

// The messages in the language of a locale, for the length of a test.
class Locale
{
public:
    explicit Locale(const char *name) : m_before(qgetenv("LC_ALL")) { qputenv("LC_ALL", name); }
    ~Locale() { qputenv("LC_ALL", m_before); }

private:
    QByteArray m_before;
};

QStringList words(std::initializer_list<const char *> list)
{
    QStringList result;
    for (const char *word : list)
        result << QString::fromUtf8(word);
    return result;
}

// Each line: the words, then the operands and options read, or the error.
TEST(CliSupport, OptionsAndOperands)
{
    const Locale english("C.UTF-8");
    const struct
    {
        std::initializer_list<const char *> words;
        QStringList operands;
        QHash<QString, QString> options;
        QString error;
    } cases[] = {
        {{"in.orm", "-o", "out.csv", "--force"},
         {"in.orm"},
         {{"--output", "out.csv"}, {"--force", ""}},
         {}},
        {{"--output=a=b", "in"}, {"in"}, {{"--output", "a=b"}}, {}},
        // A value that looks like an option is the value: a threshold below zero.
        {{"--above", "-20", "in"}, {"in"}, {{"--above", "-20"}}, {}},
        {{"--above=", "in"}, {"in"}, {{"--above", ""}}, {}},
        {{"--above", "1", "--above", "2"}, {}, {{"--above", "2"}}, {}},
        // "-" is standard input, "--" ends the options.
        {{"-", "--", "--force", "-o"}, {"-", "--force", "-o"}, {}, {}},
        {{"--forse"}, {}, {}, "unknown option --forse"},
        {{"-x=1"}, {}, {}, "unknown option -x"},
        {{"in", "--output"}, {}, {}, "option --output needs a value"},
        {{"--force=yes"}, {}, {}, "option --force takes no value"},
    };
    for (const auto &c : cases) {
        QString error;
        const std::optional<Arguments> read = ParseArguments(words(c.words), Options, error);
        const QString line = words(c.words).join(u' ');
        EXPECT_EQ(error, c.error) << qPrintable(line);
        ASSERT_EQ(read.has_value(), c.error.isEmpty()) << qPrintable(line);
        if (read) {
            EXPECT_EQ(read->operands, c.operands) << qPrintable(line);
            EXPECT_EQ(read->options, c.options) << qPrintable(line);
        }
    }
}

TEST(CliSupport, TimesOfDayAndTheWindowTheyMake)
{
    const Locale english("C.UTF-8");
    const struct
    {
        const char *text;
        std::optional<std::int32_t> ms;
    } times[] = {
        {"09:13:00", 33180000},
        {"9:13:00.5", 33180500},
        {"23:59:59.999", 86399999},
        {"00:00:00", 0},
        {"24:00:00", {}},
        {"09:60:00", {}},
        {"09:13", {}},
        {"09:13:00.1234", {}},
        {" 09:13:00", {}},
        {"", {}},
        {"٠٩:13:00", {}},
        {"09:13:00,5", {}},
    };
    for (const auto &t : times)
        EXPECT_EQ(TimeOfDay(QString::fromUtf8(t.text)), t.ms) << t.text;

    const auto bounds = [](std::initializer_list<const char *> list, QString &error) {
        TimeBounds read;
        QString ignored;
        const std::optional<Arguments> arguments =
            ParseArguments(words(list), {{"--from", {}, true}, {"--to", {}, true}}, ignored);
        return TimeBoundOptions(*arguments, read, error) ? std::optional(read) : std::nullopt;
    };
    QString error;
    const std::optional<TimeBounds> window = bounds({"--to", "10:00:00"}, error);
    ASSERT_TRUE(window);
    EXPECT_EQ(window->from, std::nullopt);
    EXPECT_EQ(window->to, 36000000);
    EXPECT_TRUE(bounds({"--from", "10:00:00", "--to", "10:00:00"}, error));
    EXPECT_FALSE(bounds({"--from", "10:00:01", "--to", "10:00:00"}, error));
    EXPECT_EQ(error, "--from is later than --to");
    EXPECT_FALSE(bounds({"--from", "10:00"}, error));
    EXPECT_EQ(error, "--from: HH:MM:SS expected");
}

// What the graph window's thresholds dialog refuses, in its words under a Russian locale.
TEST(CliSupport, ThresholdsAsTheGraphWindowTakesThem)
{
    const Locale english("C.UTF-8");
    const struct
    {
        std::initializer_list<const char *> words;
        TemperatureThresholds thresholds;
        QString error;
    } cases[] = {
        {{}, {}, {}},
        {{"--above", "850", "--below", "-20"}, {850, -20}, {}},
        {{"--below=-20,0"}, {std::nullopt, -20}, {}},
        {{"--above", "12.5"},
         {},
         "--above: a whole number of degrees from -32768 to 32767 expected"},
        {{"--below", ""}, {}, "--below: a whole number of degrees from -32768 to 32767 expected"},
        {{"--above", "100", "--below", "600"}, {}, "--above must be higher than --below"},
    };
    for (const auto &c : cases) {
        QString error;
        TemperatureThresholds thresholds;
        const std::optional<Arguments> arguments =
            ParseArguments(words(c.words), {{"--above", {}, true}, {"--below", {}, true}}, error);
        EXPECT_EQ(ThresholdOptions(*arguments, thresholds, error), c.error.isEmpty());
        EXPECT_EQ(error, c.error);
        if (c.error.isEmpty()) {
            EXPECT_EQ(thresholds, c.thresholds);
        }
    }

    const Locale russian("ru_RU.UTF-8");
    QString error;
    TemperatureThresholds thresholds;
    Arguments arguments;
    arguments.options = {{"--above", "7o0"}};
    EXPECT_FALSE(ThresholdOptions(arguments, thresholds, error));
    EXPECT_EQ(error, "--above: ожидается целое число градусов от -32768 до 32767");
    arguments.options = {{"--above", "300"}, {"--below", "300"}};
    EXPECT_FALSE(ThresholdOptions(arguments, thresholds, error));
    EXPECT_EQ(error, "Верхний порог должен быть выше нижнего.");
}

TEST(CliSupport, TheModeIsMemoryUnlessSaidOtherwise)
{
    const Locale english("C.UTF-8");
    QString error;
    Arguments arguments;
    EXPECT_EQ(ModeOption(arguments, error), PollMode::FromMemory);
    arguments.options = {{"--mode", "continuous"}};
    EXPECT_EQ(ModeOption(arguments, error), PollMode::Continuous);
    arguments.options = {{"--mode", "Continuous"}};
    EXPECT_EQ(ModeOption(arguments, error), std::nullopt);
    EXPECT_EQ(error, "--mode: memory or continuous");
}

} // namespace
