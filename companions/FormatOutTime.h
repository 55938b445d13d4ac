#pragma once

#include <QDate>
#include <QString>

#include <cstdint>
#include <optional>

// Times are 32-bit milliseconds, of the day in a series and the table.
constexpr std::int64_t MillisecondsPerSecond = 1000;
constexpr std::int64_t MillisecondsPerMinute = 60 * MillisecondsPerSecond;
constexpr std::int64_t MillisecondsPerHour = 60 * MillisecondsPerMinute;
constexpr std::int64_t MillisecondsPerDay = 24 * MillisecondsPerHour;

// A time taken apart: its sign and the parts of its magnitude; hours are not wrapped at a day.
struct TimeParts
{
    bool negative;
    std::uint32_t hours;
    std::uint32_t minutes;
    std::uint32_t seconds;
    std::uint32_t milliseconds;
};
TimeParts SplitTime(std::int32_t milliseconds);

// Size of the caller's buffer for FormatOutTime, terminator included.
constexpr int FormatOutTimeBufferSize = 20;

// Writes milliseconds as "[-]HH:MM:SS.mmm" (hours not wrapped at a day, so the widest text
// is "-596:31:23.648") into buffer, which must hold FormatOutTimeBufferSize bytes; at most
// that many are written, terminator included. Returns buffer; null buffer: returns null.
char *FormatOutTime(std::int32_t milliseconds, char *buffer);

// The same text as FormatOutTime: the time of day in the table, the bars and the status line.
QString TimeText(std::int32_t milliseconds);

// A time of a timeline that runs over several days from midnight of firstDay, as the day in
// dayFormat (a QDate format), a space and the time of that day as TimeText gives it.
QString DatedTimeText(const QDate &firstDay, std::int32_t milliseconds, const QString &dayFormat);

// The day of a time the graph shows on a timeline of several days, as a QDate format: "07.12".
inline const QString GraphDayFormat = QStringLiteral("dd.MM");

// A time the graph shows (its time bar, pointer readout, tooltip, marker, statistics and
// printout): on a timeline of several days, whose firstDay is valid, the day in GraphDayFormat
// and the time of that day, "07.12 00:00:30.000"; on a timeline of one day,
// undated(milliseconds).
QString GraphTimeText(const QDate &firstDay, std::int32_t milliseconds,
                      QString (*undated)(std::int32_t));

// A time of the series' day as "h:m:s.mmm", without leading zeros, as the printed graph's
// interval shows it; times outside the day wrap into the next or the previous one.
QString ClockText(std::int32_t milliseconds);

// A length of time as "[-][h:][m:]ss.mmm": hours only when there are any, minutes whenever
// there are minutes or hours. The pointer readout and the tooltip show times so.
QString ElapsedTimeText(std::int32_t milliseconds);

// A time of day "HH:MM:SS" or "HH:MM:SS.mmm" in milliseconds since midnight; none otherwise.
std::optional<std::int32_t> TimeOfDay(const QString &text);
