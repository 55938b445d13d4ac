#include "plot/TemperatureThresholds.h"

#include "companions/ReadDecimal.h"

#include <limits>

namespace {

// Empty text is no threshold; false for text that is not a threshold.
bool readThreshold(const QString &text, std::optional<std::int32_t> &threshold)
{
    if (text.trimmed().isEmpty()) {
        threshold.reset();
        return true;
    }
    threshold = ReadWholeNumber(text, std::numeric_limits<std::int16_t>::min(),
                                std::numeric_limits<std::int16_t>::max());
    return threshold.has_value();
}

} // namespace

ThresholdsFault ReadThresholds(const QString &upper, const QString &lower,
                               TemperatureThresholds &thresholds)
{
    TemperatureThresholds typed;
    if (!readThreshold(upper, typed.upper))
        return ThresholdsFault::UpperUnreadable;
    if (!readThreshold(lower, typed.lower))
        return ThresholdsFault::LowerUnreadable;
    if (typed.upper && typed.lower && *typed.upper <= *typed.lower)
        return ThresholdsFault::UpperNotAboveLower;
    thresholds = typed;
    return ThresholdsFault::None;
}

QString ThresholdsFaultText(ThresholdsFault fault)
{
    switch (fault) {
    case ThresholdsFault::None:
        break;
    case ThresholdsFault::UpperUnreadable:
    case ThresholdsFault::LowerUnreadable:
        return QStringLiteral("Введите целое число градусов или оставьте поле пустым.");
    case ThresholdsFault::UpperNotAboveLower:
        return QStringLiteral("Верхний порог должен быть выше нижнего.");
    }
    return {};
}
