#pragma once

#include "companions/TermDataFile.h"

#include <QRgb>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

// Further runs laid over the graph's own series to compare them: each a copy of a data file's
// readings in a colour of its own, its times moved by the alignment.

inline constexpr int MaxOverlaySeries = 8;

// Apart from the main curve's red and the thresholds' orange and blue, and from each other.
inline constexpr std::array<QRgb, MaxOverlaySeries> OverlayPalette{
    qRgb(0, 150, 0),   qRgb(160, 0, 200), qRgb(0, 170, 170), qRgb(120, 80, 0),
    qRgb(230, 0, 140), qRgb(90, 90, 90),  qRgb(150, 170, 0), qRgb(0, 0, 0)};

enum class OverlayAlignment
{
    // Each run's first reading at the main series' first reading: the time since its start.
    Start,
    // Each run at the time of day it was read, whatever its day.
    ClockTime,
};

// The time added to each of added's readings to lay it over main: for Start the difference of
// their first readings, 0 for ClockTime or when either has no reading.
std::int32_t OverlayShift(const TermDataFile &main, const TermDataFile &added,
                          OverlayAlignment alignment);

class SeriesOverlay
{
public:
    struct Entry
    {
        QString name;
        QRgb colour;
        // Times moved by shift from the file's own.
        std::unique_ptr<TermDataFile> series;
        std::int32_t shift = 0;
    };

    OverlayAlignment alignment() const { return m_alignment; }
    // Moves every run to the new alignment against main.
    void setAlignment(OverlayAlignment alignment, const TermDataFile &main);
    // Aligns again against main, whose readings may have changed.
    void realign(const TermDataFile &main);

    // Copies read under name, aligned against main, in the first colour no run has; false,
    // adding nothing, when the overlay is full or read has no reading.
    bool add(const QString &name, const TermDataFile &read, const TermDataFile &main);
    void remove(int index);
    void clear() { m_entries.clear(); }

    const std::vector<Entry> &entries() const { return m_entries; }
    bool empty() const { return m_entries.empty(); }
    bool full() const { return m_entries.size() >= MaxOverlaySeries; }

    // The first and last time and the lowest and highest temperature over every run; none
    // while there is no run.
    struct Extent
    {
        std::int32_t firstTime;
        std::int32_t lastTime;
        std::int32_t minTemperature;
        std::int32_t maxTemperature;
    };
    std::optional<Extent> extent() const;

private:
    void shiftTo(Entry &entry, std::int32_t shift);

    OverlayAlignment m_alignment = OverlayAlignment::Start;
    std::vector<Entry> m_entries;
};
