#include "companions/TermDataFile.h"

#include "companions/ProcessMemory.h"

#include <algorithm>

void TermDataFile::Clear()
{
    m_storage.clear();
    m_forwardInTime = true;
    records = nullptr;
    count = 0;
    minTemperature = 0;
    maxTemperature = 0;
    scaleFlags = 0;
}

void TermDataFile::Reserve(std::int32_t total)
{
    ReserveLarge(m_storage, static_cast<std::size_t>(std::max(total, 0)));
    // The records may have moved; an empty series keeps pointing nowhere.
    if (count > 0)
        records = m_storage.data();
}

v4TermData *TermDataFile::Add(std::int32_t time, std::int32_t temperature, std::uint16_t emissivity)
{
    if (!m_storage.empty() && time < m_storage.back().time)
        m_forwardInTime = false;
    m_storage.push_back({time, temperature, emissivity});
    records = m_storage.data();
    count = static_cast<std::int32_t>(m_storage.size());
    scaleFlags |= ThousandthsFlag;
    return &m_storage.back();
}

v4TermData *TermDataFile::GetFirst(std::int32_t t)
{
    const auto begin = m_storage.begin();
    const auto end = m_storage.end();
    const auto found =
        m_forwardInTime
            ? std::lower_bound(
                  begin, end, t,
                  [](const v4TermData &r, std::int32_t value) { return r.time < value; })
            : std::find_if(begin, end, [t](const v4TermData &r) { return r.time >= t; });
    return found == end ? nullptr : &*found;
}

v4TermData *TermDataFile::GetNext(v4TermData **p)
{
    if (p == nullptr)
        return nullptr;
    v4TermData *const first = m_storage.data();
    v4TermData *const current = *p;
    const bool inSeries = current != nullptr && !m_storage.empty() && current >= first &&
                          current < first + m_storage.size();
    *p = inSeries && current + 1 < first + m_storage.size() ? current + 1 : nullptr;
    return *p;
}

TimeWindowRecords RecordsInTimeWindow(TermDataFile &series, std::int32_t start, std::int32_t end)
{
    const v4TermData *first = series.GetFirst(start);
    if (first == nullptr)
        return {};
    // Stepping a pointer visits what GetNext would, without checking on each step that the
    // pointer is still one of the series'.
    const v4TermData *const last = series.records + series.count;
    const v4TermData *stop = first;
    while (stop != last && stop->time <= end)
        ++stop;
    return {first, stop, stop == last ? nullptr : stop};
}
