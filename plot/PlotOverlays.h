#pragma once

#include "companions/TermDataFile.h"
#include "plot/Canvas.h"
#include "plot/PlotDrawing.h"
#include "plot/ReadingStatistics.h"

#include <QStringList>

#include <cstdint>
#include <vector>

// What the plot writes over the curve: the statistics of the visible window, a marker's
// reading and the difference from it to the reading under the pointer.

// The statistics box's lines, "Среднее: 497.4 °C", one for each of StatisticsFigures.
// On a timeline of several days from firstDay the times name their day as the graph's do.
QStringList StatisticsLines(const ReadingStatistics &figures,
                            const TemperatureThresholds &thresholds, const QDate &firstDay = {});

// A compared run's line in the statistics box: "run.orm: 200 изм., 650…900 °C, среднее 741.2 °C",
// or "run.orm: нет измерений" for a window without its readings.
QString SeriesStatisticsLine(const QString &name, const ReadingStatistics &figures);

// "09:13:40.785  856 °C"; on a timeline of several days from firstDay "07.12 09:13:40.785  856 °C".
QString MarkerText(const v4TermData &marker, const QDate &firstDay = {});
// "Δt = 1:05.123  ΔT = +37 °C", from the marker's reading to reading.
QString DifferenceText(const v4TermData &marker, const v4TermData &reading);

// The size of the framed box DrawTextBox draws for lines.
QSize TextBoxSize(const Canvas &canvas, const QStringList &lines);
// One line of the legend: a short stroke in the curve's colour, then its name.
struct LegendEntry
{
    QString name;
    QRgb colour;
};
QSize LegendBoxSize(const Canvas &canvas, const QStringList &names);
// A framed box like DrawTextBox's naming each curve beside a stroke of its colour; returns the
// box's rectangle. The pen in force before is selected again.
QRect DrawLegend(Canvas &canvas, QPoint topLeft, const std::vector<LegendEntry> &entries);

// A framed box of lines of text with its top left corner at topLeft, in the canvas's
// selected font; returns the box's rectangle. The pen in force before is selected again.
QRect DrawTextBox(Canvas &canvas, QPoint topLeft, const QStringList &lines);
