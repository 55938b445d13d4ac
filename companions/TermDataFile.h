#pragma once

#include <QDate>

#include <cstdint>
#include <vector>

// One measurement of a series.
struct v4TermData
{
    std::int32_t time;        // milliseconds since midnight of the series' date
    std::int32_t temperature; // degrees Celsius
    std::uint16_t emissivity; // thousandths when bit 7 of scaleFlags is set, else hundredths
};

// A measurement series held in memory. Records stay in the order they were added;
// callers read the public members directly and walk a time window with
// GetFirst(start) followed by GetNext until a record lies past the window's end.
class TermDataFile
{
public:
    static constexpr std::uint8_t ThousandthsFlag = 0x80;

    TermDataFile() = default;
    TermDataFile(const TermDataFile &) = delete;
    TermDataFile &operator=(const TermDataFile &) = delete;
    virtual ~TermDataFile() = default;

    // Contiguous array of count records; valid until the next Add or Clear.
    v4TermData *records = nullptr;
    std::int32_t count = 0;
    QDate date;
    std::int32_t minTemperature = 0;
    std::int32_t maxTemperature = 0;
    std::uint8_t scaleFlags = 0;

    // What an emissivity is divided by to give the factor: 1000 for thousandths, else 100.
    static double EmissivityDivisor(std::uint8_t scaleFlags)
    {
        return (scaleFlags & ThousandthsFlag) != 0 ? 1000.0 : 100.0;
    }
    double emissivityDivisor() const { return EmissivityDivisor(scaleFlags); }

    // Empties the series and resets the temperature limits and flags.
    void Clear();

    // Makes room for total records in all, so that adding up to them moves none.
    void Reserve(std::int32_t total);

    // Appends a record with the emissivity in thousandths (sets the thousandths flag).
    // The result points into records and is only valid until the next Add or Clear.
    v4TermData *Add(std::int32_t time, std::int32_t temperature, std::uint16_t emissivity);

    // The record from which a forward walk meets every record whose time is at least t;
    // null when there is none. A binary search while the series runs forward in time.
    v4TermData *GetFirst(std::int32_t t);

    // Moves *p to the following record and returns it; after the last record (or for a
    // pointer that is not into this series) sets *p to null and returns null.
    v4TermData *GetNext(v4TermData **p);

private:
    std::vector<v4TermData> m_storage;
    bool m_forwardInTime = true;
};

// The records of a time window, the one walk over it: from GetFirst(start) on while a record's
// time is at most end. They lie side by side in the series, so a loop over them is a loop over
// memory. past is the record the walk stopped at, the first one past the end (a curve drawn on
// to it reaches past the window's edge), or null when the series ended first.
struct TimeWindowRecords
{
    const v4TermData *first = nullptr;
    const v4TermData *stop = nullptr;
    const v4TermData *past = nullptr;

    const v4TermData *begin() const { return first; }
    const v4TermData *end() const { return stop; }
};
TimeWindowRecords RecordsInTimeWindow(TermDataFile &series, std::int32_t start, std::int32_t end);
