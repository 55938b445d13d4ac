#pragma once

#include "plot/GraphPrintJob.h"

#include <cstdint>

class TermDataFile;

// The page of the graph a printout or a picture draws, built in one place for the graph window
// and the command line.

// Completes page, whose scales' windows, range maximum and breakAtGaps the caller has set, with
// what every page takes alike: the bars' label texts and the copy of series (none gives an
// empty page) within the time window. Its header names the whole series. May throw
// std::bad_alloc.
GraphPrintContext GraphPageContext(TermDataFile *series, GraphPrintContext page);

// The page of the readings of series within start..end alone, for a page made without the
// graph window: the header's interval and range and the temperature scale are those of these
// readings, and the curve ends at the last of them. Its walk is empty when none lies within.
GraphPrintContext ReadingsPageContext(TermDataFile &series, std::int32_t start, std::int32_t end);
