#include "outputs/CTablePrintJob.h"
#include "plot/GraphPrintJob.h"
#include "plot/PrinterDevice.h"
#include "plot/PrintoutThreads.h"
#include "plot/QPainterCanvas.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace {

constexpr std::size_t TableRows = 30'000;
constexpr std::size_t GraphRecords = 1'000'000;

std::unique_ptr<QPrinter> pdfPrinter(const QString &path)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(path);
    printer->setPageSize(QPageSize(QPageSize::A4));
    return printer;
}

// Outside the timing: the printout must have left its file, which the next one replaces.
void checkPrinted(benchmark::State &state, const QString &pdf)
{
    state.PauseTiming();
    if (!QFile::exists(pdf))
        state.SkipWithError("no file printed");
    QFile::remove(pdf);
    state.ResumeTiming();
}

std::vector<TableRowText> tableRows()
{
    std::vector<TableRowText> rows(TableRows);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        TableRowText &row = rows[i];
        std::snprintf(row.number, sizeof row.number, "%zu", i % 10000);
        std::snprintf(row.time, sizeof row.time, "%02zu:%02zu:%02zu.%03zu", i / 3600 % 24,
                      i / 60 % 60, i % 60, i % 1000);
        std::snprintf(row.temperature, sizeof row.temperature, "%zu", 200 + i % 1300);
        std::snprintf(row.emissivity, sizeof row.emissivity, "0.95");
        // Every fifth mode name is too wide for its column and gets a smaller font.
        std::snprintf(row.mode, sizeof row.mode, "%s", i % 5 == 0 ? "Макс. длинный" : "Норма");
    }
    return rows;
}

// The baseline: a printer's page drawn through a canvas that keeps nothing between texts.
// Every text is written or measured through a canvas made for it alone, so its face is looked
// up and its font and metrics built and set anew, inside a save and restore of the painter;
// every line is drawn as a path of its own. This costs more than the canvas did before it
// kept fonts (it looked the face up once a selection), so the figures of the program as it
// was are measured from its own build.
class AsBeforeCanvas : public Canvas
{
public:
    explicit AsBeforeCanvas(QPainter &painter)
        : m_painter(painter), m_lines(painter, QPainterCanvas::Mapping::Lometric)
    {}

    void moveTo(QPoint point) override
    {
        m_position = point;
        m_lines.moveTo(point);
    }
    void lineTo(QPoint point) override
    {
        m_lines.moveTo(m_position);
        m_lines.lineTo(point);
        m_position = point;
    }
    void rectangle(const QRect &rect) override { m_lines.rectangle(rect); }
    void fillRect(const QRect &rect, const QColor &color) override
    {
        m_lines.fillRect(rect, color);
    }
    QPen selectPen(const QPen &pen) override { return m_lines.selectPen(pen); }
    CanvasFont selectFont(const CanvasFont &font) override { return std::exchange(m_font, font); }
    void textOut(QPoint topLeft, const QString &text) override
    {
        writeAlone([&](Canvas &canvas) { canvas.textOut(topLeft, text); });
    }
    QSize textExtent(const QString &text) const override
    {
        // The canvas made for measuring sets its own pen, which the lines' pen replaces again.
        const QPen pen = m_painter.pen();
        QSize extent;
        {
            QPainterCanvas canvas(m_painter, QPainterCanvas::Mapping::Lometric);
            canvas.selectFont(m_font);
            extent = canvas.textExtent(text);
        }
        m_painter.setPen(pen);
        return extent;
    }
    void drawText(const QRect &rect, const QString &text, Qt::Alignment alignment) override
    {
        writeAlone([&](Canvas &canvas) { canvas.drawText(rect, text, alignment); });
    }

private:
public:
    void flushLines() { m_lines.flush(); }

private:
    template <typename Write> void writeAlone(const Write &write)
    {
        m_lines.flush();
        m_painter.save();
        {
            QPainterCanvas canvas(m_painter, QPainterCanvas::Mapping::Lometric);
            canvas.selectFont(m_font);
            write(canvas);
        }
        m_painter.restore();
    }

    QPainter &m_painter;
    QPainterCanvas m_lines;
    QPoint m_position;
    CanvasFont m_font;
};

// A PDF file's pages drawn through the baseline canvas.
class AsBeforeDevice : public PrintDevice
{
public:
    explicit AsBeforeDevice(std::unique_ptr<QPrinter> printer) : m_printer(std::move(printer)) {}
    ~AsBeforeDevice() override { endDocument(); }

    QSize printableSize() const override { return {m_printer->widthMM(), m_printer->heightMM()}; }
    bool startPage() override
    {
        if (m_canvas) {
            m_canvas->flushLines();
            return m_printer->newPage();
        }
        if (!m_painter.begin(m_printer.get()))
            return false;
        m_canvas.emplace(m_painter);
        return true;
    }
    // The jobs draw only on pages they have started.
    Canvas &canvas() override { return *m_canvas; }
    void endPage() override {}
    void endDocument() override
    {
        if (m_canvas) {
            m_canvas.reset();
            m_painter.end();
        }
    }
    void abortDocument() override { endDocument(); }

private:
    std::unique_ptr<QPrinter> m_printer;
    QPainter m_painter;
    std::optional<AsBeforeCanvas> m_canvas;
};

// Runs work on a printout worker started as the windows start theirs, and waits for its end.
void printOnWorker(std::function<void()> work)
{
    QObject owner;
    StartPrintoutThread(
        owner,
        MakePrintoutThread(owner, [work = std::move(work)](const std::atomic<bool> &) { work(); }));
    // The owner's end waits for the printout.
}

// The table printout of 30 000 rows to a PDF file, on a printout worker.
// Argument 0: the canvas driven as before (the baseline); 1: the canvas as it is.
void BM_TablePrintoutToPdf(benchmark::State &state)
{
    const bool now = state.range(0) != 0;
    const std::vector<TableRowText> rows = tableRows();
    QTemporaryDir dir;
    std::size_t pages = 0;
    for (auto _ : state) {
        const QString pdf = dir.filePath(QStringLiteral("table.pdf"));
        std::unique_ptr<PrintDevice> device;
        if (now)
            device = std::make_unique<PrinterDevice>(pdfPrinter(pdf));
        else
            device = std::make_unique<AsBeforeDevice>(pdfPrinter(pdf));
        auto job = std::make_shared<std::unique_ptr<CTablePrintJob>>(
            std::make_unique<CTablePrintJob>(std::move(device), rows));
        pages = (*job)->pageCount();
        printOnWorker([job] { PrintTableThread(std::move(*job)); });
        checkPrinted(state, pdf);
    }
    state.counters["pages"] = static_cast<double>(pages);
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(TableRows));
}
BENCHMARK(BM_TablePrintoutToPdf)
    ->ArgName("canvas_now")
    ->Arg(0)
    ->Arg(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

// Closing during the table printout of 30 000 rows, a tenth of a second after it started:
// how long the closing waits. Argument 0: the window's end waits for the printout, as
// before (the baseline); 1: the printout is cancelled first, as closing does now.
void BM_CloseDuringTablePrintout(benchmark::State &state)
{
    const bool cancel = state.range(0) != 0;
    const std::vector<TableRowText> rows = tableRows();
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("closed.pdf"));
    for (auto _ : state) {
        auto job =
            std::make_shared<std::unique_ptr<CTablePrintJob>>(std::make_unique<CTablePrintJob>(
                std::make_unique<PrinterDevice>(pdfPrinter(pdf)), rows));
        auto owner = std::make_unique<QObject>();
        StartPrintoutThread(*owner,
                            MakePrintoutThread(*owner, [job](const std::atomic<bool> &cancelled) {
                                PrintTableThread(std::move(*job), &cancelled);
                            }));
        QThread::msleep(100);
        QElapsedTimer closing;
        closing.start();
        if (cancel)
            CancelPrintouts(*owner, QDeadlineTimer(500));
        owner.reset();
        state.SetIterationTime(static_cast<double>(closing.nsecsElapsed()) / 1e9);
        if (cancel && QFile::exists(pdf))
            state.SkipWithError("a cancelled printout left its file");
        QFile::remove(pdf);
    }
}
BENCHMARK(BM_CloseDuringTablePrintout)
    ->ArgName("cancelled")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// A long series: a record every 100 ms with a temperature that wanders as a reading does.
GraphPrintContext graphContext(QSize pageSize)
{
    GraphPrintContext context;
    context.pageSize = pageSize;
    context.series.walk.reserve(GraphRecords);
    for (std::size_t i = 0; i < GraphRecords; ++i) {
        const auto time = static_cast<std::int32_t>(i * 100);
        const double wave = 600.0 + 400.0 * std::sin(static_cast<double>(i) / 5000.0) +
                            30.0 * std::sin(static_cast<double>(i) / 7.0);
        context.series.walk.push_back({time, static_cast<std::int32_t>(wave), 950});
    }
    context.series.minTemperature = 170;
    context.series.maxTemperature = 1030;
    context.series.firstTime = 0;
    context.timeWindowStart = 0;
    context.timeWindowEnd = context.series.walk.back().time;
    context.temperatureWindowStart = 0;
    context.temperatureWindowEnd = 1100;
    context.temperatureRangeMax = 1100;
    return context;
}

// The graph printout of 1 000 000 records on one A4 sheet to a PDF file, on a printout worker.
// Argument 0: the canvas driven as before (the baseline); 1: the canvas as it is.
void BM_GraphPrintoutToPdf(benchmark::State &state)
{
    const bool now = state.range(0) != 0;
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("graph.pdf"));
    std::unique_ptr<QPrinter> probe = pdfPrinter(pdf);
    probe->setFullPage(true);
    const QSizeF sheet = probe->pageLayout().fullRect(QPageLayout::Millimeter).size();
    const GraphPrintContext context = graphContext(
        QSize(static_cast<int>(sheet.width() * 10.0), static_cast<int>(sheet.height() * 10.0)));
    for (auto _ : state) {
        std::unique_ptr<QPrinter> printer = pdfPrinter(pdf);
        printer->setFullPage(true);
        std::unique_ptr<PrintDevice> device;
        if (now)
            device = std::make_unique<PrinterDevice>(std::move(printer));
        else
            device = std::make_unique<AsBeforeDevice>(std::move(printer));
        auto printed = std::make_shared<std::unique_ptr<PrintDevice>>(std::move(device));
        printOnWorker([printed, &context] { PrintGraphThread(std::move(*printed), context); });
        checkPrinted(state, pdf);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(GraphRecords));
}
BENCHMARK(BM_GraphPrintoutToPdf)
    ->ArgName("canvas_now")
    ->Arg(0)
    ->Arg(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

} // namespace
