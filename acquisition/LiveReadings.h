#pragma once

#include "acquisition/DeviceParser.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTimeZone>

#include <cstdint>

// The forms a reading takes on its way out of a running download, beside its data file: a
// line of InfluxDB's line protocol and a small JSON object for a broker. Both need the full
// instant of a reading, which the instrument does not send: its lines hold times of day only.

// Turns a reception's times of day into instants in zone.
class ReadingInstants
{
public:
    // A continuous reception: a reading is taken on the day that puts it nearest to the
    // host's clock when it came, so a reading of 23:59:59.9 that arrives just after midnight
    // keeps the day before, and an instrument's clock a little ahead or behind moves no day.
    static ReadingInstants fromHostClock(const QTimeZone &zone = QTimeZone::systemTimeZone());
    // A memory download, whose records were taken long before: the first on firstDay, and
    // each record whose time of day lies before the one of the record before it on the next
    // day, as the memory runs forward in time.
    static ReadingInstants fromFirstDay(const QDate &firstDay,
                                        const QTimeZone &zone = QTimeZone::systemTimeZone());

    // The instant of a reading at timeOfDay (milliseconds since midnight) that came at
    // received (only a continuous reception looks at it).
    QDateTime instantOf(std::int32_t timeOfDay, const QDateTime &received);

private:
    ReadingInstants(const QTimeZone &zone, const QDate &firstDay) : m_zone(zone), m_day(firstDay) {}

    QDateTime onDay(const QDate &day, std::int32_t timeOfDay) const;

    QTimeZone m_zone;
    // Invalid for a continuous reception; else the day of the last reading.
    QDate m_day;
    std::int32_t m_lastTime = -1;
};

// The name a port is published under: the last part of its path as given (the name of a
// /dev/serial/by-id link stays with the adapter when /dev/ttyUSBn changes), with the
// characters a topic level cannot carry ('+', '#', control characters) made '_'.
QString PortPublishedName(const QString &port);

// The code of the measuring mode of a reading ("AVR"); empty when the line named none.
QByteArray ReadingModeCode(const DeviceReading &reading);

// One line of InfluxDB's line protocol, without its line feed:
//   pyrometer,port=NAME,mode=AVR temperature=812i,emissivity=0.95[,number=12i] NANOSECONDS
// The mode tag is left out for a line without a mode, the number field for a timed line.
QByteArray InfluxLine(const QString &portName, const DeviceReading &reading,
                      const QDateTime &instant);

// The reading as one line of JSON:
//   {"time":"2024-12-08T12:26:40.120+03:00","temperature":812,"emissivity":0.95,
//    "mode":"AVR","number":12}
// mode is null for a line without a mode; number is 0 for a timed line.
QByteArray ReadingJson(const DeviceReading &reading, const QDateTime &instant);
