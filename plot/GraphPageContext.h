#pragma once

#include "plot/GraphPrintJob.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class SeriesOverlay;
class TermDataFile;

// The page of the graph a printout or a picture draws, built in one place for the graph window
// and the command line.

// Completes page, whose scales' windows, range maximum, breakAtGaps, first day and statistics
// the caller has set, with what every page takes alike: the bars' label texts and the copy of
// series (none gives an empty page) within the time window, and of each run of overlay (may be
// null), named seriesName in the legend. Its header names the whole series. May throw
// std::bad_alloc.
GraphPrintContext GraphPageContext(TermDataFile *series, GraphPrintContext page,
                                   const SeriesOverlay *overlay = nullptr,
                                   const QString &seriesName = {});

// The page of the readings of series within start..end alone, for a page made without the
// graph window: the header's interval and range and the temperature scale are those of these
// readings, and the curve ends at the last of them. Its walk is empty when none lies within.
GraphPrintContext ReadingsPageContext(TermDataFile &series, std::int32_t start, std::int32_t end);

// The records a page draws of a series of any length, gathered as they come, in rising time,
// in bounded memory: every record while no more than keptRecords have come; past that, of each
// stretch of time only the records that shape what the page shows of it: its first and last,
// its lowest and highest temperature and emissivity. The stretches are powers of two of
// milliseconds from the first record, as short as lets them keep their records within
// keptRecords: an eighth of keptRecords of them span the series, many to a pixel column of any
// picture. The page's range, header and extremes stay those of every record.
class PageRecords
{
public:
    static constexpr std::size_t DefaultKeptRecords = std::size_t{1} << 20;

    explicit PageRecords(std::size_t keptRecords = DefaultKeptRecords);

    void add(const v4TermData &record);
    // The records kept, in the order they came, into series, which is emptied first.
    void takeInto(TermDataFile &series);

private:
    void thin();

    std::size_t m_kept;
    std::vector<v4TermData> m_records;
    int m_stretchShift = 0;
};
