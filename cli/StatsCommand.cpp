#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "cli/InputFiles.h"

#include "companions/FormatOutTime.h"
#include "companions/ReadDecimal.h"
#include "plot/ReadingStatistics.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <limits>

namespace {

// A length of time as a time of day reads, clamped to what a series' time holds.
QString lengthText(std::int64_t milliseconds)
{
    return TimeText(static_cast<std::int32_t>(
        std::clamp<std::int64_t>(milliseconds, 0, std::numeric_limits<std::int32_t>::max())));
}

QJsonObject timedJson(const TimedTemperature &value)
{
    return {{QStringLiteral("temperature"), value.temperature},
            {QStringLiteral("time"), TimeText(value.time)},
            {QStringLiteral("time_ms"), value.time}};
}

QString json(const ReadingStatistics &figures, const ReadingThresholds &thresholds)
{
    QJsonObject object{{QStringLiteral("count"), figures.count}};
    if (figures.count > 0) {
        object.insert(QStringLiteral("lowest"), timedJson(figures.lowest));
        object.insert(QStringLiteral("highest"), timedJson(figures.highest));
        object.insert(QStringLiteral("mean"), figures.mean);
        object.insert(QStringLiteral("standard_deviation"), figures.standardDeviation);
    }
    object.insert(QStringLiteral("duration_ms"), static_cast<qint64>(figures.duration));
    if (thresholds.above) {
        object.insert(QStringLiteral("above"), *thresholds.above);
        object.insert(QStringLiteral("time_above_ms"), static_cast<qint64>(figures.timeAbove));
    }
    if (thresholds.below) {
        object.insert(QStringLiteral("below"), *thresholds.below);
        object.insert(QStringLiteral("time_below_ms"), static_cast<qint64>(figures.timeBelow));
    }
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Indented));
}

// One figure a line, the values in a column.
QString line(const QString &label, const QString &value)
{
    return (label + QLatin1Char(':')).leftJustified(21) + value + QLatin1Char('\n');
}

QString text(const ReadingStatistics &figures, const ReadingThresholds &thresholds)
{
    QString out = line(Say("Измерений", "Readings"), QString::number(figures.count));
    if (figures.count > 0) {
        const QString at = Say("%1 °C в %2", "%1 °C at %2");
        out += line(Say("Наименьшая", "Lowest"),
                    at.arg(figures.lowest.temperature).arg(TimeText(figures.lowest.time)));
        out += line(Say("Наибольшая", "Highest"),
                    at.arg(figures.highest.temperature).arg(TimeText(figures.highest.time)));
        out += line(Say("Средняя", "Mean"), QStringLiteral("%1 °C").arg(figures.mean, 0, 'f', 2));
        out += line(Say("Ст. отклонение", "Standard deviation"),
                    QStringLiteral("%1 °C").arg(figures.standardDeviation, 0, 'f', 2));
    }
    out += line(Say("Продолжительность", "Duration"), lengthText(figures.duration));
    if (thresholds.above)
        out += line(Say("Выше %1 °C", "Above %1 °C").arg(*thresholds.above),
                    lengthText(figures.timeAbove));
    if (thresholds.below)
        out += line(Say("Ниже %1 °C", "Below %1 °C").arg(*thresholds.below),
                    lengthText(figures.timeBelow));
    return out;
}

} // namespace

int RunStats(const QStringList &words)
{
    QString error;
    const std::optional<Arguments> arguments =
        ParseArguments(words,
                       {{QStringLiteral("--mode"), {}, true},
                        {QStringLiteral("--from"), {}, true},
                        {QStringLiteral("--to"), {}, true},
                        {QStringLiteral("--above"), {}, true},
                        {QStringLiteral("--below"), {}, true},
                        {QStringLiteral("--json"), {}, false}},
                       error);
    const std::optional<PollMode> mode = arguments ? ModeOption(*arguments, error) : std::nullopt;
    if (!mode)
        return Fail(ExitUsage, error);
    if (arguments->operands.size() != 1)
        return Fail(ExitUsage, Say("нужен один входной файл", "one input file is needed"));

    TimeBounds bounds;
    if (!TimeBoundOptions(*arguments, bounds, error))
        return Fail(ExitUsage, error);
    ReadingThresholds thresholds;
    for (const auto &[name, threshold] :
         {std::pair{QStringLiteral("--above"), &thresholds.above},
          std::pair{QStringLiteral("--below"), &thresholds.below}}) {
        if (!arguments->has(name))
            continue;
        *threshold = ReadDecimal(arguments->value(name));
        if (!*threshold)
            return Fail(ExitUsage, Say("%1: ожидается число", "%1: a number expected").arg(name));
    }

    ReadBack readBack;
    if (const int read = ReadInput(arguments->operands.first(), *mode, readBack); read != ExitOk)
        return read;
    const ReadingStatistics figures = ComputeReadingStatistics(
        readBack.series(), bounds.from.value_or(std::numeric_limits<std::int32_t>::min()),
        bounds.to.value_or(std::numeric_limits<std::int32_t>::max()), thresholds);
    const QString out = arguments->has(QStringLiteral("--json")) ? json(figures, thresholds)
                                                                 : text(figures, thresholds);
    std::fputs(out.toLocal8Bit().constData(), stdout);
    return std::fflush(stdout) == 0 ? ExitOk : ExitFailure;
}
