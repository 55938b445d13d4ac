#pragma once

#include "plot/GraphPrintJob.h"

#include <cstdint>

class TermDataFile;

// The page of the graph a printout or a picture draws, built in one place for the graph window
// and the command line.

// The windows of the two scales the page shows, as the graph window's bars hold them.
struct GraphPageScales
{
    std::int32_t timeWindowStart = 0;
    std::int32_t timeWindowEnd = 0;
    std::int32_t temperatureWindowStart = 0;
    std::int32_t temperatureWindowEnd = 0;
    // The temperature bar's range maximum: the widest label the plot leaves room for.
    std::int32_t temperatureRangeMax = 0;
};

// The page of series (none gives an empty page) within scales, its header naming the whole
// series; the curve breaks at gaps when breakAtGaps. May throw std::bad_alloc.
GraphPrintContext GraphPageContext(TermDataFile *series, const GraphPageScales &scales,
                                   bool breakAtGaps);

// The page of the readings of series within start..end alone, for a page made without the
// graph window: the header's interval and range and the temperature scale are those of these
// readings, and the curve ends at the last of them. Its walk is empty when none lies within.
GraphPrintContext ReadingsPageContext(TermDataFile &series, std::int32_t start, std::int32_t end);
