#include "plot/PointerReadout.h"

#include "companions/TermDataFile.h"
#include "plot/Saturating.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

// The pointer's hot spot lies two pixels inside the point the readout names.
constexpr double PointerShift = 2.0;
constexpr std::int64_t TooltipSquareHalf = 5;

std::int32_t valueAt(double pixels, std::int32_t windowStart, double scale)
{
    return truncated((pixels + PointerShift) / scale + windowStart);
}

bool withinSquare(int previous, int current)
{
    const std::int64_t offset = std::int64_t{current} - previous;
    return offset >= -TooltipSquareHalf && offset < TooltipSquareHalf;
}

} // namespace

std::int32_t PointerTime(int x, std::int32_t timeWindowStart, double timeScale)
{
    return valueAt(x, timeWindowStart, timeScale);
}

std::int32_t PointerTemperature(int y, int height, std::int32_t temperatureWindowStart,
                                double temperatureScale)
{
    return valueAt(double(height) - y, temperatureWindowStart, temperatureScale);
}

QString TemperatureReadoutText(std::int32_t temperature, const QString &curve)
{
    const QString text = QStringLiteral("Температура %1 °\u0421").arg(temperature);
    return curve.isEmpty() ? text : curve + QStringLiteral(": ") + text;
}

QString TimeReadoutText(std::int32_t milliseconds, const QDate &firstDay)
{
    return QStringLiteral("Время ") + GraphTimeText(firstDay, milliseconds, ElapsedTimeText);
}

bool PointerLeavesTooltipSquare(QPoint previous, QPoint current)
{
    if (previous.isNull())
        return false;
    return !withinSquare(previous.x(), current.x()) || !withinSquare(previous.y(), current.y());
}

const v4TermData *ReadingAt(TermDataFile *series, std::int32_t time)
{
    if (series == nullptr || series->count <= 0)
        return nullptr;
    const v4TermData *after = series->GetFirst(time);
    // The walk to after passed the one before it; past the last reading only that one is near.
    const v4TermData *before = after == nullptr           ? series->records + series->count - 1
                               : after != series->records ? after - 1
                                                          : nullptr;
    if (before == nullptr)
        return after;
    if (after == nullptr)
        return before;
    // 64 bits: the distances of two 32-bit times do not overflow.
    const std::int64_t toBefore = std::int64_t{time} - before->time;
    const std::int64_t toAfter = std::int64_t{after->time} - time;
    return toAfter < toBefore ? after : before;
}

QString TooltipText(TermDataFile *series, std::int32_t time, const QDate &firstDay)
{
    const v4TermData *record = series != nullptr ? series->GetFirst(time) : nullptr;
    if (record == nullptr)
        return {};
    const double emissivity = record->emissivity / series->emissivityDivisor();
    return QStringLiteral("Температура=%1, Время=%2, Степень черноты=%3")
        .arg(QString::number(record->temperature), GraphTimeText(firstDay, time, ElapsedTimeText),
             QString::number(emissivity, 'f', 2));
}

std::optional<int> CurveUnderPointer(const std::vector<TermDataFile *> &curves, std::int32_t time,
                                     std::int32_t temperature, std::int32_t tolerance)
{
    std::optional<int> nearest;
    std::int64_t nearestDistance = std::int64_t{tolerance} + 1;
    for (std::size_t i = 0; i < curves.size(); ++i) {
        const v4TermData *reading = ReadingAt(curves[i], time);
        if (reading == nullptr)
            continue;
        const std::int64_t distance = std::abs(std::int64_t{reading->temperature} - temperature);
        if (distance < nearestDistance) {
            nearestDistance = distance;
            nearest = static_cast<int>(i);
        }
    }
    return nearest;
}
