#pragma once

#include "companions/FormatOutTime.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <limits>
#include <vector>

// Data files whose readings follow one another, read as one timeline: each file's lines hold
// times of its day only, so a reading's time on the timeline is its time of day plus the days
// from the first file's day to its own, in milliseconds. Those stay 32-bit, so one timeline
// spans at most TimelineMostDays days.
constexpr int TimelineMostDays =
    static_cast<int>(std::numeric_limits<std::int32_t>::max() / MillisecondsPerDay);

struct TimelineFile
{
    QString path;
    // The day its readings were taken; invalid when unknown.
    QDate day;
    // What its times of day are moved by on the timeline.
    std::int32_t offset = 0;
};

struct Timeline
{
    // In the order of their days; files of the same day in the order given.
    std::vector<TimelineFile> files;
    // The first file's day: the timeline's midnight. Invalid when that file's day is unknown;
    // then no file is moved.
    QDate firstDay() const { return files.empty() ? QDate() : files.front().day; }
    QDate lastDay() const { return files.empty() ? QDate() : files.back().day; }
    // Whether the days run past what the timeline's times hold; no file is moved then.
    bool tooLong = false;
};

// The timeline of paths dated by days (one day for each path, in the same order).
Timeline JoinTimeline(const QStringList &paths, const std::vector<QDate> &days);

// The same, each file dated by DataFileDate.
Timeline JoinTimeline(const QStringList &paths);
