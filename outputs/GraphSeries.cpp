#include "outputs/GraphSeries.h"

#include "acquisition/ReceivedRows.h"
#include "companions/Prompts.h"
#include "companions/TermDataFile.h"
#include "outputs/RowTexts.h"

#include <algorithm>

namespace {

const QString GraphCaption = QStringLiteral("График");

// Adds records to a graph series while their times rise strictly.
class GraphSeriesFill
{
public:
    // Goes on after the records target already holds, whose limits are its own.
    GraphSeriesFill(TermDataFile &target, bool checkContinuity)
        : m_target(target), m_checkContinuity(checkContinuity)
    {
        if (target.count > 0) {
            m_previousTime = target.records[target.count - 1].time;
            m_lowest = target.minTemperature;
            m_highest = target.maxTemperature;
        }
    }

    // False, with nothing added, when record breaks the run forward in time.
    bool add(const v4TermData &record)
    {
        if (m_checkContinuity && !ContinuesGraphRun(m_previousTime, record.time))
            return false;
        m_target.Add(record.time, record.temperature, record.emissivity);
        const bool first = m_target.count == 1;
        m_lowest = first ? record.temperature : std::min(m_lowest, record.temperature);
        m_highest = first ? record.temperature : std::max(m_highest, record.temperature);
        m_previousTime = record.time;
        return true;
    }

    void storeLimits() const
    {
        m_target.minTemperature =
            std::clamp(m_lowest, GraphTemperatureLowest, GraphTemperatureHighest);
        m_target.maxTemperature =
            std::clamp(m_highest, GraphTemperatureLowest, GraphTemperatureHighest);
    }

private:
    TermDataFile &m_target;
    const bool m_checkContinuity;
    std::optional<std::int32_t> m_previousTime;
    std::int32_t m_lowest = 0;
    std::int32_t m_highest = 0;
};

void showBreak(Prompts &prompts, bool inSelection, int kept)
{
    const QString text =
        inSelection
            ? QStringLiteral("В выделенном фрагменте обнаружена непоследовательность по шкале "
                             "времени.\nНа график будут выведены только первые %1 выделенных "
                             "измерений.")
            : QStringLiteral("Обнаружена непоследовательность по шкале времени.\nНа график "
                             "будут выведены только первые %1 измерений.");
    prompts.message(text.arg(kept), GraphCaption, Prompts::Icon::Information);
}

// Index into the series of the record shown in row, or -1.
int recordIndexOf(const ReceivedRows &table, int row, const TermDataFile &series)
{
    const int index = table.recordIndexAt(row);
    return index >= 0 && index < series.count ? index : -1;
}

} // namespace

int BuildGraphSeries(TermDataFile &graphSeries, const TermDataFile &series,
                     const ReceivedRows &table, const std::vector<int> &selectedRows,
                     bool &selectionChanged, bool checkContinuity, Prompts &prompts)
{
    if (!selectionChanged && graphSeries.count != 0)
        return graphSeries.count;
    selectionChanged = false;
    graphSeries.Clear();
    graphSeries.date = series.date;

    GraphSeriesFill fill(graphSeries, checkContinuity);
    if (selectedRows.empty()) {
        for (int index = 0; index < series.count; ++index) {
            if (!fill.add(series.records[index])) {
                showBreak(prompts, false, graphSeries.count);
                break;
            }
        }
    } else {
        for (int row : RowsToTake(table, selectedRows)) {
            const int index = recordIndexOf(table, row, series);
            if (index < 0)
                continue;
            if (!fill.add(series.records[index])) {
                showBreak(prompts, true, graphSeries.count);
                break;
            }
        }
    }
    fill.storeLimits();
    return graphSeries.count;
}

std::vector<int> GraphedRowsInTimeWindow(const TermDataFile &graphSeries,
                                         const TermDataFile &series, const ReceivedRows &table,
                                         const std::vector<int> &selectedRows, std::int32_t start,
                                         std::int32_t end)
{
    std::vector<int> rows;
    const auto take = [&](int row, int index) {
        const std::int32_t time = series.records[index].time;
        if (time >= start && time <= end)
            rows.push_back(row);
    };
    if (selectedRows.empty()) {
        // Every record up to the first that broke the run.
        for (int row = 0; row < table.rowTotal(); ++row) {
            const int index = recordIndexOf(table, row, series);
            if (index >= 0 && index < graphSeries.count)
                take(row, index);
        }
        return rows;
    }
    int taken = 0;
    for (int row : RowsToTake(table, selectedRows)) {
        const int index = recordIndexOf(table, row, series);
        if (index < 0)
            continue;
        if (taken++ == graphSeries.count)
            break;
        take(row, index);
    }
    return rows;
}

bool ExtendGraphSeries(TermDataFile &graphSeries, const TermDataFile &series, Prompts &prompts)
{
    GraphSeriesFill fill(graphSeries, true);
    bool broken = false;
    for (int index = graphSeries.count; index < series.count; ++index) {
        if (!fill.add(series.records[index])) {
            showBreak(prompts, false, graphSeries.count);
            broken = true;
            break;
        }
    }
    fill.storeLimits();
    return !broken;
}
