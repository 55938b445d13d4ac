#include "acquisition/LiveReadings.h"

#include <QTime>

#include <cstdlib>

namespace {

// Thousandths as a decimal with at least two places: 950 is "0.95", 955 "0.955", 1000 "1.00".
QByteArray emissivityText(std::int16_t thousandths)
{
    const int value = thousandths;
    QByteArray text = value < 0 ? QByteArrayLiteral("-") : QByteArray();
    const int magnitude = std::abs(value);
    text += QByteArray::number(magnitude / 1000) + '.';
    QByteArray fraction = QByteArray::number(magnitude % 1000).rightJustified(3, '0');
    if (fraction.endsWith('0'))
        fraction.chop(1);
    return text + fraction;
}

// A tag value of the line protocol: commas, equal signs and spaces are escaped.
QByteArray tagValue(const QString &text)
{
    QByteArray escaped;
    for (const char c : text.toUtf8()) {
        if (c == ',' || c == '=' || c == ' ' || c == '\\')
            escaped += '\\';
        escaped += c;
    }
    return escaped;
}

// "2024-12-08T12:26:40.120+03:00": ISO 8601 with the offset of the instant's zone.
QByteArray isoTime(const QDateTime &instant)
{
    const int offset = instant.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    const QString text = instant.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")) +
                         (offset < 0 ? QLatin1Char('-') : QLatin1Char('+')) +
                         QStringLiteral("%1:%2")
                             .arg(minutes / 60, 2, 10, QLatin1Char('0'))
                             .arg(minutes % 60, 2, 10, QLatin1Char('0'));
    return text.toLatin1();
}

} // namespace

ReadingInstants ReadingInstants::fromHostClock(const QTimeZone &zone)
{
    return ReadingInstants(zone, QDate());
}

ReadingInstants ReadingInstants::fromFirstDay(const QDate &firstDay, const QTimeZone &zone)
{
    return ReadingInstants(zone, firstDay);
}

QDateTime ReadingInstants::onDay(const QDate &day, std::int32_t timeOfDay) const
{
    // The instrument shows the wall clock: on a day the clocks change, 03:30 is 03:30 there.
    const QTime time = QTime::fromMSecsSinceStartOfDay(timeOfDay);
    // A time past the day's end that a line may hold runs on into the next days.
    return time.isValid() ? QDateTime(day, time, m_zone)
                          : QDateTime(day, QTime(0, 0), m_zone).addMSecs(timeOfDay);
}

QDateTime ReadingInstants::instantOf(std::int32_t timeOfDay, const QDateTime &received)
{
    if (m_day.isValid()) {
        if (m_lastTime >= 0 && timeOfDay < m_lastTime)
            m_day = m_day.addDays(1);
        m_lastTime = timeOfDay;
        return onDay(m_day, timeOfDay);
    }
    const QDate today = received.toTimeZone(m_zone).date();
    QDateTime nearest;
    std::int64_t nearestDistance = 0;
    for (const int days : {0, -1, 1}) {
        const QDateTime candidate = onDay(today.addDays(days), timeOfDay);
        const std::int64_t distance = std::llabs(candidate.msecsTo(received));
        if (!nearest.isValid() || distance < nearestDistance) {
            nearest = candidate;
            nearestDistance = distance;
        }
    }
    return nearest;
}

QString PortPublishedName(const QString &port)
{
    QString name = port;
    while (name.endsWith(QLatin1Char('/')))
        name.chop(1);
    name = name.mid(name.lastIndexOf(QLatin1Char('/')) + 1);
    for (QChar &c : name)
        if (c == QLatin1Char('+') || c == QLatin1Char('#') || c.unicode() < 0x20 ||
            c.unicode() == 0x7f)
            c = QLatin1Char('_');
    return name.isEmpty() ? QStringLiteral("_") : name;
}

QByteArray ReadingModeCode(const DeviceReading &reading)
{
    if (reading.mode < 0 || reading.mode >= MeasureModeCount)
        return {};
    return MeasureModes[reading.mode].code;
}

QByteArray InfluxLine(const QString &portName, const DeviceReading &reading,
                      const QDateTime &instant)
{
    QByteArray line = QByteArrayLiteral("pyrometer,port=") + tagValue(portName);
    const QByteArray mode = ReadingModeCode(reading);
    if (!mode.isEmpty())
        line += ",mode=" + mode;
    line += " temperature=" + QByteArray::number(reading.temperature) +
            "i,emissivity=" + emissivityText(reading.emissivity);
    if (reading.number != 0)
        line += ",number=" + QByteArray::number(reading.number) + 'i';
    line += ' ' + QByteArray::number(instant.toMSecsSinceEpoch() * 1000000);
    return line;
}

QByteArray ReadingJson(const DeviceReading &reading, const QDateTime &instant)
{
    const QByteArray mode = ReadingModeCode(reading);
    return "{\"time\":\"" + isoTime(instant) +
           "\",\"temperature\":" + QByteArray::number(reading.temperature) +
           ",\"emissivity\":" + emissivityText(reading.emissivity) +
           ",\"mode\":" + (mode.isEmpty() ? QByteArrayLiteral("null") : '"' + mode + '"') +
           ",\"number\":" + QByteArray::number(reading.number) + '}';
}
