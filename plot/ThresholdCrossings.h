#pragma once

#include "plot/TemperatureThresholds.h"

#include <QString>

#include <cstdint>
#include <optional>

// Where a temperature lies against the thresholds. One equal to a threshold is inside, as the
// time above and below counts it; an unset threshold is never passed.
enum class ThresholdSide
{
    Inside,
    Above,
    Below,
};
ThresholdSide SideOfThresholds(const TemperatureThresholds &thresholds, std::int32_t temperature);

// A reading that left the limits: the side it left them by and the threshold it passed.
struct ThresholdCrossing
{
    ThresholdSide side;
    std::int32_t limit;
    bool operator==(const ThresholdCrossing &) const = default;
};

// Watches the readings of a reception in the order they come, for the alarm of the window and
// of orma-cli alike: a reading outside the limits after one inside, or as the first reading, is
// a crossing; readings that stay outside on the same side raise nothing more, and one inside
// arms the watch again. A reading that jumps from above the upper threshold straight below the
// lower one passed both and left by the other side: a crossing of its own.
class ThresholdWatch
{
public:
    explicit ThresholdWatch(const TemperatureThresholds &thresholds = {}) : m_thresholds(thresholds)
    {}

    // New thresholds, or a new reception: the next reading counts as a first one.
    void restart(const TemperatureThresholds &thresholds);
    const TemperatureThresholds &thresholds() const { return m_thresholds; }

    // The crossing this reading makes, if it makes one.
    std::optional<ThresholdCrossing> take(std::int32_t temperature);

private:
    TemperatureThresholds m_thresholds;
    ThresholdSide m_last = ThresholdSide::Inside;
};

// The crossing in the program's words, as the graph's status line and the desktop's
// notification show it: "09:12:37.410: 812 °C, выше 800 °C".
QString CrossingText(const ThresholdCrossing &crossing, std::int32_t time,
                     std::int32_t temperature);
