#pragma once

#include "companions/ReadingNotes.h"
#include "companions/TermDataFile.h"
#include "plot/Canvas.h"
#include "plot/TemperatureThresholds.h"

#include <QDate>
#include <QRgb>
#include <QSize>
#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class PrintDevice;

// What the graph printout needs of a series, copied so that the printout reads nothing the
// graph window may change while it runs.
struct GraphPrintSeries
{
    std::int32_t minTemperature = 0;
    std::int32_t maxTemperature = 0;
    std::uint8_t scaleFlags = 0;
    // Time of the series' first record; none for an empty series.
    std::optional<std::int32_t> firstTime;
    // The records a walk of the time window visits, in order: from GetFirst(window start)
    // up to and including the first record past the window's end, when there is one.
    std::vector<v4TermData> walk;
};

// Copies what the printout reads of series for the time window start..end. A null series
// gives an empty copy. May throw std::bad_alloc.
GraphPrintSeries TakeGraphPrintSeries(TermDataFile *series, std::int32_t start, std::int32_t end);

// A run compared with the graph, as the printout draws it: its name and colour, and the records
// a walk of the time window visits, as GraphPrintSeries::walk.
struct GraphPrintRun
{
    QString name;
    QRgb colour = 0;
    std::vector<v4TermData> walk;
};

// Everything one graph printout reads, taken when it starts.
struct GraphPrintContext
{
    // The sheet in 0.1 mm; the canvas's origin is its top-left corner.
    QSize pageSize;
    std::int32_t timeWindowStart = 0;
    std::int32_t timeWindowEnd = 0;
    std::int32_t temperatureWindowStart = 0;
    std::int32_t temperatureWindowEnd = 0;
    // The temperature bar's range maximum: the widest label the plot leaves room for.
    std::int32_t temperatureRangeMax = 0;
    // Axis label texts, as the time bar and the temperature bar write their values.
    std::function<QString(double)> timeLabel;
    std::function<QString(double)> temperatureLabel;
    bool breakAtGaps = false;
    // Drawn across the plot as dashed lines in their colours where they lie inside it.
    TemperatureThresholds thresholds;
    GraphPrintSeries series;
    // Drawn as numbered flags along the time axis, listed under the plot unless a document
    // lists them elsewhere.
    ReadingNotes notes;
    bool listNotesUnderPlot = true;
    // The first day of a timeline of several days, which the header's interval and the time
    // labels name (GraphTimeText); invalid for a timeline of one day.
    QDate firstDay;
    // The runs compared with the graph, drawn under its curve, with a legend naming seriesName
    // and each run and a box of the statistics lines when there are any; none for the graph
    // alone, which prints neither box.
    std::vector<GraphPrintRun> runs;
    QString seriesName;
    QStringList statistics;
};

// One major division of a printed axis: the first of 1, 2, 2.5, 5 times a power of ten
// (from 1e-6 up) that is at least MinMajorLength units long at scale units per value.
struct GraphScaleStep
{
    static constexpr int MinMajorLength = 200;

    double step = 0.0; // in values (ms or °C)
    int length = 0;    // in units, truncated
    int parts = 0;     // minor subdivisions: 8, 4 or 2
    int spacing = 0;   // of the minor lines, in units
};

// Minor subdivisions of a major step length units long: 8 when it holds eight lengths of
// 50 units, 4 when it holds four, else 2.
int GraphMinorParts(int length);

// The division for scale; none for a scale that is not a positive finite number.
std::optional<GraphScaleStep> GraphMajorStep(double scale);

// Draws the graph page of context on canvas, in 0.1 mm with y upward: the header, the framed
// plot with its scale grid, labels and captions, the curves of the runs compared and over them
// the curve of the visible records, the visible notes as numbered flags with their list at the
// page's foot, then the runs' legend and statistics as the screen's plot draws them
// (PlotOverlays), placed as there (PlaceOverlays). The
// header's second line is split in two where it would run past the page's right edge, and a
// time label that would is left out; the turned caption is kept on the page.
// Stops, returning false, once cancelled is found set; it is looked at along the curve.
bool DrawGraphPage(Canvas &canvas, const GraphPrintContext &context,
                   const std::atomic<bool> *cancelled = nullptr);

// Whether DrawGraphPage would lay the page of context out on canvas with every text on it and
// scales one can read: the header lines within the page's width, the plot tall enough for its
// turned caption and wide enough for the time's, and three labels on each scale at least.
// Draws nothing.
bool GraphPageFits(Canvas &canvas, const GraphPrintContext &context);

// The printout's worker: prints the one page of context on device, whose document is open,
// and ends the document; a page that cannot be started, or a printout cancelled through
// cancelled, drops it. Returns 0, or -1 without a device.
int PrintGraphThread(std::unique_ptr<PrintDevice> device, const GraphPrintContext &context,
                     const std::atomic<bool> *cancelled = nullptr);
