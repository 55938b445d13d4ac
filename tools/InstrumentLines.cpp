#include "tools/InstrumentLines.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>

namespace instrument {

namespace {

constexpr const char *modeCodes[] = {"TRC", "AVR", "MAX", "MIN", "DIF"};
constexpr int modeCount = static_cast<int>(std::size(modeCodes));

// The emissivities an operator switches between, most often the default 0.950.
constexpr int emissivities[] = {950, 900, 950, 850, 950, 800, 900};
constexpr int emissivityCount = static_cast<int>(std::size(emissivities));

// A small generator of our own rather than <random>'s distributions, whose results differ
// between standard libraries: the same memory must give the same bytes everywhere.
class Xorshift
{
public:
    explicit Xorshift(std::uint32_t seed) : m_state(seed) {}
    // 0 to bound - 1.
    int below(int bound)
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return static_cast<int>(m_state % static_cast<std::uint32_t>(bound));
    }

private:
    std::uint32_t m_state;
};

// The furnace charge at `phase` (0 at the first record, 1 at the last): heated from room
// temperature to 860 °C, held there, then left to cool. Both ramps start and end gently, so
// neighbouring records differ by some tens of degrees at most.
double chargeTemperature(double phase)
{
    constexpr double room = 20.0, hold = 860.0, cooled = 120.0;
    constexpr double heatEnd = 0.45, coolStart = 0.6;
    if (phase < heatEnd) {
        const double x = phase / heatEnd;
        return room + (hold - room) * x * x * (3.0 - 2.0 * x);
    }
    if (phase < coolStart)
        return hold;
    const double x = (phase - coolStart) / (1.0 - coolStart);
    return cooled + (hold - cooled) * std::exp(-3.0 * std::pow(x, 1.5));
}

std::string formatted(const char *format, auto... values)
{
    char text[64];
    const int n = std::snprintf(text, sizeof text, format, values...);
    if (n < 0)
        return {};
    return std::string(text, std::min(static_cast<std::size_t>(n), sizeof text - 1));
}

} // namespace

const char *recordModeCode(RecordMode mode)
{
    const int index = static_cast<int>(mode);
    return index >= 0 && index < modeCount ? modeCodes[index] : modeCodes[0];
}

std::string formatTime(int hundredths)
{
    int t = hundredths % dayHundredths;
    if (t < 0)
        t += dayHundredths;
    return formatted("%02d:%02d:%02d:%02d", t / 360000, t / 6000 % 60, t / 100 % 60, t % 100);
}

std::string formatNumberedLine(const Record &record)
{
    const int number = std::clamp(record.number, 0, maxRecordNumber);
    const int emissivity = std::clamp(record.emissivity, 0, 9999);
    const int temperature = std::clamp(record.temperature, -999, 9999);
    return formatted("%4d ", number) + formatTime(record.time) +
           formatted(" E=%d.%03d T=%4d %s\r\n", emissivity / 1000, emissivity % 1000, temperature,
                     recordModeCode(record.mode));
}

std::string formatTimedLine(int time, int emissivity, int temperature)
{
    // Half a hundredth rounds up: 0.955 is sent as 0.96.
    const int hundredths = std::clamp((std::max(emissivity, 0) + 5) / 10, 0, 999);
    return formatTime(time) + formatted(" E=%d.%02d T=%4d\r\n", hundredths / 100, hundredths % 100,
                                        std::clamp(temperature, 0, 9999));
}

std::vector<Record> generateMemory(int count)
{
    count = std::clamp(count, 0, maxRecordNumber);
    std::vector<Record> records;
    records.reserve(static_cast<std::size_t>(count));

    Xorshift random(0x2545f491u);
    int time = (9 * 3600 + 12 * 60 + 37) * 100 + 41;
    int emissivityIndex = 0;
    int mode = 0;
    for (int i = 0; i < count; ++i) {
        const double phase = count > 1 ? static_cast<double>(i) / (count - 1) : 0.0;
        // A slow ripple of the furnace plus a degree or two of measuring noise.
        const double ripple = 4.0 * std::sin(0.35 * i) + (random.below(5) - 2);
        Record record;
        record.number = i + 1;
        record.time = time;
        record.emissivity = emissivities[emissivityIndex];
        record.temperature = static_cast<int>(std::lround(chargeTemperature(phase) + ripple));
        record.mode = static_cast<RecordMode>(mode);
        records.push_back(record);

        time = (time + 100 + random.below(31)) % dayHundredths;
        if (random.below(20) == 0)
            emissivityIndex = (emissivityIndex + 1) % emissivityCount;
        if (random.below(12) == 0)
            mode = (mode + 1 + random.below(modeCount - 1)) % modeCount;
    }
    return records;
}

std::string formatDownload(const std::vector<Record> &records)
{
    std::string download;
    download.reserve(records.size() * numberedLineLength);
    for (const Record &record : records)
        download += formatNumberedLine(record);
    return download;
}

int collectionTemperature(double seconds)
{
    constexpr double tau = 2.0 * std::numbers::pi;
    // Starts near 250 °C, peaks at 850 °C a minute later and comes back every two minutes.
    const double cycle = 550.0 - 300.0 * std::cos(tau * seconds / 120.0);
    const double ripple = 6.0 * std::sin(tau * seconds / 7.0);
    return static_cast<int>(std::lround(cycle + ripple));
}

} // namespace instrument
