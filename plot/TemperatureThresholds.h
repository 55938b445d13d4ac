#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// Temperatures the user marks across the plot and takes the time above and below of; either
// may be unset. Whole degrees within a reading's 16 bits, as the readings are.
struct TemperatureThresholds
{
    std::optional<std::int32_t> upper;
    std::optional<std::int32_t> lower;
    bool operator==(const TemperatureThresholds &) const = default;
};

// What keeps typed thresholds from being taken.
enum class ThresholdsFault
{
    None,
    UpperUnreadable, // neither empty nor a whole number of degrees a reading can have
    LowerUnreadable,
    UpperNotAboveLower,
};

// Reads the thresholds a user gives, the graph window's dialog and orma-cli alike: each text
// empty for none or a whole number of degrees (ReadWholeNumber), the upper above the lower when
// both are set. thresholds is set only when the fault is None.
ThresholdsFault ReadThresholds(const QString &upper, const QString &lower,
                               TemperatureThresholds &thresholds);

// The fault in the program's words: "Верхний порог должен быть выше нижнего."
QString ThresholdsFaultText(ThresholdsFault fault);
