#pragma once

#include "acquisition/Timeline.h"
#include "companions/OutputFile.h"
#include "companions/ReadingNotes.h"
#include "outputs/RowTexts.h"
#include "plot/GraphPrintJob.h"
#include "plot/PdfDevice.h"
#include "plot/ReadingStatistics.h"
#include "plot/TemperatureThresholds.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <vector>

class PrintDevice;
class Prompts;
class ReceivedRows;
class TermDataFile;

// One report document of a recording: a title block, the graph of its time window, the
// statistics of that window, its notes and the table of its readings, on numbered pages with
// the program's version at their foot. The window and orma-cli gather the same content.

// The readings of the report's window as its table and title block show them, taken one at a
// time in table order: every row up to rowLimit rows; past that, every step-th, the step
// doubling whenever the rows kept would exceed the limit, so that a recording of any length
// fills a table of pages one can print.
class ReportReadings
{
public:
    static constexpr std::size_t DefaultRowLimit = 5000;

    explicit ReportReadings(std::size_t rowLimit = DefaultRowLimit);

    // A reading in table order; section names the part of the recording it belongs to (the
    // day of a timeline of several), which the table heads where it changes.
    void add(const RowCells &cells, const QString &section = {});

    // The rows kept: the first reading and every step-th after it.
    const std::vector<TableRowText> &rows() const { return m_rows; }
    std::size_t step() const { return m_step; }
    std::size_t count() const { return m_count; }
    // "0.950", or "0.900...0.950" when it changed; empty without readings.
    QString emissivityText() const;
    // The measuring modes the readings were taken in, in the order they first came.
    const QStringList &modes() const { return m_modes; }
    // Where a section begins among the rows kept, with its name, in row order: one for each
    // section with a row kept.
    struct Section
    {
        std::size_t row;
        QString name;
        bool operator==(const Section &) const = default;
    };
    const std::vector<Section> &sections() const { return m_sections; }

private:
    std::size_t m_limit;
    std::size_t m_step = 1;
    std::size_t m_count = 0;
    std::vector<TableRowText> m_rows;
    QString m_lowestEmissivity;
    QString m_highestEmissivity;
    double m_lowest = 0.0;
    double m_highest = 0.0;
    QStringList m_modes;
    std::vector<Section> m_sections;
};

struct ReportContent
{
    // The user's title; empty: "Отчет об измерениях".
    QString title;
    // Where the readings came from: the data files' names, or the port.
    QStringList sources;
    // The day of the recording's midnight, when known: the times count on from it.
    QDate firstDay;
    QDateTime made;
    std::int32_t windowStart = 0;
    std::int32_t windowEnd = 0;
    TemperatureThresholds thresholds;
    ReadingStatistics statistics;
    // The graph of the window as it is to be drawn; the report sets its page size and
    // thresholds.
    GraphPrintContext graph;
    // The notes within the window, in time order.
    ReadingNotes notes;
    ReportReadings readings;
};

// What the window knows of where its rows came from: the files' (or the port's) names and
// their notes on the timeline of the rows.
struct ReportSources
{
    QStringList names;
    ReadingNotes notes;
    // The day of the first file; none for a port, whose rows are of the reception's day.
    QDate firstDay;
};

// The section of the report's table a reading at time belongs to: its day, "08.12.2026", on a
// timeline from firstDay; none when the day is unknown.
QString ReportSection(const QDate &firstDay, std::int32_t time);

// The content of a report of the rows rows of table (records in series), in table order, whose
// records graphSeries holds, over the time window start..end of graphSeries: the readings, the
// statistics with thresholds, the notes of sources within the window, made now; the day is the
// first file's, else graphSeries' own. The graph is the caller's.
ReportContent ReportOfRows(const ReceivedRows &table, const TermDataFile &series,
                           const std::vector<int> &rows, TermDataFile &graphSeries,
                           std::int32_t start, std::int32_t end,
                           const TemperatureThresholds &thresholds, const ReportSources &sources);

// "Отчет...": asks for a PDF file (a window refuses pipes and devices), writes the report of
// content there on the paper of the user's locale, and tells the outcome.
void SaveReport(Prompts &prompts, const ReportContent &content);

// The notes of the files of a timeline, each read from its sidecar and moved by the file's
// offset, in time order. A sidecar that cannot be read is named in problems and costs only its
// own notes.
ReadingNotes TimelineNotes(const std::vector<TimelineFile> &files, QStringList &problems);

// Lays content out on device, whose document is open, and ends the document: every page is
// started with the device's startPage. False, the document dropped, when a page could not be
// started.
bool DrawReport(PrintDevice &device, const ReportContent &content);

// Writes the report of content as a PDF on paper at path, as a save writes its file (see
// OutputFile). Returns why it was not written, or an empty string.
QString WriteReportFile(const QString &path, InPlaceWrites inPlace, const ReportContent &content,
                        PaperSize paper);
