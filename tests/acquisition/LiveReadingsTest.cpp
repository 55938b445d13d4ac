#include "acquisition/LiveReadings.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTimeZone>

#include <gtest/gtest.h>

namespace {

constexpr std::int32_t Hour = 3600 * 1000;

const QTimeZone Moscow(QByteArrayLiteral("Europe/Moscow"));
const QTimeZone Berlin(QByteArrayLiteral("Europe/Berlin"));

QDateTime at(const QDate &day, int hours, int minutes, int seconds, int ms, const QTimeZone &zone)
{
    return QDateTime(day, QTime(hours, minutes, seconds, ms), zone);
}

// InfluxDB's line protocol: measurement, tags, fields, timestamp; an unescaped comma, space
// or equal sign inside a key or a tag value would split the line elsewhere.
const QRegularExpression LineProtocol(QStringLiteral(
    R"(^(?<measurement>(?:[^,\s\\]|\\.)+)(?<tags>(?:,(?:[^,=\s\\]|\\.)+=(?:[^,=\s\\]|\\.)+)*))"
    R"( (?<fields>(?:[^,=\s\\]|\\.)+=(?:-?\d+i|-?\d+(?:\.\d+)?|"(?:[^"\\]|\\.)*"|true|false))"
    R"((?:,(?:[^,=\s\\]|\\.)+=(?:-?\d+i|-?\d+(?:\.\d+)?|"(?:[^"\\]|\\.)*"|true|false))*))"
    R"( (?<time>-?\d{1,19})$)"));

DeviceReading numbered(std::int16_t number, std::int32_t time, std::int32_t temperature,
                       std::int16_t emissivity, std::int8_t mode)
{
    return DeviceReading{number, time, temperature, emissivity, mode};
}

} // namespace

TEST(ReadingInstants, ContinuousReadingsTakeTheHostsDayAcrossMidnight)
{
    ReadingInstants instants = ReadingInstants::fromHostClock(Moscow);
    const QDate day(2026, 12, 8);
    // The last reading of the day arrives after midnight; the instrument's clock runs a little
    // behind or ahead of the host's on either side.
    EXPECT_EQ(
        instants.instantOf(23 * Hour + 59 * 60000 + 59900, at(day.addDays(1), 0, 0, 0, 40, Moscow)),
        at(day, 23, 59, 59, 900, Moscow));
    EXPECT_EQ(instants.instantOf(20, at(day.addDays(1), 0, 0, 0, 80, Moscow)),
              at(day.addDays(1), 0, 0, 0, 20, Moscow));
    EXPECT_EQ(instants.instantOf(10, at(day, 23, 59, 58, 0, Moscow)),
              at(day.addDays(1), 0, 0, 0, 10, Moscow));
    EXPECT_EQ(instants.instantOf(12 * Hour, at(day, 12, 0, 3, 0, Moscow)),
              at(day, 12, 0, 0, 0, Moscow));
}

TEST(ReadingInstants, AMemoryRunsForwardFromItsFirstDay)
{
    const QDate first(2026, 3, 28);
    ReadingInstants instants = ReadingInstants::fromFirstDay(first, Berlin);
    const QDateTime ignored = at(QDate(2030, 1, 1), 5, 0, 0, 0, Berlin);
    EXPECT_EQ(instants.instantOf(22 * Hour, ignored), at(first, 22, 0, 0, 0, Berlin));
    // The same time again is the same day; a time before the last one is the next day.
    EXPECT_EQ(instants.instantOf(22 * Hour, ignored), at(first, 22, 0, 0, 0, Berlin));
    // 2026-03-29 is the day Berlin's clocks go forward at 02:00: 03:30 on the wall is 01:30
    // in UTC, not 02:30 as on another day.
    const QDateTime afterChange = instants.instantOf(3 * Hour + 30 * 60000, ignored);
    EXPECT_EQ(afterChange.date(), first.addDays(1));
    EXPECT_EQ(afterChange.toUTC(), QDateTime(first.addDays(1), QTime(1, 30), QTimeZone::utc()));
    EXPECT_EQ(instants.instantOf(Hour, ignored).date(), first.addDays(2));
}

TEST(LiveReadingForms, LineProtocolFollowsTheGrammar)
{
    const QDateTime instant(QDate(2024, 12, 8), QTime(9, 26, 40, 120), QTimeZone::utc());
    const QByteArray line = InfluxLine(QStringLiteral("usb-FTDI_FT232R_A1B2C3-if00-port0"),
                                       numbered(12, 0, 812, 950, 1), instant);
    EXPECT_EQ(line, QByteArray("pyrometer,port=usb-FTDI_FT232R_A1B2C3-if00-port0,mode=AVR "
                               "temperature=812i,emissivity=0.95,number=12i "
                               "1733650000120000000"));
    struct Case
    {
        QString port;
        DeviceReading reading;
        const char *why;
    };
    const Case cases[] = {
        {QStringLiteral("ttyUSB0"), numbered(0, 0, -40, 1000, 5), "a timed line: no number"},
        {QStringLiteral("a b,c=d\\e"), numbered(1, 0, 0, 5, 0), "a port that needs escapes"},
        {QStringLiteral("x"), numbered(9999, 0, 9999, 955, NoMeasureMode), "no mode: no tag"},
    };
    for (const Case &c : cases) {
        const QByteArray text = InfluxLine(c.port, c.reading, instant);
        const QRegularExpressionMatch match = LineProtocol.match(QString::fromUtf8(text));
        ASSERT_TRUE(match.hasMatch()) << c.why << ": " << text.constData();
        EXPECT_EQ(match.captured(u"measurement"), QStringLiteral("pyrometer")) << c.why;
        EXPECT_EQ(match.captured(u"time"), QStringLiteral("1733650000120000000")) << c.why;
        EXPECT_EQ(match.captured(u"fields").contains(QStringLiteral("number=")),
                  c.reading.number != 0)
            << c.why;
        EXPECT_EQ(match.captured(u"tags").contains(QStringLiteral("mode=")),
                  c.reading.mode != NoMeasureMode)
            << c.why;
    }
    EXPECT_TRUE(InfluxLine(QStringLiteral("t"), numbered(0, 0, -40, 1000, 5), instant)
                    .contains(" temperature=-40i,emissivity=1.00 "));
    EXPECT_TRUE(InfluxLine(QStringLiteral("t"), numbered(0, 0, 1, 5, 5), instant)
                    .contains(",emissivity=0.005 "));
}

TEST(LiveReadingForms, JsonHoldsTheInstantWithItsOffset)
{
    const QDateTime instant(QDate(2024, 12, 8), QTime(12, 26, 40, 120), Moscow);
    const QByteArray json = ReadingJson(numbered(12, 0, 812, 950, 1), instant);
    EXPECT_EQ(json, QByteArray(R"({"time":"2024-12-08T12:26:40.120+03:00","temperature":812,)"
                               R"("emissivity":0.95,"mode":"AVR","number":12})"));
    QJsonParseError error{};
    const QJsonObject object =
        QJsonDocument::fromJson(ReadingJson(numbered(0, 0, 5, 1000, NoMeasureMode), instant),
                                &error)
            .object();
    ASSERT_EQ(error.error, QJsonParseError::NoError);
    EXPECT_TRUE(object.value(u"mode").isNull());
    EXPECT_EQ(object.value(u"emissivity").toDouble(), 1.0);
    const QDateTime west(QDate(2024, 12, 8), QTime(1, 2, 3, 4), QTimeZone(-(3 * 3600 + 1800)));
    EXPECT_TRUE(ReadingJson(numbered(0, 0, 5, 950, 5), west)
                    .startsWith(R"({"time":"2024-12-08T01:02:03.004-03:30")"));
}

TEST(LiveReadingForms, PortNamesAreTheLastPartOfTheirPath)
{
    EXPECT_EQ(PortPublishedName(QStringLiteral("/dev/serial/by-id/usb-FTDI_A1-if00-port0")),
              QStringLiteral("usb-FTDI_A1-if00-port0"));
    EXPECT_EQ(PortPublishedName(QStringLiteral("/dev/ttyUSB3")), QStringLiteral("ttyUSB3"));
    EXPECT_EQ(PortPublishedName(QStringLiteral("/tmp/a+b#c\n/")), QStringLiteral("a_b_c_"));
    EXPECT_EQ(PortPublishedName(QStringLiteral("/")), QStringLiteral("_"));
}
