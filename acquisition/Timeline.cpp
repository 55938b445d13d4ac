#include "acquisition/Timeline.h"

#include "acquisition/ReceptionFile.h"

#include <algorithm>

Timeline JoinTimeline(const QStringList &paths, const std::vector<QDate> &days)
{
    Timeline timeline;
    for (qsizetype index = 0; index < paths.size(); ++index)
        timeline.files.push_back({paths[index],
                                  static_cast<std::size_t>(index) < days.size()
                                      ? days[static_cast<std::size_t>(index)]
                                      : QDate(),
                                  0});
    // A file without a day comes first: it cannot be placed, and its reader says so first.
    std::stable_sort(timeline.files.begin(), timeline.files.end(),
                     [](const TimelineFile &a, const TimelineFile &b) { return a.day < b.day; });
    const QDate first = timeline.firstDay();
    if (!first.isValid())
        return timeline;
    // The last day's readings run to its end: the first day and TimelineMostDays - 1 more fit.
    if (first.daysTo(timeline.lastDay()) > TimelineMostDays - 1) {
        timeline.tooLong = true;
        return timeline;
    }
    for (TimelineFile &file : timeline.files)
        file.offset = static_cast<std::int32_t>(first.daysTo(file.day) * MillisecondsPerDay);
    return timeline;
}

Timeline JoinTimeline(const QStringList &paths)
{
    std::vector<QDate> days;
    for (const QString &path : paths)
        days.push_back(DataFileDate(path));
    return JoinTimeline(paths, days);
}
