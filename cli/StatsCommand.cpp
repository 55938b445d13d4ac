#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "cli/InputFiles.h"

#include "companions/FormatOutTime.h"
#include "plot/ReadingStatistics.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <limits>

namespace {

// Of several files, the times count from midnight of the first file's day, firstDay; a
// reading's own day is given beside its time of that day.
QJsonObject timedJson(const TimedTemperature &value, const QDate &firstDay)
{
    if (!firstDay.isValid())
        return {{QStringLiteral("temperature"), value.temperature},
                {QStringLiteral("time"), TimeText(value.time)},
                {QStringLiteral("time_ms"), value.time}};
    return {{QStringLiteral("temperature"), value.temperature},
            {QStringLiteral("date"),
             firstDay.addDays(value.time / MillisecondsPerDay).toString(Qt::ISODate)},
            {QStringLiteral("time"),
             TimeText(static_cast<std::int32_t>(value.time % MillisecondsPerDay))},
            {QStringLiteral("time_ms"), value.time}};
}

QString json(const ReadingStatistics &figures, const TemperatureThresholds &thresholds,
             const QDate &firstDay)
{
    QJsonObject object{{QStringLiteral("count"), figures.count}};
    if (firstDay.isValid())
        object.insert(QStringLiteral("first_day"), firstDay.toString(Qt::ISODate));
    if (figures.count > 0) {
        object.insert(QStringLiteral("lowest"), timedJson(figures.lowest, firstDay));
        object.insert(QStringLiteral("highest"), timedJson(figures.highest, firstDay));
        object.insert(QStringLiteral("mean"), figures.mean);
        object.insert(QStringLiteral("standard_deviation"), figures.standardDeviation);
    }
    object.insert(QStringLiteral("duration_ms"), static_cast<qint64>(figures.duration));
    if (thresholds.upper) {
        object.insert(QStringLiteral("above"), *thresholds.upper);
        object.insert(QStringLiteral("time_above_ms"), static_cast<qint64>(figures.timeAbove));
    }
    if (thresholds.lower) {
        object.insert(QStringLiteral("below"), *thresholds.lower);
        object.insert(QStringLiteral("time_below_ms"), static_cast<qint64>(figures.timeBelow));
    }
    if (thresholds.upper || thresholds.lower)
        object.insert(QStringLiteral("within_limits"), figures.withinLimits);
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Indented));
}

// One figure a line, the values in a column.
QString line(const QString &label, const QString &value)
{
    return (label + QLatin1Char(':')).leftJustified(21) + value + QLatin1Char('\n');
}

// The window's words in Russian, the same figures in English otherwise.
QString label(const StatisticsFigure &figure, const TemperatureThresholds &thresholds)
{
    if (RussianLocale())
        return figure.label;
    switch (figure.kind) {
    case StatisticsFigure::Kind::Count:
        return QStringLiteral("Readings");
    case StatisticsFigure::Kind::Lowest:
        return QStringLiteral("Lowest");
    case StatisticsFigure::Kind::Highest:
        return QStringLiteral("Highest");
    case StatisticsFigure::Kind::Mean:
        return QStringLiteral("Mean");
    case StatisticsFigure::Kind::StandardDeviation:
        return QStringLiteral("Standard deviation");
    case StatisticsFigure::Kind::Duration:
        return QStringLiteral("Duration");
    case StatisticsFigure::Kind::TimeAbove:
        return QStringLiteral("Above %1 °C").arg(thresholds.upper.value_or(0));
    case StatisticsFigure::Kind::TimeBelow:
        return QStringLiteral("Below %1 °C").arg(thresholds.lower.value_or(0));
    case StatisticsFigure::Kind::WithinLimits:
        return QStringLiteral("Within limits");
    }
    return figure.label;
}

QString text(const ReadingStatistics &figures, const TemperatureThresholds &thresholds,
             const QDate &firstDay)
{
    QString out;
    // The times of several files count on from the first file's midnight.
    if (firstDay.isValid())
        out += line(Say("Первый день", "First day"), firstDay.toString(Qt::ISODate));
    for (const StatisticsFigure &figure : StatisticsFigures(figures, thresholds, firstDay))
        out += line(label(figure, thresholds), figure.value);
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
    if (arguments->operands.isEmpty())
        return Fail(ExitUsage, Say("нужен входной файл", "an input file is needed"));

    TimeBounds bounds;
    if (!TimeBoundOptions(*arguments, bounds, error))
        return Fail(ExitUsage, error);
    TemperatureThresholds thresholds;
    if (!ThresholdOptions(*arguments, thresholds, error))
        return Fail(ExitUsage, error);
    StreamedReadingStatistics statistics(
        bounds.from.value_or(std::numeric_limits<std::int32_t>::min()),
        bounds.to.value_or(std::numeric_limits<std::int32_t>::max()), thresholds);
    QDate firstDay;
    if (const int read = StreamTimeline(
            arguments->operands, *mode,
            [&statistics](const DeviceReading &reading) {
                statistics.add(reading.time, reading.temperature);
                return true;
            },
            &firstDay);
        read != ExitOk)
        return read;
    const ReadingStatistics figures = statistics.figures();
    const QString out = arguments->has(QStringLiteral("--json"))
                            ? json(figures, thresholds, firstDay)
                            : text(figures, thresholds, firstDay);
    std::fputs(out.toLocal8Bit().constData(), stdout);
    return std::fflush(stdout) == 0 ? ExitOk : ExitFailure;
}
