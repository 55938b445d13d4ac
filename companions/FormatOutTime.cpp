#include "companions/FormatOutTime.h"

#include <QRegularExpression>

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

namespace {

// Writes value in at least width digits, zeros first; returns the end.
char *writeDigits(char *out, std::uint32_t value, int width)
{
    char digits[10];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    for (; width > count; --width)
        *out++ = '0';
    while (count > 0)
        *out++ = digits[--count];
    return out;
}

} // namespace

// Made without a formatted print: a conversion writes it for millions of rows.
char *FormatOutTime(std::int32_t milliseconds, char *buffer)
{
    if (buffer == nullptr)
        return nullptr;
    const TimeParts t = SplitTime(milliseconds);
    char *out = buffer;
    if (t.negative)
        *out++ = '-';
    out = writeDigits(out, t.hours, 2);
    *out++ = ':';
    out = writeDigits(out, t.minutes, 2);
    *out++ = ':';
    out = writeDigits(out, t.seconds, 2);
    *out++ = '.';
    out = writeDigits(out, t.milliseconds, 3);
    *out = '\0';
    return buffer;
}

QString TimeText(std::int32_t milliseconds)
{
    char buffer[FormatOutTimeBufferSize];
    return QString::fromLatin1(FormatOutTime(milliseconds, buffer));
}

QString DatedTimeText(const QDate &firstDay, std::int32_t milliseconds, const QString &dayFormat)
{
    std::int64_t days = milliseconds / MillisecondsPerDay;
    std::int64_t ofTheDay = milliseconds % MillisecondsPerDay;
    if (ofTheDay < 0) {
        ofTheDay += MillisecondsPerDay;
        --days;
    }
    return firstDay.addDays(days).toString(dayFormat) + u' ' +
           TimeText(static_cast<std::int32_t>(ofTheDay));
}

QString GraphTimeText(const QDate &firstDay, std::int32_t milliseconds,
                      QString (*undated)(std::int32_t))
{
    return firstDay.isValid() ? DatedTimeText(firstDay, milliseconds, GraphDayFormat)
                              : undated(milliseconds);
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

std::optional<std::int32_t> TimeOfDay(const QString &text)
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(^(\d{1,2}):([0-5]\d):([0-5]\d)(?:\.(\d{1,3}))?$)"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch() || match.captured(1).toInt() > 23)
        return std::nullopt;
    const int milliseconds = match.captured(4).leftJustified(3, QLatin1Char('0')).toInt();
    return ((match.captured(1).toInt() * 60 + match.captured(2).toInt()) * 60 +
            match.captured(3).toInt()) *
               1000 +
           milliseconds;
}
