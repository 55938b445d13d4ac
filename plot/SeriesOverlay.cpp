#include "plot/SeriesOverlay.h"

#include "plot/Saturating.h"

#include <algorithm>

std::int32_t OverlayShift(const TermDataFile &main, const TermDataFile &added,
                          OverlayAlignment alignment)
{
    if (alignment == OverlayAlignment::ClockTime || main.count == 0 || added.count == 0)
        return 0;
    return saturated(std::int64_t{main.records[0].time} - added.records[0].time);
}

void SeriesOverlay::setAlignment(OverlayAlignment alignment, const TermDataFile &main)
{
    m_alignment = alignment;
    realign(main);
}

void SeriesOverlay::realign(const TermDataFile &main)
{
    for (Entry &entry : m_entries) {
        // The run's own first time, whatever shift it carries now.
        TermDataFile &series = *entry.series;
        const std::int32_t ownFirst = saturated(std::int64_t{series.records[0].time} - entry.shift);
        const std::int32_t shift = m_alignment == OverlayAlignment::Start && main.count > 0
                                       ? saturated(std::int64_t{main.records[0].time} - ownFirst)
                                       : 0;
        shiftTo(entry, shift);
    }
}

void SeriesOverlay::shiftTo(Entry &entry, std::int32_t shift)
{
    const std::int64_t delta = std::int64_t{shift} - entry.shift;
    if (delta == 0)
        return;
    TermDataFile &series = *entry.series;
    for (std::int32_t i = 0; i < series.count; ++i)
        series.records[i].time = saturated(series.records[i].time + delta);
    entry.shift = shift;
}

bool SeriesOverlay::add(const QString &name, const TermDataFile &read, const TermDataFile &main)
{
    if (full() || read.count == 0)
        return false;
    QRgb colour = OverlayPalette.front();
    for (const QRgb candidate : OverlayPalette)
        if (std::none_of(m_entries.begin(), m_entries.end(),
                         [candidate](const Entry &entry) { return entry.colour == candidate; })) {
            colour = candidate;
            break;
        }
    auto series = std::make_unique<TermDataFile>();
    series->Reserve(read.count);
    const std::int32_t shift = OverlayShift(main, read, m_alignment);
    // The curve is drawn within the series' own limits, which a read-back series leaves unset.
    series->minTemperature = read.records[0].temperature;
    series->maxTemperature = read.records[0].temperature;
    for (std::int32_t i = 0; i < read.count; ++i) {
        const v4TermData &record = read.records[i];
        series->Add(saturated(std::int64_t{record.time} + shift), record.temperature,
                    record.emissivity);
        series->minTemperature = std::min(series->minTemperature, record.temperature);
        series->maxTemperature = std::max(series->maxTemperature, record.temperature);
    }
    series->scaleFlags = read.scaleFlags;
    series->date = read.date;
    m_entries.push_back({name, colour, std::move(series), shift});
    return true;
}

void SeriesOverlay::remove(int index)
{
    if (index >= 0 && index < static_cast<int>(m_entries.size()))
        m_entries.erase(m_entries.begin() + index);
}

std::optional<SeriesOverlay::Extent> SeriesOverlay::extent() const
{
    std::optional<Extent> extent;
    for (const Entry &entry : m_entries) {
        const TermDataFile &series = *entry.series;
        const Extent own{series.records[0].time, series.records[series.count - 1].time,
                         series.minTemperature, series.maxTemperature};
        if (!extent) {
            extent = own;
            continue;
        }
        extent->firstTime = std::min(extent->firstTime, own.firstTime);
        extent->lastTime = std::max(extent->lastTime, own.lastTime);
        extent->minTemperature = std::min(extent->minTemperature, own.minTemperature);
        extent->maxTemperature = std::max(extent->maxTemperature, own.maxTemperature);
    }
    return extent;
}
