#pragma once

#include "plot/PlotDrawing.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class TermDataFile;

// What the plot keeps of a series between paints, so that drawing its curve costs the pixel
// columns drawn, not the records shown: the lowest and highest temperature of each block of
// records, in levels of ever larger blocks (a min/max pyramid), and where the curve walked
// from the first record breaks at gaps. It follows a series that grows at its end; a series
// refilled in place is taken anew after reset().
//
// Its size is a small share of the series': 8 bytes a block of 32 records, the upper levels a
// thirty-second of that each; with the breaks at gaps also 16 bytes every 4096 records and 4
// bytes a gap.
class CurvePyramid
{
public:
    struct Extremes
    {
        std::int32_t lowest;
        std::int32_t highest;
    };

    // Forgets the series; the next follow() takes it from its first record.
    void reset();

    // Takes in the records series holds beyond those taken before, with gaps set also where
    // the curve breaks at gaps (for every record, the first time). A series other than the one
    // followed, shorter than before or with other first or last records taken is taken anew.
    void follow(const TermDataFile &series, bool gaps);

    // Whether it holds every record of series, taken by follow(), with the breaks at gaps when
    // gaps is set, and their times never go back; only then can a curve be drawn from it.
    bool covers(const TermDataFile &series, bool gaps) const;

    // The extreme temperatures of records first up to end (not included), first < end.
    Extremes extremes(std::int32_t first, std::int32_t end) const;

    // The records from first up to end (not included) at which a curve walked from first, with
    // breaks at gaps, starts a stretch: first itself and each record after a gap, in order.
    std::vector<std::int32_t> stretchStarts(std::int32_t first, std::int32_t end) const;

    std::size_t sizeInBytes() const;

private:
    static constexpr std::size_t Fanout = 32;
    // The gap rule's state is kept before every this many records, to start from near any.
    static constexpr std::int32_t CheckpointSpacing = 4096;

    void take(std::int32_t from);
    void takeGaps();
    void takeUpperLevels(std::size_t changedBlock);
    CurveGapRule gapRuleBefore(std::int32_t record) const;

    const TermDataFile *m_series = nullptr;
    std::int32_t m_count = 0;
    bool m_forwardInTime = true;
    // The first and the last record taken, as they were: a refilled series shows in them.
    std::int32_t m_firstTime = 0;
    std::int32_t m_firstTemperature = 0;
    std::int32_t m_lastTime = 0;
    std::int32_t m_lastTemperature = 0;
    // Level 0 holds blocks of Fanout records, each next level blocks of Fanout of the level's
    // below; each level's last block may be partial.
    std::vector<std::vector<Extremes>> m_levels;
    // The gap rule walked from the first record: the records it took, its state after them,
    // its states before every CheckpointSpacing-th record, and the records it found after a gap.
    std::int32_t m_gapsTaken = 0;
    CurveGapRule m_gaps;
    std::vector<CurveGapRule> m_checkpoints;
    std::vector<std::int32_t> m_gapStarts;
};
