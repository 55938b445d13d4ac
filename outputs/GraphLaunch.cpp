#include "outputs/GraphLaunch.h"

#include "companions/CRangeBar.h"
#include "companions/Prompts.h"
#include "graph/CGraphWnd.h"
#include "graph/CLimitDlg.h"
#include "outputs/GraphSeries.h"

GraphLaunch::GraphLaunch(Prompts &prompts, QObject *parent)
    : QObject(parent), m_prompts(prompts), m_graphPrinting(prompts)
{}

GraphLaunch::~GraphLaunch() = default;

void GraphLaunch::OnGraph(const TermDataFile &series, const ReceivedRows &table,
                          const std::vector<int> &selectedRows, bool &selectionChanged)
{
    const int count = BuildGraphSeries(m_graphSeries, series, table, selectedRows, selectionChanged,
                                       true, m_prompts);
    if (count == 0)
        return;
    if (count == 1) {
        m_prompts.message(
            QStringLiteral("Для построения графика необходимо выделить не менее 2-х измерений."),
            QStringLiteral("График"), Prompts::Icon::Information);
        return;
    }
    if (!m_graphWnd)
        createGraphWnd();

    const std::int32_t first = m_graphSeries.records[0].time;
    const std::int32_t last = m_graphSeries.records[count - 1].time;
    const std::int32_t keptStart =
        m_graphWnd->timeBar() != nullptr ? m_graphWnd->timeBar()->GetWinMin() : first;
    const auto lowest = static_cast<std::int16_t>(m_graphSeries.minTemperature);
    const auto highest = static_cast<std::int16_t>(m_graphSeries.maxTemperature);
    m_graphWnd->OnSetSeries(GraphSeriesLimits(lowest, highest), &m_graphSeries);
    m_graphWnd->OnSetTimeParam(0);
    if (CRangeBar *bar = m_graphWnd->temperatureBar()) {
        bar->SetWinMin(m_graphSeries.minTemperature);
        bar->SetWinMax(m_graphSeries.maxTemperature);
    }
    if (CRangeBar *bar = m_graphWnd->timeBar()) {
        bar->SetMin(first);
        bar->SetMax(last);
        // The time window keeps the start the user left it at; a start at or past the new
        // series' end would leave the plot empty, so the window then shows the whole series.
        if (keptStart >= last)
            bar->SetWinMin(first);
    }
    if (!m_graphWnd->isVisible())
        m_graphWnd->show();
    // Brought to the front and made active, so that it answers the pointer (tooltips) at once.
    m_graphWnd->raise();
    m_graphWnd->activateWindow();
}

void GraphLaunch::createGraphWnd()
{
    m_graphWnd = std::make_unique<CGraphWnd>();
    CGraphWnd *frame = m_graphWnd.get();
    connect(frame, &CGraphWnd::graphClosed, this, &GraphLaunch::graphClosed);
    connect(frame, &CGraphWnd::limitsRequested, this,
            [this, frame] { EditLimits(frame->temperatureBar(), frame, m_prompts); });
    connect(frame, &CGraphWnd::printRequested, this,
            [this, frame] { m_graphPrinting.print([frame] { return frame->printContext(); }); });
}

void GraphLaunch::destroyGraphWnd()
{
    m_graphWnd.reset();
}
