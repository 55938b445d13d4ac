#include "plot/ThresholdCrossings.h"

#include "companions/FormatOutTime.h"

ThresholdSide SideOfThresholds(const TemperatureThresholds &thresholds, std::int32_t temperature)
{
    if (thresholds.upper && temperature > *thresholds.upper)
        return ThresholdSide::Above;
    if (thresholds.lower && temperature < *thresholds.lower)
        return ThresholdSide::Below;
    return ThresholdSide::Inside;
}

void ThresholdWatch::restart(const TemperatureThresholds &thresholds)
{
    m_thresholds = thresholds;
    m_last = ThresholdSide::Inside;
}

std::optional<ThresholdCrossing> ThresholdWatch::take(std::int32_t temperature)
{
    const ThresholdSide side = SideOfThresholds(m_thresholds, temperature);
    const ThresholdSide before = m_last;
    m_last = side;
    if (side == ThresholdSide::Inside || side == before)
        return std::nullopt;
    return ThresholdCrossing{side, side == ThresholdSide::Above ? *m_thresholds.upper
                                                                : *m_thresholds.lower};
}

QString CrossingText(const ThresholdCrossing &crossing, std::int32_t time, std::int32_t temperature)
{
    return QStringLiteral("%1: %2 °C, %3 %4 °C")
        .arg(TimeText(time))
        .arg(temperature)
        .arg(crossing.side == ThresholdSide::Above ? QStringLiteral("выше")
                                                   : QStringLiteral("ниже"))
        .arg(crossing.limit);
}
