#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "cli/InputFiles.h"

#include "companions/FormatOutTime.h"
#include "companions/TermDataFile.h"
#include "outputs/GraphSeries.h"
#include "plot/GraphPageContext.h"
#include "plot/PictureFile.h"
#include "plot/PictureSize.h"
#include "plot/QPainterCanvas.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <limits>

namespace {

// The page's 0.1 mm are half a pixel, labels of 2 mm 10 pixels high, unless the texts need a
// larger page: then the picture has fewer dots an inch, so that the page it shows is larger.
constexpr int PlotDpi = 127;
constexpr int LeastDpi = 8;
constexpr QSize DefaultSize(1000, 700);

QSize pageSize(QSize pixels, int dpi)
{
    return pixels * 254 / dpi;
}

// The highest resolution, from PlotDpi down, at which every text of the page lies on it.
int fittingDpi(GraphPrintContext context, QSize pixels)
{
    int dpi = PlotDpi;
    for (; dpi > LeastDpi; dpi = dpi * 9 / 10) {
        QImage probe(1, 1, QImage::Format_RGB32);
        probe.setDotsPerMeterX(qRound(dpi / 0.0254));
        probe.setDotsPerMeterY(qRound(dpi / 0.0254));
        QPainter painter(&probe);
        QPainterCanvas canvas(painter, QPainterCanvas::Mapping::Lometric);
        context.pageSize = pageSize(pixels, dpi);
        if (GraphPageFits(canvas, context))
            break;
    }
    return dpi;
}

// Drawn as a save writes its file: a regular one beside its name and moved over it only when
// whole, a pipe or device in place. Returns why it was not written, or nothing.
QString writePicture(const QString &path, GraphPrintContext context, QSize pixels)
{
    const int dpi = fittingDpi(context, pixels);
    context.pageSize = pageSize(pixels, dpi);
    const PictureDrawing drawing{
        pixels, dpi, QStringLiteral("ORMA"), [&context](QPainter &painter) {
            QPainterCanvas canvas(painter, QPainterCanvas::Mapping::Lometric);
            DrawGraphPage(canvas, context);
            canvas.flush();
        }};
    const PictureWriting writing = WritePictureFile(path, InPlaceWrites::Allowed, drawing);
    switch (writing.fault) {
    case PictureFault::None:
        return {};
    case PictureFault::NotDrawn:
        return Say("рисунок не составлен", "the picture could not be made");
    case PictureFault::UnknownForm:
    case PictureFault::NotWritten:
    case PictureFault::Cancelled:
        break;
    }
    return writing.reason;
}

} // namespace

int RunPlot(const QStringList &words)
{
    QString error;
    const std::optional<Arguments> arguments =
        ParseArguments(words,
                       {{QStringLiteral("--output"), QStringLiteral("-o"), true},
                        {QStringLiteral("--mode"), {}, true},
                        {QStringLiteral("--size"), {}, true},
                        {QStringLiteral("--from"), {}, true},
                        {QStringLiteral("--to"), {}, true},
                        {QStringLiteral("--force"), {}, false}},
                       error);
    const std::optional<PollMode> mode = arguments ? ModeOption(*arguments, error) : std::nullopt;
    if (!mode)
        return Fail(ExitUsage, error);
    // Read first: "--size 800 x 500" unquoted leaves "x" and "500" among the operands.
    const std::optional<QSize> pixels =
        arguments->has(QStringLiteral("--size"))
            ? ParsePictureSize(arguments->value(QStringLiteral("--size")))
            : DefaultSize;
    if (!pixels)
        return Fail(ExitUsage, Say("--size: ШxВ одним словом, например --size 800x500, стороны "
                                   "от %1 до %2 точек",
                                   "--size: WxH as one word, such as --size 800x500, sides of %1 "
                                   "to %2 pixels")
                                   .arg(MinPictureSide)
                                   .arg(MaxPictureSide));
    const QString output = arguments->value(QStringLiteral("--output"));
    if (arguments->operands.isEmpty() || output.isEmpty())
        return Fail(ExitUsage,
                    Say("нужны входной файл и -o ВЫХОД", "an input and -o OUT are needed"));
    if (!PictureFormOf(output))
        return Fail(ExitUsage,
                    Say("-o: файл .png, .svg или .pdf", "-o: a .png, .svg or .pdf file"));
    TimeBounds bounds;
    if (!TimeBoundOptions(*arguments, bounds, error))
        return Fail(ExitUsage, error);
    int status = ExitOk;
    // Several inputs make one picture, which must be none of them.
    for (const QString &input : arguments->operands) {
        if (!OutputPaths({input}, output, {}, arguments->has(QStringLiteral("--force")), status))
            return status;
    }

    const QString input = arguments->operands.join(QStringLiteral(", "));
    // The graph takes the records as the graph window does: while their times rise. Those
    // outside the bounds given are never drawn, so they are not kept.
    const std::int32_t from = bounds.from.value_or(std::numeric_limits<std::int32_t>::min());
    const std::int32_t to = bounds.to.value_or(std::numeric_limits<std::int32_t>::max());
    PageRecords drawn;
    std::int32_t graphed = 0;
    std::int32_t first = 0;
    std::int32_t last = 0;
    bool broken = false;
    if (const int read = StreamTimeline(
            arguments->operands, *mode,
            [&](const DeviceReading &reading) {
                if (!ContinuesGraphRun(graphed > 0 ? std::optional(last) : std::nullopt,
                                       reading.time)) {
                    broken = true;
                    return false;
                }
                first = graphed++ == 0 ? reading.time : first;
                last = reading.time;
                if (reading.time >= from && reading.time <= to)
                    drawn.add({reading.time, reading.temperature,
                               static_cast<std::uint16_t>(reading.emissivity)});
                return true;
            });
        read != ExitOk)
        return read;
    // The platform's notes on a machine without a desktop login (no runtime folder, no fonts
    // configured) are no concern of a drawing into a file; its failures still show.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            Fail(ExitFailure, text);
    });
    int argc = 1;
    char name[] = "orma-cli";
    char *argv[] = {name, nullptr};
    QGuiApplication application(argc, argv);

    if (graphed == 0)
        return Fail(ExitInputUnreadable,
                    Say("%1: нечего рисовать", "%1: nothing to draw").arg(input));
    if (broken)
        Fail(ExitOk, Say("%1: время не растёт после измерения %2: нарисованы первые %2",
                         "%1: the times stop rising after reading %2: the first %2 are drawn")
                         .arg(input)
                         .arg(graphed));
    TermDataFile graph;
    drawn.takeInto(graph);
    const std::int32_t start = bounds.from.value_or(first);
    // A single reading still gets a second of time around it.
    const std::int32_t end = std::max(bounds.to.value_or(last), start + 1000);
    // Its page size is left to the resolution.
    const GraphPrintContext page = ReadingsPageContext(graph, start, end);
    if (page.series.walk.empty())
        return Fail(ExitInputUnreadable,
                    Say("%1: нет измерений между %2 и %3 (в файле они с %4 до %5)",
                        "%1: no readings between %2 and %3 (the file's run from %4 to %5)")
                        .arg(input, TimeText(start), TimeText(bounds.to.value_or(end)),
                             TimeText(first), TimeText(last)));
    if (const QString written = writePicture(output, page, *pixels); !written.isEmpty())
        return Fail(ExitFailure,
                    Say("%1: не записан: %2", "%1: not written: %2").arg(output, written));
    return ExitOk;
}
