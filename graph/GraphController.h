#pragma once

#include "companions/ReadingNotes.h"
#include "companions/TermDataFile.h"
#include "outputs/ReportDocument.h"
#include "plot/GraphPrinting.h"
#include "plot/SeriesOverlay.h"
#include "plot/TemperatureThresholds.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class CGraphWnd;
class ComparedRunRows;
class ReceivedRows;
class Prompts;
class QSettings;

// The graph window's controller: builds the graph series from the table's selection (or the
// reception it follows) and hands it to the graph window, which is made on the first launch
// with two points or more and kept (hidden when the user closes it) until destroyGraphWnd.
// It carries out the window's commands that ask the user or write files, and keeps the
// window's settings. The prompts of the window's commands open over the window.
class GraphController : public QObject
{
    Q_OBJECT
public:
    // With settings, the graph window's size and place are kept there from one run to the
    // next (SettingsKeys::GraphWindow); its first show ever keeps the window's own. So are
    // the thresholds and whether the statistics are shown.
    explicit GraphController(Prompts &prompts, QSettings *settings = nullptr,
                             QObject *parent = nullptr);
    ~GraphController() override;

    // Builds the graph series of series for selectedRows (row numbers of table, empty for
    // all; see BuildGraphSeries), reusing the last one unless the selection or the rows have
    // changed since (selectionChanged, receptionChanged, receptionReset). With fewer than two
    // points nothing else happens (one point: the user is told); otherwise the graph window
    // gets the series, its temperature window becomes the series' lowest to highest
    // temperature and its time range the first to the last time, and it is shown if hidden.
    // A visible window is updated in place.
    void OnGraph(const TermDataFile &series, const ReceivedRows &table,
                 const std::vector<int> &selectedRows);
    // The table's selection, or what its rows hold, changed: the next OnGraph builds anew.
    void selectionChanged() { m_seriesStale = true; }

    // "График приема": the graph of every record of series, the reception's, which the window
    // then follows (its "Следить за приемом" set) as the reception grows. The next OnGraph
    // builds its series anew.
    void OnGraphOfReception(const TermDataFile &series, const ReceivedRows &table);
    // The reception's rows grew or were cleared: the next OnGraph builds anew. While the
    // window follows the reception it catches up within a frame: new records, wider ranges,
    // a sliding time window.
    void receptionChanged();
    // The reception's rows were replaced: the graph no longer shows rows of the table.
    void receptionReset();

    // Null until the first launch and after destroyGraphWnd.
    CGraphWnd *graphWnd() const { return m_graphWnd.get(); }
    // The thresholds the graph draws: its window's, else the ones kept in the settings.
    TemperatureThresholds thresholds() const;
    // "Сигнал при выходе за пороги": whether a reception signals readings outside the
    // thresholds; kept in the settings (SettingsKeys::ThresholdAlarm), off at first.
    bool alarmOn() const { return m_alarmOn; }
    void setAlarmOn(bool on);
    // The alarm's last crossing, shown in the graph window's status line now and in a window
    // made later; empty shows none.
    void showCrossing(const QString &text);
    // The series the graph window shows; refilled in place by each launch.
    const TermDataFile &graphSeries() const { return m_graphSeries; }

    // "Отчет..." of the main window: the report of the records of series behind selectedRows
    // (all rows when empty), over their whole time, with the graph's thresholds. The graph
    // window is left as it is.
    void OnReport(const TermDataFile &series, const ReceivedRows &table,
                  const std::vector<int> &selectedRows);
    // Where the rows of the reports come from; none names no source and has no notes.
    void setReportSources(std::function<ReportSources()> sources)
    {
        m_reportSources = std::move(sources);
    }

    // Deletes the graph window (the owner's close); a later launch makes a new one.
    void destroyGraphWnd();
    // The notes the graph shows as flags (see CGraphView::setNotes); not owned, may be null.
    void setNotes(const ReadingNotes *notes);
    void notesChanged();

    // Cancels the graph's printout if one runs, waiting until deadline for it to end.
    void cancelPrintout(QDeadlineTimer deadline) { m_graphPrinting.cancel(deadline); }

signals:
    // The user closed the graph window, which stays until its owner hides it.
    void graphClosed();
    // F1 in the graph window.
    void helpRequested();
    // The user set other thresholds.
    void thresholdsChanged();
    // "Сигнал при выходе за пороги" was switched on or off.
    void alarmToggled(bool on);
    // "Заметка..." in the graph's menu, at the time under the pointer.
    void noteRequested(std::int32_t time);

private:
    // Hands the graph series to the window as a launch does; activate brings it to the front.
    void showGraphSeries(bool activate);
    // The graph series' limits as the window takes them (GraphSeriesLimits).
    std::uint32_t graphLimits() const;
    void followReception();
    void setFollowing(bool on);
    void createGraphWnd();
    // "Сохранить изображение...": the file, the size, the picture, the outcome told.
    void saveGraphPicture();
    // "Экспорт видимых данных в CSV...": the graphed rows inside the visible time window.
    void exportVisibleRows();
    // "Пороги...": the dialog, then the plot's lines and the settings.
    void editThresholds();
    // "Сравнить...": a data file read back and laid over the graph; the outcome told when it
    // adds nothing.
    void compareWithFile();
    // The compared runs changed: the view redraws them and the bars' ranges take them in.
    void overlayChanged();
    // "Отчет..." of the graph window: the report of the visible time window as it is shown.
    void reportVisibleWindow();
    ReportSources reportSources() const;

    Prompts &m_prompts;
    QSettings *m_settings;
    std::function<ReportSources()> m_reportSources;
    GraphPrinting m_graphPrinting;
    // Declared before the window, which reads them until it is gone.
    TermDataFile m_graphSeries;
    SeriesOverlay m_overlay;
    // The rows of each run compared, by its series in the overlay, for the export of the
    // visible data.
    std::vector<std::pair<const TermDataFile *, std::unique_ptr<ComparedRunRows>>> m_runRows;
    // The reception the window follows, and whether the graph series holds its records.
    const TermDataFile *m_reception = nullptr;
    const ReceivedRows *m_receptionRows = nullptr;
    bool m_graphOfReception = false;
    // The rows the graph series was built from (empty: all), none once the table has been
    // replaced since.
    std::optional<std::vector<int>> m_graphedRows;
    // Set when the graph series may no longer be what OnGraph would build.
    bool m_seriesStale = true;
    bool m_alarmOn = false;
    QString m_crossing;
    // Gathers the reception's changes into one update a frame.
    QTimer m_followTimer;
    const ReadingNotes *m_notes = nullptr;
    std::unique_ptr<CGraphWnd> m_graphWnd;
};
