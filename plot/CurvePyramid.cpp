#include "plot/CurvePyramid.h"

#include "companions/TermDataFile.h"

#include <algorithm>
#include <limits>

namespace {

void widen(CurvePyramid::Extremes &extremes, const CurvePyramid::Extremes &more)
{
    extremes.lowest = std::min(extremes.lowest, more.lowest);
    extremes.highest = std::max(extremes.highest, more.highest);
}

constexpr CurvePyramid::Extremes NoExtremes{std::numeric_limits<std::int32_t>::max(),
                                            std::numeric_limits<std::int32_t>::min()};

} // namespace

void CurvePyramid::reset()
{
    *this = CurvePyramid();
}

void CurvePyramid::follow(const TermDataFile &series, bool gaps)
{
    const v4TermData *records = series.records;
    const bool grown = m_series == &series && series.count >= m_count &&
                       (m_count == 0 || (records[0].time == m_firstTime &&
                                         records[0].temperature == m_firstTemperature &&
                                         records[m_count - 1].time == m_lastTime &&
                                         records[m_count - 1].temperature == m_lastTemperature));
    if (!grown) {
        reset();
        m_series = &series;
    }
    if (series.count > m_count && m_forwardInTime)
        take(m_count);
    if (gaps && m_forwardInTime)
        takeGaps();
}

bool CurvePyramid::covers(const TermDataFile &series, bool gaps) const
{
    return m_series == &series && m_count == series.count && m_forwardInTime &&
           (!gaps || m_gapsTaken == m_count);
}

void CurvePyramid::take(std::int32_t from)
{
    const v4TermData *records = m_series->records;
    const std::int32_t count = m_series->count;
    if (m_levels.empty())
        m_levels.emplace_back();
    std::vector<Extremes> &blocks = m_levels.front();
    blocks.resize((static_cast<std::size_t>(count) + Fanout - 1) / Fanout);
    for (std::int32_t i = from; i < count; ++i) {
        // A curve that goes back in time is drawn by walking it; nothing here would serve.
        if (i > 0 && records[i].time < records[i - 1].time) {
            const TermDataFile *series = m_series;
            reset();
            m_series = series;
            m_forwardInTime = false;
            return;
        }
        const auto unit = static_cast<std::size_t>(i);
        const Extremes reading{records[i].temperature, records[i].temperature};
        Extremes &block = blocks[unit / Fanout];
        if (unit % Fanout == 0)
            block = reading;
        else
            widen(block, reading);
    }
    takeUpperLevels(static_cast<std::size_t>(from) / Fanout);
    m_count = count;
    m_firstTime = records[0].time;
    m_firstTemperature = records[0].temperature;
    m_lastTime = records[count - 1].time;
    m_lastTemperature = records[count - 1].temperature;
}

// The gap rule's walk, as far as the levels reach: the one pass that cannot run faster than
// the rule's arithmetic, so a curve drawn without breaks never waits for it.
void CurvePyramid::takeGaps()
{
    const v4TermData *records = m_series->records;
    for (std::int32_t i = m_gapsTaken; i < m_count; ++i) {
        if (i % CheckpointSpacing == 0)
            m_checkpoints.push_back(m_gaps);
        if (m_gaps.judge(records[i].time) == CurveGapRule::Point::AfterGap)
            m_gapStarts.push_back(i);
    }
    m_gapsTaken = m_count;
}

// Each level above the first from the first block whose units below changed; a level new to
// the pyramid from its first block. Levels are added until one has no more than Fanout blocks.
void CurvePyramid::takeUpperLevels(std::size_t changedBlock)
{
    std::size_t below = m_levels.front().size();
    std::size_t changedBelow = changedBlock;
    for (std::size_t level = 1; below > Fanout; ++level) {
        const bool fresh = level == m_levels.size();
        if (fresh)
            m_levels.emplace_back();
        const std::vector<Extremes> &unitsBelow = m_levels[level - 1];
        std::vector<Extremes> &blocks = m_levels[level];
        const std::size_t firstBlock = fresh ? 0 : changedBelow / Fanout;
        const std::size_t blockCount = (below + Fanout - 1) / Fanout;
        blocks.resize(blockCount);
        for (std::size_t block = firstBlock; block < blockCount; ++block) {
            Extremes extremes = NoExtremes;
            const std::size_t end = std::min(below, (block + 1) * Fanout);
            for (std::size_t unit = block * Fanout; unit < end; ++unit)
                widen(extremes, unitsBelow[unit]);
            blocks[block] = extremes;
        }
        changedBelow = firstBlock;
        below = blockCount;
    }
}

// Whole blocks from the highest level that has them, the parts at either end from the levels
// below: a few hundred units read whatever the length.
CurvePyramid::Extremes CurvePyramid::extremes(std::int32_t first, std::int32_t end) const
{
    const v4TermData *records = m_series->records;
    Extremes extremes = NoExtremes;
    std::size_t low = static_cast<std::size_t>(first);
    std::size_t high = static_cast<std::size_t>(end);
    // Level -1: the records themselves.
    for (std::size_t level = 0; low < high; ++level) {
        const auto widenBy = [&](std::size_t from, std::size_t to) {
            for (std::size_t unit = from; unit < to; ++unit)
                widen(extremes, level == 0
                                    ? Extremes{records[unit].temperature, records[unit].temperature}
                                    : m_levels[level - 1][unit]);
        };
        const bool blocksAbove = level < m_levels.size();
        const std::size_t wholeFrom = blocksAbove ? (low + Fanout - 1) / Fanout * Fanout : high;
        const std::size_t wholeTo = blocksAbove ? high / Fanout * Fanout : high;
        if (wholeFrom >= wholeTo) {
            widenBy(low, high);
            break;
        }
        widenBy(low, wholeFrom);
        widenBy(wholeTo, high);
        low = wholeFrom / Fanout;
        high = wholeTo / Fanout;
    }
    return extremes;
}

std::vector<std::int32_t> CurvePyramid::stretchStarts(std::int32_t first, std::int32_t end) const
{
    const v4TermData *records = m_series->records;
    std::vector<std::int32_t> starts{first};
    // A walk from first judges its first points otherwise than the walk from the series' start,
    // until the two rules agree; then they agree on every later point.
    CurveGapRule fromFirst;
    CurveGapRule fromStart = gapRuleBefore(first);
    std::int32_t agreed = end;
    for (std::int32_t i = first; i < end; ++i) {
        if (fromFirst.judge(records[i].time) != CurveGapRule::Point::Continues && i != first)
            starts.push_back(i);
        fromStart.judge(records[i].time);
        if (fromFirst == fromStart) {
            agreed = i + 1;
            break;
        }
    }
    starts.insert(starts.end(), std::lower_bound(m_gapStarts.begin(), m_gapStarts.end(), agreed),
                  std::lower_bound(m_gapStarts.begin(), m_gapStarts.end(), end));
    return starts;
}

CurveGapRule CurvePyramid::gapRuleBefore(std::int32_t record) const
{
    const std::int32_t checkpoint = record / CheckpointSpacing;
    CurveGapRule rule = m_checkpoints[static_cast<std::size_t>(checkpoint)];
    for (std::int32_t i = checkpoint * CheckpointSpacing; i < record; ++i)
        rule.judge(m_series->records[i].time);
    return rule;
}

std::size_t CurvePyramid::sizeInBytes() const
{
    std::size_t bytes = sizeof(*this) + m_levels.capacity() * sizeof(m_levels.front()) +
                        m_checkpoints.capacity() * sizeof(CurveGapRule) +
                        m_gapStarts.capacity() * sizeof(std::int32_t);
    for (const std::vector<Extremes> &level : m_levels)
        bytes += level.capacity() * sizeof(Extremes);
    return bytes;
}
