#include "companions/RangeBarModel.h"

#include "companions/FormatOutTime.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace {

constexpr std::int32_t Lowest = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t Highest = std::numeric_limits<std::int32_t>::max();

// A round step and the minor parts it splits into, finest first (0 ends the list).
struct StepChoice
{
    std::int64_t step;
    std::array<short, 3> parts;
};

constexpr std::int64_t Second = MillisecondsPerSecond;
constexpr std::int64_t Minute = MillisecondsPerMinute;
constexpr std::int64_t Hour = MillisecondsPerHour;
constexpr std::int64_t Day = MillisecondsPerDay;

// 1, 2, (2.5,) 5 times the powers of ten from unit, well past the span of 32-bit values.
void appendDecimalSteps(std::vector<StepChoice> &steps, std::int64_t unit, std::int64_t upTo)
{
    for (std::int64_t decade = unit; decade <= upTo; decade *= 10) {
        steps.push_back({decade, {10, 5, 2}});
        steps.push_back({2 * decade, {4, 2, 0}});
        if (decade >= 10 * unit)
            steps.push_back({decade / 2 * 5, {5, 0, 0}});
        steps.push_back({5 * decade, {5, 0, 0}});
    }
}

const std::vector<StepChoice> &degreeSteps()
{
    static const std::vector<StepChoice> steps = [] {
        std::vector<StepChoice> all;
        appendDecimalSteps(all, 1, 10'000'000'000);
        return all;
    }();
    return steps;
}

// Milliseconds up to half a second, then the steps of a clock face, then whole days.
const std::vector<StepChoice> &timeSteps()
{
    static const std::vector<StepChoice> steps = [] {
        std::vector<StepChoice> all;
        appendDecimalSteps(all, 1, 100);
        const StepChoice clock[] = {
            {Second, {10, 5, 2}},      {2 * Second, {4, 2, 0}},  {5 * Second, {5, 0, 0}},
            {10 * Second, {10, 5, 2}}, {15 * Second, {3, 0, 0}}, {30 * Second, {6, 3, 0}},
            {Minute, {6, 4, 2}},       {2 * Minute, {4, 2, 0}},  {5 * Minute, {5, 0, 0}},
            {10 * Minute, {10, 5, 2}}, {15 * Minute, {3, 0, 0}}, {30 * Minute, {6, 3, 0}},
            {Hour, {6, 4, 2}},         {2 * Hour, {4, 2, 0}},    {3 * Hour, {3, 0, 0}},
            {6 * Hour, {6, 3, 2}},     {12 * Hour, {4, 2, 0}},
        };
        all.insert(all.end(), std::begin(clock), std::end(clock));
        appendDecimalSteps(all, Day, 100 * Day);
        return all;
    }();
    return steps;
}

std::int64_t roundClamped(double value)
{
    if (std::isnan(value))
        return 0;
    return std::llround(std::clamp(value, -4.0e18, 4.0e18));
}

std::int32_t toInt32(std::int64_t value)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, Lowest, Highest));
}

// Sets low to value and pushes high above it; at the top of the type low gives way instead.
void setLowEnd(std::int32_t &low, std::int32_t &high, std::int32_t value)
{
    low = std::min(value, Highest - 1);
    high = std::max(high, low + 1);
}

void setHighEnd(std::int32_t &low, std::int32_t &high, std::int32_t value)
{
    high = std::max(value, Lowest + 1);
    low = std::min(low, high - 1);
}

} // namespace

void RangeBarModel::setMinMajorPixels(double pixels)
{
    m_minMajorPixels = std::isfinite(pixels) ? std::max(pixels, 1.0) : 1.0;
}

RangeBarChanges RangeBarModel::setMinimum(std::int32_t value)
{
    const RangeBarModel before = *this;
    setLowEnd(m_minimum, m_maximum, value);
    clampWindowIntoRange();
    return changesSince(before);
}

RangeBarChanges RangeBarModel::setMaximum(std::int32_t value)
{
    const RangeBarModel before = *this;
    setHighEnd(m_minimum, m_maximum, value);
    clampWindowIntoRange();
    return changesSince(before);
}

RangeBarChanges RangeBarModel::setWindowStart(std::int32_t value)
{
    const RangeBarModel before = *this;
    setLowEnd(m_windowStart, m_windowEnd, value);
    growRangeToWindow();
    return changesSince(before);
}

RangeBarChanges RangeBarModel::setWindowEnd(std::int32_t value)
{
    const RangeBarModel before = *this;
    setHighEnd(m_windowStart, m_windowEnd, value);
    growRangeToWindow();
    return changesSince(before);
}

RangeBarChanges RangeBarModel::moveWindow(std::int64_t start)
{
    const RangeBarModel before = *this;
    placeWindow(start, windowSpan());
    return changesSince(before);
}

RangeBarChanges RangeBarModel::centreWindowOn(double value)
{
    if (!std::isfinite(value))
        return {};
    return moveWindow(roundClamped(value - static_cast<double>(windowSpan()) / 2.0));
}

RangeBarChanges RangeBarModel::scrollWindow(double fraction)
{
    if (!std::isfinite(fraction))
        return {};
    return moveWindow(m_windowStart + roundClamped(static_cast<double>(windowSpan()) * fraction));
}

RangeBarChanges RangeBarModel::zoom(double anchor, double factor)
{
    if (!std::isfinite(factor) || factor <= 0.0 || factor == 1.0)
        return {};
    const RangeBarModel before = *this;
    const std::int64_t span = windowSpan();
    std::int64_t newSpan = roundClamped(static_cast<double>(span) * factor);
    newSpan = factor < 1.0 ? std::min(newSpan, span - 1) : std::max(newSpan, span + 1);
    newSpan = std::clamp<std::int64_t>(newSpan, 1, rangeSpan());
    const double fixed = std::isnan(anchor)
                             ? m_windowStart
                             : std::clamp(anchor, double(m_windowStart), double(m_windowEnd));
    const double ratio = static_cast<double>(newSpan) / static_cast<double>(span);
    placeWindow(roundClamped(fixed - (fixed - m_windowStart) * ratio), newSpan);
    return changesSince(before);
}

RangeBarChanges RangeBarModel::drag(RangeBarHit grip, std::int32_t pressStart,
                                    std::int32_t pressEnd, double pixels, int length)
{
    const RangeBarModel before = *this;
    const std::int64_t delta = roundClamped(pixels * trackUnitsPerPixel(length));
    switch (grip) {
    case RangeBarHit::Window:
        placeWindow(pressStart + delta, std::int64_t(pressEnd) - pressStart);
        break;
    case RangeBarHit::WindowStart:
        m_windowStart = toInt32(
            std::clamp<std::int64_t>(pressStart + delta, m_minimum, std::int64_t(m_windowEnd) - 1));
        break;
    case RangeBarHit::WindowEnd:
        m_windowEnd = toInt32(
            std::clamp<std::int64_t>(pressEnd + delta, std::int64_t(m_windowStart) + 1, m_maximum));
        break;
    case RangeBarHit::BeforeWindow:
    case RangeBarHit::AfterWindow:
        break;
    }
    return changesSince(before);
}

double RangeBarModel::scale(int length) const
{
    if (length <= 0)
        return 0.0;
    return length / static_cast<double>(windowSpan());
}

double RangeBarModel::valueAt(double offset, int length) const
{
    if (length <= 0)
        return m_windowStart;
    return m_windowStart + offset / scale(length);
}

double RangeBarModel::trackOffset(double value, int length) const
{
    return (value - m_minimum) * std::max(length, 0) / static_cast<double>(rangeSpan());
}

double RangeBarModel::trackUnitsPerPixel(int length) const
{
    if (length <= 0)
        return 0.0;
    return static_cast<double>(rangeSpan()) / length;
}

double RangeBarModel::trackValueAt(double offset, int length) const
{
    return m_minimum + offset * trackUnitsPerPixel(length);
}

RangeBarHit RangeBarModel::hitTrack(double offset, int length, double grip) const
{
    const double start = trackOffset(m_windowStart, length);
    const double end = trackOffset(m_windowEnd, length);
    // A short handle keeps a middle third to be moved by.
    const double inner = std::min(grip, (end - start) / 3.0);
    if (offset < start - grip)
        return RangeBarHit::BeforeWindow;
    if (offset > end + grip)
        return RangeBarHit::AfterWindow;
    if (offset < start + inner)
        return RangeBarHit::WindowStart;
    if (offset > end - inner)
        return RangeBarHit::WindowEnd;
    return RangeBarHit::Window;
}

RangeBarDivision RangeBarModel::division(int length) const
{
    const std::vector<StepChoice> &steps =
        m_units == RangeBarUnits::Degrees ? degreeSteps() : timeSteps();
    const double pixelsPerUnit = scale(length);
    auto choice = std::find_if(steps.begin(), steps.end(), [&](const StepChoice &c) {
        return static_cast<double>(c.step) * pixelsPerUnit >= m_minMajorPixels;
    });
    if (choice == steps.end())
        --choice;
    const double pixels = static_cast<double>(choice->step) * pixelsPerUnit;
    short parts = 1;
    for (short candidate : choice->parts) {
        if (candidate > 1 && pixels / candidate >= MinorSpacingPixels) {
            parts = candidate;
            break;
        }
    }
    return {static_cast<double>(choice->step), pixels, parts};
}

std::vector<RangeBarTick> RangeBarModel::ticks(int length) const
{
    std::vector<RangeBarTick> result;
    const RangeBarDivision d = division(length);
    if (length <= 0 || d.pixels < 1.0)
        return result;
    for (int k = 0; d.majorOffset(k) <= length; ++k) {
        const double offset = d.majorOffset(k);
        const double value = m_windowStart + k * d.step;
        result.push_back({offset, value, true});
        for (int i = 1; i < d.minorParts; ++i) {
            const double minorOffset = d.minorOffset(k, i);
            if (minorOffset > length)
                break;
            result.push_back({minorOffset, value + i * d.step / d.minorParts, false});
        }
    }
    return result;
}

QString RangeBarModel::formatValue(double value) const
{
    if (!std::isfinite(value))
        return {};
    const std::int32_t whole = toInt32(roundClamped(value));
    if (m_units == RangeBarUnits::Degrees)
        return QString::number(whole) + QChar(0x00B0);
    QString time = GraphTimeText(m_firstDay, whole, TimeText);
    if (whole % MillisecondsPerSecond == 0)
        time.chop(4); // whole seconds read better without ".000"
    return time;
}

RangeBarChanges RangeBarModel::changesSince(const RangeBarModel &before) const
{
    return {before.m_minimum != m_minimum, before.m_maximum != m_maximum,
            before.m_windowStart != m_windowStart, before.m_windowEnd != m_windowEnd};
}

void RangeBarModel::clampWindowIntoRange()
{
    m_windowStart = std::clamp(m_windowStart, m_minimum, m_maximum - 1);
    m_windowEnd = std::clamp(m_windowEnd, m_windowStart + 1, m_maximum);
}

void RangeBarModel::growRangeToWindow()
{
    m_minimum = std::min(m_minimum, m_windowStart);
    m_maximum = std::max(m_maximum, m_windowEnd);
}

void RangeBarModel::placeWindow(std::int64_t start, std::int64_t span)
{
    span = std::clamp<std::int64_t>(span, 1, rangeSpan());
    start = std::clamp<std::int64_t>(start, m_minimum, m_maximum - span);
    m_windowStart = toInt32(start);
    m_windowEnd = toInt32(start + span);
}

std::int64_t RangeBarModel::windowSpan() const
{
    return std::int64_t(m_windowEnd) - m_windowStart;
}

std::int64_t RangeBarModel::rangeSpan() const
{
    return std::int64_t(m_maximum) - m_minimum;
}

std::function<QString(double)> RangeBarLabels(RangeBarUnits units, const QDate &firstDay)
{
    RangeBarModel model;
    model.setUnits(units);
    model.setFirstDay(firstDay);
    return [model](double value) { return model.formatValue(value); };
}
