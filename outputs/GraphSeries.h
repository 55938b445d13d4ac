#pragma once

#include <cstdint>
#include <optional>
#include <vector>

class ReceivedRows;
class Prompts;
class TermDataFile;

// Lowest and highest temperature a graph series keeps: the 16 bits the graph window is
// handed, read as signed so that readings below 0 °C keep their order.
inline constexpr std::int32_t GraphTemperatureLowest = -32768;
inline constexpr std::int32_t GraphTemperatureHighest = 32767;

// Whether a record at time may follow one at previousTime in a graph series (none before the
// first record, which always begins the run, also at midnight): the times of a graph rise
// strictly.
inline bool ContinuesGraphRun(std::optional<std::int32_t> previousTime, std::int32_t time)
{
    return !previousTime || *previousTime < time;
}

// Fills graphSeries with copies of the records of series behind selectedRows (row numbers of
// table, any order; rows whose record index is negative or outside series are skipped), or
// with every record of series when selectedRows is empty, and returns its count.
//
// A series that is not empty is kept as it is while selectionChanged is clear; a rebuild
// clears selectionChanged. With checkContinuity the times must rise strictly from the first
// point on (ContinuesGraphRun): at the first record that breaks this, the user is told how many
// points are kept and the rest is dropped. minTemperature and maxTemperature become the lowest and
// highest temperature kept, limited to GraphTemperatureLowest..GraphTemperatureHighest
// (both 0 for an empty series); the date is series' date.
int BuildGraphSeries(TermDataFile &graphSeries, const TermDataFile &series,
                     const ReceivedRows &table, const std::vector<int> &selectedRows,
                     bool &selectionChanged, bool checkContinuity, Prompts &prompts);

// The rows of table whose records graphSeries holds, as BuildGraphSeries took them from
// series for selectedRows, and whose times lie within start..end: the rows of the visible
// part of the graph, in the table's order of taking.
std::vector<int> GraphedRowsInTimeWindow(const TermDataFile &graphSeries,
                                         const TermDataFile &series, const ReceivedRows &table,
                                         const std::vector<int> &selectedRows, std::int32_t start,
                                         std::int32_t end);

// Appends to graphSeries, built from every record of series, the records series has gained
// since, under the same rule of rising times; widens its limits to them. False, after telling
// the user, when a record breaks the run: the records before it are kept.
bool ExtendGraphSeries(TermDataFile &graphSeries, const TermDataFile &series, Prompts &prompts);
