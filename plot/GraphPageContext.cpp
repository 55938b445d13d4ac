#include "plot/GraphPageContext.h"

#include "companions/RangeBarModel.h"
#include "companions/TermDataFile.h"
#include "plot/GraphScales.h"

#include <algorithm>
#include <vector>

GraphPrintContext GraphPageContext(TermDataFile *series, GraphPrintContext page)
{
    page.timeLabel = RangeBarLabels(RangeBarUnits::Milliseconds);
    page.temperatureLabel = RangeBarLabels(RangeBarUnits::Degrees);
    page.series = TakeGraphPrintSeries(series, page.timeWindowStart, page.timeWindowEnd);
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
