#include "plot/GraphPrinting.h"

#include "companions/Prompts.h"
#include "plot/GraphPrintJob.h"
#include "plot/PrinterDevice.h"
#include "plot/PrintoutThreads.h"

#include <QPageLayout>
#include <QPrinter>
#include <QThread>

#include <cmath>
#include <functional>
#include <memory>
#include <new>

namespace {

// The whole sheet in 0.1 mm, with the painter's origin moved to its top-left corner, so that
// the page's margins are measured from the paper's edges.
QSize useWholeSheet(QPrinter &printer)
{
    printer.setFullPage(true);
    const QSizeF sheet = printer.pageLayout().fullRect(QPageLayout::Millimeter).size();
    return {static_cast<int>(std::trunc(sheet.width() * 10.0)),
            static_cast<int>(std::trunc(sheet.height() * 10.0))};
}

} // namespace

GraphPrinting::GraphPrinting(Prompts &prompts, QObject *parent)
    : QObject(parent), m_prompts(prompts)
{}

// The printout's thread is kept by a child of this object, whose destruction waits for it.
GraphPrinting::~GraphPrinting() = default;

void GraphPrinting::cancel(QDeadlineTimer deadline)
{
    CancelPrintouts(*this, deadline);
}

void GraphPrinting::print(const GraphSnapshot &snapshot)
{
    if (m_printing) {
        m_prompts.message(QStringLiteral("Печать графика ещё не закончена"), ErrorCaption,
                          Prompts::Icon::Exclamation);
        return;
    }
    std::unique_ptr<QPrinter> printer =
        ChoosePrinter(m_prompts, QStringLiteral("ELVA печать графика"));
    if (!printer)
        return;
    GraphPrintContext context;
    try {
        context = snapshot();
        context.pageSize = useWholeSheet(*printer);
    } catch (const std::bad_alloc &) {
        // No memory for the copy of the visible records: abandoned like a printout that
        // cannot be started.
        return;
    }
    auto device = std::make_shared<std::unique_ptr<PrintDevice>>(
        std::make_unique<PrinterDevice>(std::move(printer)));
    std::unique_ptr<QThread> thread = MakePrintoutThread(
        *this, [device, context = std::move(context)](const std::atomic<bool> &cancelled) {
            PrintGraphThread(std::move(*device), context, &cancelled);
        });
    connect(thread.get(), &QThread::finished, this, [this] {
        m_printing = false;
        emit finished();
    });
    m_printing = true;
    StartPrintoutThread(*this, std::move(thread));
}
