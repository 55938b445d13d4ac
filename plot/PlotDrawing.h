#pragma once

#include "plot/Canvas.h"
#include "plot/TemperatureThresholds.h"

#include <QColor>
#include <QPen>
#include <QSize>

#include <cstdint>

class CurvePyramid;
class TermDataFile;

// What the plot reads from one range bar at paint time.
struct PlotAxis
{
    std::int32_t windowStart = 0;
    std::int32_t windowEnd = 0;
    double scale = 1.0;         // pixels per unit (millisecond or degree)
    double bigStep = 0.0;       // pixels between major divisions
    std::int16_t smallStep = 0; // minor parts per major division
    QPen majorPen;
    QPen minorPen;
    bool operator==(const PlotAxis &) const = default;
};

// Tells where a curve is broken: a point whose interval to the previous one reaches ten
// times the running mean of the intervals follows a gap.
class CurveGapRule
{
public:
    enum class Point
    {
        First,
        Continues,
        AfterGap
    };

    // Judges the next point of the curve by its time; the second point of a stretch only
    // sets the mean, so it never follows a gap.
    Point judge(std::int32_t time);

    // Two rules in the same state judge every following point alike, wherever each began.
    bool operator==(const CurveGapRule &) const = default;

private:
    static constexpr double GapFactor = 10.0;
    static constexpr double MeanWeight = 0.5;

    // Points in the current stretch, counted up to two (the rule tells no more apart); 0 before
    // the first point.
    int m_count = 0;
    std::int32_t m_previousTime = 0;
    double m_mean = 0.0;
};

// Inline: it runs for every point of every curve.
inline CurveGapRule::Point CurveGapRule::judge(std::int32_t time)
{
    if (m_count == 0) {
        m_previousTime = time;
        m_count = 1;
        return Point::First;
    }
    // 64 bits: the difference of two 32-bit times does not overflow.
    const double interval = static_cast<double>(std::int64_t{time} - m_previousTime);
    m_previousTime = time;
    if (m_count == 1) {
        m_mean = interval;
    } else if (CurveGapRule::GapFactor * m_mean > interval) {
        m_mean = (interval + m_mean) * CurveGapRule::MeanWeight;
    } else {
        // This point is the first of the next stretch.
        m_count = 1;
        m_mean = 0.0;
        return Point::AfterGap;
    }
    m_count = 2;
    return Point::Continues;
}

// The plot's background, filled over the whole client area before the grid.
constexpr QRgb PlotBackgroundColor = qRgb(253, 253, 210);
constexpr QRgb CurveColor = qRgb(255, 0, 0);

// The screen curve's pen: solid, 1 pixel, CurveColor.
QPen curvePen();

// Draws the grid over a client area of client pixels (y downward): horizontal lines counted
// up from the bottom row y = client.height() with the temperature bar's steps, vertical lines
// counted from x = 0 with the time bar's steps, both with the temperature bar's pens. Each
// line stands at the pixel of the bar's tick it continues. A direction whose major step is
// under 2 pixels gets no lines. The pen in force before is selected again afterwards.
void DrawGrid(Canvas &canvas, QSize client, const PlotAxis &temperature, const PlotAxis &time);

constexpr QRgb UpperThresholdColor = qRgb(230, 120, 0);
constexpr QRgb LowerThresholdColor = qRgb(0, 90, 220);
constexpr QRgb MarkerColor = qRgb(0, 0, 128);

// Draws each set threshold as a dashed line in its colour across the client area, at the row
// of its temperature, when that row lies inside. The pen in force before is selected again
// afterwards.
void DrawThresholds(Canvas &canvas, QSize client, const PlotAxis &temperature,
                    const TemperatureThresholds &thresholds);

// Draws the series as a line with pen, from the record GetFirst(viewTimeStart) gives up to and
// including the first record past time.windowEnd. Temperatures are limited to the series'
// own range. Points that fall into one pixel column are drawn as one vertical stroke; with
// breakAtGaps set the line is interrupted where an interval reaches ten times the running mean
// of the intervals. Nothing is drawn for a null series; the pen in force before is selected
// again afterwards. Given a pyramid that covers the series, the same calls are made from it,
// at a cost of the columns drawn instead of the records walked.
void DrawCurve(Canvas &canvas, QSize client, TermDataFile *series, const PlotAxis &temperature,
               const PlotAxis &time, std::int32_t viewTimeStart, bool breakAtGaps,
               const QPen &pen = curvePen(), const CurvePyramid *pyramid = nullptr);
