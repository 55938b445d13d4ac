#pragma once

#include <QDate>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

// What the values of a range bar are, and so how its steps are chosen and its labels read.
enum class RangeBarUnits
{
    Degrees,     // whole degrees Celsius, labels such as "850°"
    Milliseconds // milliseconds of the day, labels such as "10:15:30" or "10:15:30.250"
};

// The values an operation of RangeBarModel changed.
struct RangeBarChanges
{
    bool minimum = false;
    bool maximum = false;
    bool windowStart = false;
    bool windowEnd = false;

    bool window() const { return windowStart || windowEnd; }
    bool any() const { return minimum || maximum || window(); }
};

// One division of the scale: offset in pixels from the window start's edge along the bar.
struct RangeBarTick
{
    double offset;
    double value;
    bool major;

    bool operator==(const RangeBarTick &) const = default;
};

// Major divisions in value units and pixels, and the minor parts of each major division.
struct RangeBarDivision
{
    double step;
    double pixels;
    short minorParts;

    // Where the bar's ticks and the plot's grid lines stand, so that both meet at the same
    // pixel (the offset truncated): major division k, and its minor division i (i > 0).
    double majorOffset(int k) const { return k * pixels; }
    double minorOffset(int k, int i) const { return majorOffset(k) + i * pixels / minorParts; }
};

// Where a point along the bar's track lies relative to the window's handle.
enum class RangeBarHit
{
    BeforeWindow,
    WindowStart,
    Window,
    WindowEnd,
    AfterWindow
};

// The arithmetic of a range bar: a range, a window inside it, and their mapping onto a bar
// of a given length in pixels. The range and the window always span at least one unit and
// the window always lies inside the range, whatever is asked of the setters.
//
// Offsets are pixels along the bar from the edge where the values are smallest. The scale
// maps the window onto the whole length; the track maps the whole range onto it.
class RangeBarModel
{
public:
    // Minor divisions closer than this are left out.
    static constexpr double MinorSpacingPixels = 5.0;

    std::int32_t minimum() const { return m_minimum; }
    std::int32_t maximum() const { return m_maximum; }
    std::int32_t windowStart() const { return m_windowStart; }
    std::int32_t windowEnd() const { return m_windowEnd; }

    void setUnits(RangeBarUnits units) { m_units = units; }
    // The day a time bar's times count from when they run over several days: its labels then
    // name the day of each time. Invalid, as at construction, for times of one day.
    void setFirstDay(const QDate &day) { m_firstDay = day; }
    const QDate &firstDay() const { return m_firstDay; }

    // Least distance between major divisions (at least one pixel), so that labels fit.
    void setMinMajorPixels(double pixels);

    // Each setter sets its value exactly when it can. A range end moved past the other end
    // pushes that end along, and the window is then clamped into the range; a window end
    // moved past the other pushes it along, and the range grows to hold the window. So
    // four calls that describe a valid state reach that state in any order.
    RangeBarChanges setMinimum(std::int32_t value);
    RangeBarChanges setMaximum(std::int32_t value);
    RangeBarChanges setWindowStart(std::int32_t value);
    RangeBarChanges setWindowEnd(std::int32_t value);

    // Puts the window's start at start, keeping its span, as far as the range allows.
    RangeBarChanges moveWindow(std::int64_t start);
    // Centres the window on value, keeping its span, as far as the range allows.
    RangeBarChanges centreWindowOn(double value);
    // Shifts the window by a fraction of its span (positive: towards larger values).
    RangeBarChanges scrollWindow(double fraction);
    // Scales the window's span by factor (below 1 zooms in) keeping anchor where it is;
    // zooming in always narrows by a unit at least, zooming out stops at the whole range.
    RangeBarChanges zoom(double anchor, double factor);
    // Applies a drag of the handle grabbed at grip by pixels along the track, with the
    // window at the press given by pressStart and pressEnd: the window, or the grabbed end,
    // follows the pointer. Presses beside the handle are not drags: see centreWindowOn.
    RangeBarChanges drag(RangeBarHit grip, std::int32_t pressStart, std::int32_t pressEnd,
                         double pixels, int length);

    // Pixels per unit of the window over length pixels (0 for an empty bar).
    double scale(int length) const;
    // The value at offset on the scale.
    double valueAt(double offset, int length) const;

    double trackOffset(double value, int length) const;
    // Units of the range per pixel of the track.
    double trackUnitsPerPixel(int length) const;
    double trackValueAt(double offset, int length) const;
    // Classifies offset on the track; the ends of the handle catch grip pixels either side.
    RangeBarHit hitTrack(double offset, int length, double grip) const;

    // The smallest step of a round size whose division is at least minMajorPixels long
    // (the largest step when none is), and as many minor parts as have room.
    RangeBarDivision division(int length) const;
    // Major and minor divisions of the window, from its start, up to length pixels.
    std::vector<RangeBarTick> ticks(int length) const;
    // Label text of a value; empty for a value that is not a finite number.
    QString formatValue(double value) const;

private:
    RangeBarChanges changesSince(const RangeBarModel &before) const;
    void clampWindowIntoRange();
    void growRangeToWindow();
    void placeWindow(std::int64_t start, std::int64_t span);
    std::int64_t windowSpan() const;
    std::int64_t rangeSpan() const;

    std::int32_t m_minimum = 0;
    std::int32_t m_maximum = 100;
    std::int32_t m_windowStart = 0;
    std::int32_t m_windowEnd = 100;
    RangeBarUnits m_units = RangeBarUnits::Degrees;
    QDate m_firstDay;
    double m_minMajorPixels = 30.0;
};

// The label texts of a bar with these units and first day (RangeBarModel::setFirstDay), as a
// copy that outlives any bar (a printout, a graph drawn into a file).
std::function<QString(double)> RangeBarLabels(RangeBarUnits units, const QDate &firstDay = {});
