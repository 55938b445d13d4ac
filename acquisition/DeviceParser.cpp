#include "acquisition/DeviceParser.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

// The line text up to its length L: the first zero byte, or `available` bytes. L is found
// lazily, only as far as the scans look, so a line near the start of a large buffer costs no
// more than one near its end.
class LineText
{
public:
    LineText(const char *text, std::size_t available) : m_text(text), m_available(available) {}

    // True when pos < L.
    bool has(std::size_t pos)
    {
        while (m_checked <= pos) {
            if (m_checked >= m_available || m_text[m_checked] == '\0')
                return false;
            ++m_checked;
        }
        return true;
    }

    // The byte at pos, or zero at and beyond L.
    char at(std::size_t pos) { return has(pos) ? m_text[pos] : '\0'; }

private:
    const char *m_text;
    std::size_t m_available;
    std::size_t m_checked = 0; // the bytes before this index are known to be below L
};

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The standard decimal conversion of a zero-terminated text: leading blanks skipped, an
// optional sign, digits up to the first non-digit. Values beyond 32 bits saturate.
std::int32_t toInt(const char *text)
{
    while (isBlank(*text))
        ++text;
    const bool negative = *text == '-';
    if (*text == '-' || *text == '+')
        ++text;
    constexpr std::int64_t limit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = value * 10 + (*text - '0');
        if (value > limit)
            value = limit;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<std::int32_t>::max())
        value = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(value);
}

// The low 16 bits of v truncated toward zero; 0 for a value that is not finite.
std::int16_t truncateTo16Bits(double v)
{
    if (!std::isfinite(v))
        return 0;
    const double low = std::fmod(std::trunc(v), 65536.0); // exact, within (-65536, 65536)
    return static_cast<std::int16_t>(static_cast<std::int32_t>(low));
}

// Copies the characters at cursor and cursor + 1, advances the cursor by 2 and converts.
std::int32_t twoCharField(LineText &text, std::size_t &cursor)
{
    const char field[3] = {text.at(cursor), text.at(cursor + 1), '\0'};
    cursor += 2;
    return toInt(field);
}

// HH:MM:SS:CC from the cursor. Leaves the cursor on the space after the hundredths (or at L).
std::int32_t parseTime(LineText &text, std::size_t &cursor)
{
    std::int32_t parts[3];
    for (std::int32_t &part : parts) {
        part = twoCharField(text, cursor);
        while (text.has(cursor) && text.at(cursor) != ':')
            ++cursor;
        ++cursor;
    }
    const std::int32_t hundredths = twoCharField(text, cursor);
    while (text.has(cursor) && text.at(cursor) != ' ')
        ++cursor;
    return 10 * (hundredths + 100 * (parts[2] + 60 * (parts[1] + 60 * parts[0])));
}

// "E=" and the emissivity, from the space before the label. Every character other than a space,
// '.' and ',' counts as a digit worth its code (0-255) minus that of '0'. Leaves the cursor on
// the space after the value, after the twentieth fraction digit, or at L.
std::int16_t parseEmissivity(LineText &text, std::size_t &cursor)
{
    constexpr int maxFractionDigits = 20;
    cursor += 3;
    double whole = 0;
    double fraction = 0;
    double scale = 1; // 10 to the number of fraction digits, exact up to 10^22
    int fractionDigits = 0;
    bool taken = false;
    bool inFraction = false;
    for (; text.has(cursor) && fractionDigits < maxFractionDigits; ++cursor) {
        const char c = text.at(cursor);
        if (c == ' ') {
            if (taken)
                break;
            continue;
        }
        taken = true;
        const int digit = static_cast<unsigned char>(c) - '0';
        if (c == '.' || c == ',') {
            inFraction = true;
        } else if (inFraction) {
            fraction = fraction * 10 + digit;
            scale *= 10;
            ++fractionDigits;
        } else {
            whole = whole * 10 + digit;
        }
    }
    return truncateTo16Bits((whole * scale + fraction) / scale * 1000);
}

} // namespace

const char *MeasureModeName(int index)
{
    return index >= 0 && index < MeasureModeCount ? MeasureModes[index].name : "";
}

int MeasureModeFromName(std::string_view name)
{
    for (int i = 0; i < MeasureModeCount; ++i)
        if (name == MeasureModes[i].name)
            return i;
    return -1;
}

bool ParseDeviceLine(const char *line, std::size_t available, PollMode mode, DeviceReading &reading)
{
    switch (mode) {
    case PollMode::Continuous:
        return ParseTimedLine(line, available, reading);
    case PollMode::FromMemory:
        if (line != nullptr) {
            LineText text(line, available);
            if (text.at(2) == ':' && text.at(5) == ':' && text.at(8) == ':')
                return ParseTimedLine(line, available, reading);
        }
        return ParseNumberedLine(line, available, reading);
    }
    return false;
}

bool ParseNumberedLine(const char *line, std::size_t available, DeviceReading &reading)
{
    constexpr std::size_t minLength = 35;
    constexpr std::size_t fieldSize = 20;
    if (line == nullptr)
        return false;
    LineText text(line, available);
    if (!text.has(minLength - 1))
        return false;

    // The number: the text up to the first space after a non-space, within the first 20 bytes.
    char numberText[fieldSize + 1] = {};
    std::size_t cursor = 0;
    for (bool started = false; cursor < fieldSize && text.has(cursor); ++cursor) {
        const char c = text.at(cursor);
        if (c == ' ' && started)
            break;
        started = started || c != ' ';
        numberText[cursor] = c;
    }
    reading.number = static_cast<std::int16_t>(toInt(numberText));
    ++cursor;

    reading.time = parseTime(text, cursor);
    reading.emissivity = parseEmissivity(text, cursor);

    // "T=" and the temperature: up to 20 non-space characters, sign included.
    cursor += 3;
    char temperatureText[fieldSize + 1] = {};
    for (std::size_t taken = 0; taken < fieldSize && text.has(cursor); ++cursor) {
        const char c = text.at(cursor);
        if (c != ' ')
            temperatureText[taken++] = c;
        else if (taken > 0)
            break;
    }
    reading.temperature = toInt(temperatureText);

    // The mode code: the three characters after the space the cursor stands on, ending early
    // at a line end or at L.
    char code[4] = {};
    for (std::size_t i = 0; i < 3; ++i) {
        const char c = text.at(cursor + 1 + i);
        if (c == '\r' || c == '\n' || c == '\0')
            break;
        code[i] = c;
    }
    reading.mode = NoMeasureMode;
    for (int i = 0; i < MeasureModeCount; ++i) {
        if (std::strcmp(code, MeasureModes[i].code) == 0) {
            reading.mode = static_cast<std::int8_t>(i);
            break;
        }
    }
    return true;
}

bool ParseTimedLine(const char *line, std::size_t available, DeviceReading &reading)
{
    constexpr std::size_t minLength = 24;
    constexpr std::size_t temperatureEnd = 26; // an absolute position, not relative to L
    constexpr int maxDigits = 20;
    constexpr std::int8_t collectingMode = 5; // "SB"
    if (line == nullptr)
        return false;
    LineText text(line, available);
    if (!text.has(minLength - 1) || text.at(2) != ':' || text.at(5) != ':' || text.at(8) != ':' ||
        text.at(12) != 'E' || (text.at(19) != 'T' && text.at(20) != 'T'))
        return false;
    const bool wideEmissivity = text.at(20) == 'T';

    reading = DeviceReading{};
    std::size_t cursor = 0;
    reading.time = parseTime(text, cursor);
    reading.emissivity = parseEmissivity(text, cursor);

    // The temperature: the digits before position 26; everything else is skipped.
    cursor += wideEmissivity ? 3 : 2;
    std::int64_t value = 0;
    for (int digits = 0; cursor < temperatureEnd && text.has(cursor); ++cursor) {
        const char c = text.at(cursor);
        if (c == ' ' && digits > 0)
            break;
        if (c >= '0' && c <= '9' && digits < maxDigits) {
            value = std::min<std::int64_t>(value * 10 + (c - '0'),
                                           std::numeric_limits<std::int32_t>::max());
            ++digits;
        }
    }
    reading.temperature = static_cast<std::int32_t>(value);
    reading.mode = collectingMode;
    return true;
}
