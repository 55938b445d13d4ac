#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "cli/InputFiles.h"

#include "companions/RangeBarModel.h"
#include "graph/GraphScales.h"
#include "outputs/GraphSeries.h"
#include "plot/GraphPrintJob.h"
#include "plot/PictureSize.h"
#include "plot/QPainterCanvas.h"

#include <QGuiApplication>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSvgGenerator>

#include <limits>

namespace {

// The page's 0.1 mm are half a pixel: labels of 2 mm are 10 pixels high.
constexpr int PlotDpi = 127;
constexpr double DotsPerMeter = PlotDpi / 0.0254;
constexpr QSize DefaultSize(1000, 700);

enum class Picture
{
    Png,
    Svg,
    Pdf
};

std::optional<Picture> pictureOf(const QString &path)
{
    const QString lower = path.toLower();
    if (lower.endsWith(QStringLiteral(".png")))
        return Picture::Png;
    if (lower.endsWith(QStringLiteral(".svg")))
        return Picture::Svg;
    if (lower.endsWith(QStringLiteral(".pdf")))
        return Picture::Pdf;
    return std::nullopt;
}

// The page as the graph window would print it with this time window shown: the temperature
// scale over the series' range, its labels as the bars write them.
GraphPrintContext pageOf(TermDataFile &graph, std::int32_t start, std::int32_t end, QSize pixels)
{
    GraphPrintContext context;
    const ScaleSpan range =
        TemperatureRangeFor(GraphSeriesLimits(static_cast<std::int16_t>(graph.minTemperature),
                                              static_cast<std::int16_t>(graph.maxTemperature)));
    context.pageSize = pixels * 254 / PlotDpi;
    context.timeWindowStart = start;
    context.timeWindowEnd = end;
    context.temperatureWindowStart = range.low;
    context.temperatureWindowEnd = range.high;
    context.temperatureRangeMax = range.high;
    context.timeLabel = RangeBarLabels(RangeBarUnits::Milliseconds);
    context.temperatureLabel = RangeBarLabels(RangeBarUnits::Degrees);
    context.series = TakeGraphPrintSeries(&graph, start, end);
    return context;
}

void drawPage(QPaintDevice &device, const GraphPrintContext &context, bool fillWhite, QSize pixels)
{
    QPainter painter(&device);
    if (fillWhite)
        painter.fillRect(QRect(QPoint(0, 0), pixels), Qt::white);
    QPainterCanvas canvas(painter, QPainterCanvas::Mapping::Lometric);
    DrawGraphPage(canvas, context);
    canvas.flush();
}

// Drawn into a file beside its name, moved over it only when whole.
bool writePicture(Picture picture, const QString &path, const GraphPrintContext &context,
                  QSize pixels)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    switch (picture) {
    case Picture::Png: {
        QImage image(pixels, QImage::Format_RGB32);
        image.setDotsPerMeterX(qRound(DotsPerMeter));
        image.setDotsPerMeterY(qRound(DotsPerMeter));
        drawPage(image, context, true, pixels);
        if (!image.save(&file, "PNG"))
            return false;
        break;
    }
    case Picture::Svg: {
        QSvgGenerator svg;
        svg.setOutputDevice(&file);
        svg.setSize(pixels);
        svg.setViewBox(QRect(QPoint(0, 0), pixels));
        svg.setResolution(PlotDpi);
        svg.setTitle(QStringLiteral("ORMA"));
        drawPage(svg, context, true, pixels);
        break;
    }
    case Picture::Pdf: {
        QPdfWriter pdf(&file);
        pdf.setResolution(PlotDpi);
        pdf.setPageSize(QPageSize(QSizeF(pixels) * 25.4 / PlotDpi, QPageSize::Millimeter));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setCreator(QStringLiteral("ORMA"));
        drawPage(pdf, context, false, pixels);
        break;
    }
    }
    return file.commit();
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
    const QString output = arguments->value(QStringLiteral("--output"));
    if (arguments->operands.size() != 1 || output.isEmpty())
        return Fail(ExitUsage,
                    Say("нужны входной файл и -o ВЫХОД", "an input and -o OUT are needed"));
    const std::optional<Picture> picture = pictureOf(output);
    if (!picture)
        return Fail(ExitUsage,
                    Say("-o: файл .png, .svg или .pdf", "-o: a .png, .svg or .pdf file"));
    const std::optional<QSize> pixels =
        arguments->has(QStringLiteral("--size"))
            ? ParsePictureSize(arguments->value(QStringLiteral("--size")))
            : DefaultSize;
    if (!pixels)
        return Fail(ExitUsage, Say("--size: ШxВ, от %1 до %2 точек", "--size: WxH, %1 to %2 pixels")
                                   .arg(MinPictureSide)
                                   .arg(MaxPictureSide));
    TimeBounds bounds;
    if (!TimeBoundOptions(*arguments, bounds, error))
        return Fail(ExitUsage, error);
    if (!OutputPaths(arguments->operands, output, {}, arguments->has(QStringLiteral("--force")),
                     error))
        return error.isEmpty() ? ExitOutputExists : Fail(ExitUsage, error);

    ReadBack readBack;
    if (const int read = ReadInput(arguments->operands.first(), *mode, readBack); read != ExitOk)
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

    // The graph takes the records as the graph window does: while their times rise.
    StderrPrompts prompts;
    TermDataFile graph;
    bool rebuild = true;
    BuildGraphSeries(graph, readBack.series(), readBack.table(), {}, rebuild, true, prompts);
    if (graph.count == 0)
        return Fail(
            ExitInputUnreadable,
            Say("%1: нечего рисовать", "%1: nothing to draw").arg(arguments->operands.first()));
    const std::int32_t first = graph.records[0].time;
    const std::int32_t last = graph.records[graph.count - 1].time;
    const std::int32_t start = bounds.from.value_or(first);
    // A single reading still gets a second of time around it.
    const std::int32_t end = std::max(bounds.to.value_or(last), start + 1000);
    if (!writePicture(*picture, output, pageOf(graph, start, end, *pixels), *pixels))
        return Fail(ExitFailure, Say("%1: не записан", "%1: not written").arg(output));
    return ExitOk;
}
