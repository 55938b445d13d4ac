#include "plot/GraphPageContext.h"

#include "companions/RangeBarModel.h"
#include "companions/TermDataFile.h"
#include "plot/GraphScales.h"

#include <algorithm>
#include <vector>

GraphPrintContext GraphPageContext(TermDataFile *series, const GraphPageScales &scales,
                                   bool breakAtGaps)
{
    GraphPrintContext context;
    context.timeWindowStart = scales.timeWindowStart;
    context.timeWindowEnd = scales.timeWindowEnd;
    context.temperatureWindowStart = scales.temperatureWindowStart;
    context.temperatureWindowEnd = scales.temperatureWindowEnd;
    context.temperatureRangeMax = scales.temperatureRangeMax;
    context.timeLabel = RangeBarLabels(RangeBarUnits::Milliseconds);
    context.temperatureLabel = RangeBarLabels(RangeBarUnits::Degrees);
    context.breakAtGaps = breakAtGaps;
    context.series = TakeGraphPrintSeries(series, scales.timeWindowStart, scales.timeWindowEnd);
    return context;
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
    GraphPrintContext context =
        GraphPageContext(nullptr, {start, end, range.low, range.high, range.high}, false);
    context.series = std::move(inside);
    return context;
}
