#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "cli/InputFiles.h"

#include "acquisition/MeasurementTableModel.h"
#include "acquisition/Timeline.h"
#include "companions/FormatOutTime.h"
#include "companions/TermDataFile.h"
#include "outputs/GraphSeries.h"
#include "outputs/ReportDocument.h"
#include "plot/GraphPageContext.h"
#include "plot/NoteFlags.h"

#include <QDateTime>
#include <QFileInfo>
#include <QGuiApplication>

#include <algorithm>
#include <limits>

namespace {

// The row a reading makes in the window's table: its time is that of its own day.
RowCells rowCells(DeviceReading reading)
{
    reading.time = static_cast<std::int32_t>(reading.time % MillisecondsPerDay);
    RowCells cells;
    for (int column = 0; column < ReceivedRows::ColumnCount; ++column)
        cells[static_cast<std::size_t>(column)] = MeasurementTableModel::cellText(reading, column);
    return cells;
}

std::optional<PaperSize> paperOption(const Arguments &arguments)
{
    if (!arguments.has(QStringLiteral("--page")))
        return LocalePaperSize();
    const QString page = arguments.value(QStringLiteral("--page")).toLower();
    if (page == QStringLiteral("a4"))
        return PaperSize::A4;
    if (page == QStringLiteral("letter"))
        return PaperSize::Letter;
    return std::nullopt;
}

} // namespace

int RunReport(const QStringList &words)
{
    QString error;
    const std::optional<Arguments> arguments =
        ParseArguments(words,
                       {{QStringLiteral("--output"), QStringLiteral("-o"), true},
                        {QStringLiteral("--mode"), {}, true},
                        {QStringLiteral("--from"), {}, true},
                        {QStringLiteral("--to"), {}, true},
                        {QStringLiteral("--above"), {}, true},
                        {QStringLiteral("--below"), {}, true},
                        {QStringLiteral("--title"), {}, true},
                        {QStringLiteral("--page"), {}, true},
                        {QStringLiteral("--force"), {}, false}},
                       error);
    const std::optional<PollMode> mode = arguments ? ModeOption(*arguments, error) : std::nullopt;
    if (!mode)
        return Fail(ExitUsage, error);
    const QString output = arguments->value(QStringLiteral("--output"));
    if (arguments->operands.isEmpty() || output.isEmpty())
        return Fail(ExitUsage,
                    Say("нужны входной файл и -o ВЫХОД.pdf", "an input and -o OUT.pdf are needed"));
    if (!output.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        return Fail(ExitUsage, Say("-o: файл .pdf", "-o: a .pdf file"));
    const std::optional<PaperSize> paper = paperOption(*arguments);
    if (!paper)
        return Fail(ExitUsage, Say("--page: a4 или letter", "--page: a4 or letter"));
    TimeBounds bounds;
    if (!TimeBoundOptions(*arguments, bounds, error))
        return Fail(ExitUsage, error);
    ReportContent content;
    if (!ThresholdOptions(*arguments, content.thresholds, error))
        return Fail(ExitUsage, error);
    content.title = arguments->value(QStringLiteral("--title")).trimmed();
    int status = ExitOk;
    // The report must be none of its inputs.
    for (const QString &input : arguments->operands) {
        if (!OutputPaths({input}, output, {}, arguments->has(QStringLiteral("--force")), status))
            return status;
    }

    // Every reading within the bounds counts for the figures and the table, as for "stats";
    // the graph takes them while their times rise, as "plot" does.
    const std::int32_t from = bounds.from.value_or(std::numeric_limits<std::int32_t>::min());
    const std::int32_t to = bounds.to.value_or(std::numeric_limits<std::int32_t>::max());
    StreamedReadingStatistics statistics(from, to, content.thresholds);
    PageRecords drawn;
    std::int32_t graphed = 0;
    std::int32_t last = 0;
    std::int32_t firstInside = 0;
    std::int32_t lastInside = 0;
    bool broken = false;
    if (const int read = StreamTimeline(
            arguments->operands, *mode,
            [&](const DeviceReading &reading) {
                statistics.add(reading.time, reading.temperature);
                if (reading.time < from || reading.time > to)
                    return true;
                if (content.readings.count() == 0)
                    firstInside = reading.time;
                lastInside = reading.time;
                content.readings.add(rowCells(reading),
                                     ReportSection(content.firstDay, reading.time));
                if (broken || !ContinuesGraphRun(last, reading.time)) {
                    broken = true;
                    return true;
                }
                ++graphed;
                last = reading.time;
                drawn.add({reading.time, reading.temperature,
                           static_cast<std::uint16_t>(reading.emissivity)});
                return true;
            },
            &content.firstDay);
        read != ExitOk)
        return read;
    const QString input = arguments->operands.join(QStringLiteral(", "));
    if (content.readings.count() == 0)
        return Fail(ExitInputUnreadable,
                    Say("%1: нет измерений для отчета", "%1: no readings to report").arg(input));
    if (broken)
        Fail(ExitOk, Say("%1: время не растёт после измерения %2: на графике первые %2",
                         "%1: the times stop rising after reading %2: the graph shows the first %2")
                         .arg(input)
                         .arg(graphed));

    // The platform's notes on a machine without a desktop login are no concern of a file.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            Fail(ExitFailure, text);
    });
    int argc = 1;
    char name[] = "orma-cli";
    char *argv[] = {name, nullptr};
    QGuiApplication application(argc, argv);

    content.windowStart = bounds.from.value_or(firstInside);
    content.windowEnd = bounds.to.value_or(lastInside);
    content.statistics = statistics.figures();
    TermDataFile graph;
    drawn.takeInto(graph);
    // A single reading still gets a second of time around it.
    content.graph = ReadingsPageContext(graph, content.windowStart,
                                        std::max(content.windowEnd, content.windowStart + 1000));
    const Timeline timeline = JoinTimeline(arguments->operands);
    for (const TimelineFile &file : timeline.files)
        content.sources << QFileInfo(file.path).fileName();
    // One file's times are of its own day, which the timeline leaves unnamed.
    if (!content.firstDay.isValid())
        content.firstDay = timeline.firstDay();
    QStringList problems;
    content.notes = NotesOfWindow(TimelineNotes(timeline.files, problems), content.windowStart,
                                  content.windowEnd);
    for (const QString &problem : problems)
        Fail(ExitOk, Say("заметки не прочитаны: %1", "notes not read: %1").arg(problem));
    content.made = QDateTime::currentDateTime();
    if (const QString written = WriteReportFile(output, InPlaceWrites::Allowed, content, *paper);
        !written.isEmpty())
        return Fail(ExitFailure,
                    Say("%1: не записан: %2", "%1: not written: %2").arg(output, written));
    return ExitOk;
}
