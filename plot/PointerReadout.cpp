#include "plot/PointerReadout.h"

#include "companions/TermDataFile.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// The pointer's hot spot lies two pixels inside the point the readout names.
constexpr double PointerShift = 2.0;
constexpr std::int64_t TooltipSquareHalf = 5;

// Truncation toward zero that saturates instead of overflowing; NaN gives 0.
std::int32_t truncatedToInt32(double value)
{
    if (std::isnan(value))
        return 0;
    constexpr double low = std::numeric_limits<std::int32_t>::min();
    constexpr double high = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::clamp(value, low, high));
}

std::int32_t valueAt(double pixels, std::int32_t windowStart, double scale)
{
    return truncatedToInt32((pixels + PointerShift) / scale + windowStart);
}

bool withinSquare(int previous, int current)
{
    const std::int64_t offset = std::int64_t{current} - previous;
    return offset >= -TooltipSquareHalf && offset < TooltipSquareHalf;
}

double emissivityDivisor(std::uint8_t scaleFlags)
{
    return (scaleFlags & TermDataFile::ThousandthsFlag) != 0 ? 1000.0 : 100.0;
}

} // namespace

QString ElapsedTimeText(std::int32_t milliseconds)
{
    // The magnitude in unsigned arithmetic, so that the most negative value has one too.
    const auto bits = static_cast<std::uint32_t>(milliseconds);
    const std::uint32_t magnitude = milliseconds < 0 ? 0u - bits : bits;
    const std::uint32_t fraction = magnitude % 1000;
    const std::uint32_t seconds = magnitude / 1000;
    const std::uint32_t hours = seconds / 3600;
    const std::uint32_t minutes = seconds / 60 - 60 * hours;

    QString text = milliseconds < 0 ? QStringLiteral("-") : QString();
    if (hours != 0)
        text += QString::number(hours) + u':';
    if (minutes != 0 || hours != 0)
        text += QString::number(minutes) + u':';
    return text + QString::asprintf("%02u.%03u", seconds % 60, fraction);
}

std::int32_t PointerTime(int x, std::int32_t timeWindowStart, double timeScale)
{
    return valueAt(x, timeWindowStart, timeScale);
}

std::int32_t PointerTemperature(int y, int height, std::int32_t temperatureWindowStart,
                                double temperatureScale)
{
    return valueAt(double(height) - y, temperatureWindowStart, temperatureScale);
}

QString TemperatureReadoutText(std::int32_t temperature)
{
    return QStringLiteral("Температура %1 °\u0421").arg(temperature);
}

QString TimeReadoutText(std::int32_t milliseconds)
{
    return QStringLiteral("Время ") + ElapsedTimeText(milliseconds);
}

bool PointerLeavesTooltipSquare(QPoint previous, QPoint current)
{
    if (previous.isNull())
        return false;
    return !withinSquare(previous.x(), current.x()) || !withinSquare(previous.y(), current.y());
}

QString TooltipText(TermDataFile *series, std::int32_t time)
{
    if (series == nullptr)
        return {};
    const v4TermData *record = series->GetFirst(time);
    if (record == nullptr)
        return {};
    const double emissivity = record->emissivity / emissivityDivisor(series->scaleFlags);
    return QStringLiteral("Температура=%1, Время=%2, Степень черноты=%3")
        .arg(QString::number(record->temperature), ElapsedTimeText(time),
             QString::number(emissivity, 'f', 2));
}
