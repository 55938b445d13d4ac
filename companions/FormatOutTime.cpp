#include "companions/FormatOutTime.h"

#include <cstdio>

TimeParts SplitTime(std::int32_t milliseconds)
{
    // The magnitude in unsigned arithmetic, so that the most negative value has one too.
    const auto bits = static_cast<std::uint32_t>(milliseconds);
    const std::uint32_t magnitude = milliseconds < 0 ? 0u - bits : bits;
    return {milliseconds < 0, static_cast<std::uint32_t>(magnitude / MillisecondsPerHour),
            static_cast<std::uint32_t>(magnitude / MillisecondsPerMinute % 60),
            static_cast<std::uint32_t>(magnitude / MillisecondsPerSecond % 60),
            static_cast<std::uint32_t>(magnitude % MillisecondsPerSecond)};
}

char *FormatOutTime(std::int32_t milliseconds, char *buffer)
{
    if (buffer == nullptr)
        return nullptr;
    const TimeParts t = SplitTime(milliseconds);
    std::snprintf(buffer, FormatOutTimeBufferSize, "%s%02u:%02u:%02u.%03u", t.negative ? "-" : "",
                  t.hours, t.minutes, t.seconds, t.milliseconds);
    return buffer;
}

QString TimeText(std::int32_t milliseconds)
{
    char buffer[FormatOutTimeBufferSize];
    return QString::fromLatin1(FormatOutTime(milliseconds, buffer));
}

QString ClockText(std::int32_t milliseconds)
{
    std::int64_t ofTheDay = milliseconds % MillisecondsPerDay;
    if (ofTheDay < 0)
        ofTheDay += MillisecondsPerDay;
    const TimeParts t = SplitTime(static_cast<std::int32_t>(ofTheDay));
    return QString::asprintf("%u:%u:%u.%03u", t.hours, t.minutes, t.seconds, t.milliseconds);
}

QString ElapsedTimeText(std::int32_t milliseconds)
{
    const TimeParts t = SplitTime(milliseconds);
    QString text = t.negative ? QStringLiteral("-") : QString();
    if (t.hours != 0)
        text += QString::number(t.hours) + u':';
    if (t.minutes != 0 || t.hours != 0)
        text += QString::number(t.minutes) + u':';
    return text + QString::asprintf("%02u.%03u", t.seconds, t.milliseconds);
}
