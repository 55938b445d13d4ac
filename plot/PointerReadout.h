#pragma once

#include "companions/FormatOutTime.h"

#include <QPoint>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

class TermDataFile;
struct v4TermData;

// What the plot view shows of the point under the mouse pointer: the time and temperature it
// stands for, the two status line texts and the tooltip text. Pure functions, so the view
// only turns events into calls.

// The time (ms) under client column x: (x + 2) / timeScale + timeWindowStart, truncated
// toward zero. Results beyond the 32-bit range saturate; a scale of 0 gives no crash.
std::int32_t PointerTime(int x, std::int32_t timeWindowStart, double timeScale);

// The temperature (°C) under client row y of a view height pixels high:
// (height - y + 2) / temperatureScale + temperatureWindowStart, truncated toward zero.
std::int32_t PointerTemperature(int y, int height, std::int32_t temperatureWindowStart,
                                double temperatureScale);

// Status pane 0: "Температура 41 °С" (the last letter a Cyrillic Es). Signed: readings below
// zero show with their minus sign. Over a curve of several compared, its name first:
// "kiln-after.orm: Температура 41 °С".
QString TemperatureReadoutText(std::int32_t temperature, const QString &curve = {});
// Status pane 1: "Время " and the elapsed-time text, or on a timeline of several days from
// firstDay the day and time (GraphTimeText).
QString TimeReadoutText(std::int32_t milliseconds, const QDate &firstDay = {});

// Whether a pointer move from previous to current hides the tooltip: it does when current lies
// outside the square from 5 pixels left of and above previous up to, but not including,
// 5 pixels right of and below it. The starting position (0, 0) means no move yet; its square
// is the whole view, so the first move never hides the tooltip.
bool PointerLeavesTooltipSquare(QPoint previous, QPoint current);

// The tooltip for the pointer's time: the temperature and emissivity of the record
// series->GetFirst(time) gives, next to the pointer's own time (written as TimeReadoutText
// writes it). Empty for a null series or when no record lies at or after time.
QString TooltipText(TermDataFile *series, std::int32_t time, const QDate &firstDay = {});

// The reading under a pointer at time, which a click marks and the marker's box measures to:
// the nearest of the last reading before time and the first at or after it (the earlier one
// on a tie); null for a null or empty series.
const v4TermData *ReadingAt(TermDataFile *series, std::int32_t time);

// Of curves, the index of the one whose reading at the pointer's time (ReadingAt) lies nearest
// to the pointer's temperature, and no farther from it than tolerance degrees; none when no
// curve comes that near. Null curves are passed over.
std::optional<int> CurveUnderPointer(const std::vector<TermDataFile *> &curves, std::int32_t time,
                                     std::int32_t temperature, std::int32_t tolerance);
