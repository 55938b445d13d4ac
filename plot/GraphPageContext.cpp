#include "plot/GraphPageContext.h"

#include "companions/RangeBarModel.h"
#include "companions/TermDataFile.h"
#include "plot/GraphScales.h"
#include "plot/SeriesOverlay.h"

#include <algorithm>
#include <vector>

GraphPrintContext GraphPageContext(TermDataFile *series, GraphPrintContext page,
                                   const SeriesOverlay *overlay, const QString &seriesName)
{
    page.timeLabel = RangeBarLabels(RangeBarUnits::Milliseconds, page.firstDay);
    page.temperatureLabel = RangeBarLabels(RangeBarUnits::Degrees);
    page.series = TakeGraphPrintSeries(series, page.timeWindowStart, page.timeWindowEnd);
    page.seriesName = seriesName;
    if (overlay != nullptr)
        for (const SeriesOverlay::Entry &entry : overlay->entries())
            page.runs.push_back(
                {entry.name, entry.colour,
                 TakeGraphPrintSeries(entry.series.get(), page.timeWindowStart, page.timeWindowEnd)
                     .walk});
    return page;
}

GraphPrintContext ReadingsPageContext(TermDataFile &series, std::int32_t start, std::int32_t end)
{
    GraphPrintSeries inside = TakeGraphPrintSeries(&series, start, end);
    std::vector<v4TermData> &walk = inside.walk;
    std::erase_if(walk, [start, end](const v4TermData &record) {
        return record.time < start || record.time > end;
    });
    if (!walk.empty()) {
        const auto [lowest, highest] = std::minmax_element(
            walk.begin(), walk.end(),
            [](const v4TermData &a, const v4TermData &b) { return a.temperature < b.temperature; });
        inside.minTemperature = lowest->temperature;
        inside.maxTemperature = highest->temperature;
        inside.firstTime = walk.front().time;
    }
    const ScaleSpan range =
        TemperatureRangeFor(GraphSeriesLimits(static_cast<std::int16_t>(inside.minTemperature),
                                              static_cast<std::int16_t>(inside.maxTemperature)));
    GraphPrintContext page;
    page.timeWindowStart = start;
    page.timeWindowEnd = end;
    page.temperatureWindowStart = range.low;
    page.temperatureWindowEnd = range.high;
    page.temperatureRangeMax = range.high;
    page = GraphPageContext(nullptr, std::move(page));
    page.series = std::move(inside);
    return page;
}

PageRecords::PageRecords(std::size_t keptRecords) : m_kept(std::max<std::size_t>(keptRecords, 64))
{}

void PageRecords::add(const v4TermData &record)
{
    m_records.push_back(record);
    if (m_records.size() > m_kept)
        thin();
}

void PageRecords::takeInto(TermDataFile &series)
{
    series.Clear();
    series.Reserve(static_cast<std::int32_t>(m_records.size()));
    for (const v4TermData &record : m_records)
        series.Add(record.time, record.temperature, record.emissivity);
    std::vector<v4TermData>().swap(m_records);
}

// Keeps six records at most of each stretch, in as many stretches as an eighth of the records
// kept: what came since fills the rest before the next thinning. The stretches only grow, by
// powers of two from one origin, so each holds whole stretches of the thinnings before.
void PageRecords::thin()
{
    const std::int64_t origin = m_records.front().time;
    const std::int64_t span = std::int64_t{m_records.back().time} - origin;
    const auto stretches = static_cast<std::int64_t>(m_kept / 8);
    while ((span >> m_stretchShift) >= stretches)
        ++m_stretchShift;
    const auto stretchOf = [&](const v4TermData &record) {
        return (std::int64_t{record.time} - origin) >> m_stretchShift;
    };
    std::size_t kept = 0;
    for (std::size_t first = 0; first < m_records.size();) {
        std::size_t last = first;
        while (last + 1 < m_records.size() &&
               stretchOf(m_records[last + 1]) == stretchOf(m_records[first]))
            ++last;
        // The page's emissivity leaves out the records that count for nothing.
        const auto counts = [this](std::size_t i) {
            const v4TermData &record = m_records[i];
            return record.emissivity != 0 && record.time != 0 && record.temperature != 0;
        };
        std::size_t chosen[6] = {first, first, first, last, last, last};
        for (std::size_t i = first; i <= last; ++i) {
            const v4TermData &record = m_records[i];
            if (record.temperature < m_records[chosen[1]].temperature)
                chosen[1] = i;
            if (record.temperature > m_records[chosen[2]].temperature)
                chosen[2] = i;
            if (counts(i) &&
                (!counts(chosen[3]) || record.emissivity < m_records[chosen[3]].emissivity))
                chosen[3] = i;
            if (counts(i) &&
                (!counts(chosen[4]) || record.emissivity > m_records[chosen[4]].emissivity))
                chosen[4] = i;
        }
        std::sort(std::begin(chosen), std::end(chosen));
        const std::size_t *end = std::unique(std::begin(chosen), std::end(chosen));
        for (const std::size_t *index = std::begin(chosen); index != end; ++index)
            m_records[kept++] = m_records[*index];
        first = last + 1;
    }
    m_records.resize(kept);
}
