#include "graph/GraphController.h"

#include "companions/CRangeBar.h"
#include "companions/Prompts.h"
#include "graph/CGraphWnd.h"
#include "outputs/GraphSeries.h"
#include "outputs/RowTexts.h"
#include "plot/GraphPageContext.h"

#include <algorithm>

// The reports of the graph's controller: it holds the thresholds, the graph's rows and the
// window's time, and builds graph series as "График" does.

ReportSources GraphController::reportSources() const
{
    return m_reportSources ? m_reportSources() : ReportSources{};
}

void GraphController::OnReport(const TermDataFile &series, const ReceivedRows &table,
                               const std::vector<int> &selectedRows)
{
    TermDataFile reported;
    bool rebuild = true;
    if (BuildGraphSeries(reported, series, table, selectedRows, rebuild, true, m_prompts) == 0) {
        m_prompts.message(QStringLiteral("Нет измерений для отчета."), QStringLiteral("Отчет"),
                          Prompts::Icon::Information);
        return;
    }
    const std::int32_t start = reported.records[0].time;
    const std::int32_t end = reported.records[reported.count - 1].time;
    ReportContent content = ReportOfRows(table, series, RowsToTake(table, selectedRows), reported,
                                         start, end, thresholds(), reportSources());
    // A single reading still gets a second of time around it.
    content.graph = ReadingsPageContext(reported, start, std::max(end, start + 1000));
    SaveReport(m_prompts, content);
}

void GraphController::reportVisibleWindow()
{
    const PromptsOwner owner(m_prompts, m_graphWnd.get());
    if (!m_graphedRows || m_reception == nullptr) {
        m_prompts.message(QStringLiteral("Таблица сменилась после построения графика: постройте "
                                         "график заново, чтобы составить отчет."),
                          QStringLiteral("График"), Prompts::Icon::Information);
        return;
    }
    const CRangeBar *time = m_graphWnd->timeBar();
    const std::int32_t start = time->GetWinMin();
    const std::int32_t end = time->GetWinMax();
    const std::vector<int> rows = GraphedRowsInTimeWindow(
        m_graphSeries, *m_reception, *m_receptionRows, *m_graphedRows, start, end);
    ReportContent content = ReportOfRows(*m_receptionRows, *m_reception, rows, m_graphSeries, start,
                                         end, thresholds(), reportSources());
    content.graph = m_graphWnd->printContext();
    SaveReport(m_prompts, content);
}
