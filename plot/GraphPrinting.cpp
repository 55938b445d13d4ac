#include "plot/GraphPrinting.h"

#include "app/Prompts.h"
#include "companions/CRangeBar.h"
#include "graph/CGraphWnd.h"
#include "outputs/PrinterDevice.h"
#include "outputs/PrintoutThreads.h"
#include "plot/CGraphView.h"
#include "plot/GraphPrintJob.h"

#include <QPageLayout>
#include <QPrinter>
#include <QThread>

#include <cmath>
#include <functional>
#include <memory>
#include <new>

namespace {

const QString ErrorCaption = QStringLiteral("Ошибка");

// The whole sheet in 0.1 mm, with the painter's origin moved to its top-left corner, so that
// the page's margins are measured from the paper's edges.
QSize useWholeSheet(QPrinter &printer)
{
    printer.setFullPage(true);
    const QSizeF sheet = printer.pageLayout().fullRect(QPageLayout::Millimeter).size();
    return {static_cast<int>(std::trunc(sheet.width() * 10.0)),
            static_cast<int>(std::trunc(sheet.height() * 10.0))};
}

// The label texts of a bar with these units, as a copy the printout owns.
std::function<QString(double)> labelsOf(RangeBarUnits units)
{
    RangeBarModel model;
    model.setUnits(units);
    return [model](double value) { return model.formatValue(value); };
}

GraphPrintContext contextOf(const CGraphWnd &frame, QSize pageSize)
{
    GraphPrintContext context;
    context.pageSize = pageSize;
    if (const CRangeBar *bar = frame.temperatureBar()) {
        context.temperatureWindowStart = bar->GetWinMin();
        context.temperatureWindowEnd = bar->GetWinMax();
        context.temperatureRangeMax = bar->GetMax();
    }
    if (const CRangeBar *bar = frame.timeBar()) {
        context.timeWindowStart = bar->GetWinMin();
        context.timeWindowEnd = bar->GetWinMax();
    }
    context.timeLabel = labelsOf(RangeBarUnits::Milliseconds);
    context.temperatureLabel = labelsOf(RangeBarUnits::Degrees);
    if (const CGraphView *view = frame.view()) {
        context.breakAtGaps = view->breakAtGaps();
        context.series =
            TakeGraphPrintSeries(view->series(), context.timeWindowStart, context.timeWindowEnd);
    }
    return context;
}

} // namespace

GraphPrinting::GraphPrinting(Prompts &prompts, QObject *parent)
    : QObject(parent), m_prompts(prompts)
{}

// The printout's thread is kept by a child of this object, whose destruction waits for it.
GraphPrinting::~GraphPrinting() = default;

void GraphPrinting::print(CGraphWnd &frame)
{
    if (m_printing) {
        m_prompts.message(QStringLiteral("Печать графика ещё не закончена"), ErrorCaption,
                          Prompts::Icon::Exclamation);
        return;
    }
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setDocName(QStringLiteral("ELVA печать графика"));
    if (!m_prompts.printDialog(*printer))
        return;
    if (!HasPrintDestination(*printer)) {
        m_prompts.message(QStringLiteral("Не установлен принтер"), ErrorCaption,
                          Prompts::Icon::Exclamation);
        return;
    }
    const QSize pageSize = useWholeSheet(*printer);
    GraphPrintContext context;
    try {
        context = contextOf(frame, pageSize);
    } catch (const std::bad_alloc &) {
        // No memory for the copy of the visible records: abandoned like a printout that
        // cannot be started.
        return;
    }
    auto device = std::make_unique<PrinterDevice>(std::move(printer));
    std::unique_ptr<QThread> thread(
        QThread::create([device = std::move(device), context = std::move(context)]() mutable {
            PrintGraphThread(std::move(device), context);
        }));
    connect(thread.get(), &QThread::finished, this, [this] {
        m_printing = false;
        emit finished();
    });
    m_printing = true;
    StartPrintoutThread(*this, std::move(thread));
}
