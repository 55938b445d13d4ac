#pragma once

#include "graph/GraphCommands.h"
#include "plot/GraphScales.h"

#include <QFlags>
#include <QWidget>

#include <array>
#include <cstdint>

struct GraphPrintContext;
class CGraphView;
class CRangeBar;
class QAction;
class QLabel;
class QMenu;
class QStatusBar;
class TermDataFile;

// The graph window: a tool window with a small caption holding the plot view, the temperature
// bar left of it, the time bar under it and a four-pane status line at the bottom. It keeps
// the view and the range texts of the status line in step with the bars' reports, and can
// fit the temperature window to the readings in the visible time window.
//
// Made hidden at (0, 0) with the size 300 x 200; the owner shows it. Closing it by its caption
// only reports graphClosed: the window stays, and its owner hides or deletes it.
class CGraphWnd : public QWidget
{
    Q_OBJECT
public:
    static constexpr int TemperatureBarId = 1002;
    static constexpr int TimeBarId = 1003;

    // Colour of the square left of the time bar and under the temperature bar.
    static constexpr QRgb CornerColor = qRgb(236, 233, 216);
    static constexpr int StatusPaneCount = 4;

    // The bars to make. A frame without a bar works without it: the layout counts its
    // thickness as 0 and everything that would use it is skipped.
    enum Bar
    {
        TemperatureBar = 0x1,
        TimeBar = 0x2
    };
    Q_DECLARE_FLAGS(Bars, Bar)

    explicit CGraphWnd(Bars bars = Bars(TemperatureBar | TimeBar));

    CGraphView *view() const { return m_view; }
    // Null when the frame was made without that bar.
    CRangeBar *temperatureBar() const { return m_temperatureBar; }
    CRangeBar *timeBar() const { return m_timeBar; }
    QStatusBar *statusLine() const { return m_statusLine; }

    // Pane 0 to 3 of the status line. Panes 0 and 1 (the pointer readout) show their width
    // templates until first set; panes 2 and 3 follow the bars' ranges. Other pane numbers
    // are ignored (set) or give an empty text (read).
    void setStatusText(int pane, const QString &text);
    QString statusText(int pane) const;
    // The last crossing of the thresholds during a reception, at the status line's right end;
    // empty, as at construction, shows none.
    void setAlarmText(const QString &text);
    QString alarmText() const;

    // While set, every report of the time bar fits the temperature window to the readings
    // in the visible time window (FitTemperatureWindow). Clear at construction.
    bool automaticLimits() const { return m_automaticLimits; }
    void setAutomaticLimits(bool on) { m_automaticLimits = on; }

    // A new series (not owned; kept and read until the next one, may be null) and its
    // temperature limits (see GraphSeriesLimits). The temperature range becomes the limits
    // with 10 °C either side, or 0 to 2000 °C for limits 0 and 0; the time bar's range end
    // and window end become the last record's time, its start time the series' midnight.
    void OnSetSeries(std::uint32_t limits, TermDataFile *series);
    // The series handed to OnSetSeries has gained records at its end; its limits were
    // previousLimits and are limits now. The temperature range widens as OnSetSeries sets it,
    // and a temperature window that showed every reading widens to show the new ones too; the
    // time range ends at the last record. A time window that reached the old end keeps its
    // width and slides to the new one. A window the user moved or narrowed stays.
    void OnSeriesGrew(std::uint32_t previousLimits, std::uint32_t limits);

    // "Следить за приемом": the owner keeps the graph in step with a running reception while
    // it is set. Clear at construction; the menu item toggles it (followingToggled).
    bool following() const { return m_following; }
    void setFollowing(bool on) { m_following = on; }

    // A bar's report: the range texts of panes 2 and 3 follow the bars' ranges, the view's
    // copies follow their windows; a report of the time bar then runs FitTemperatureWindow.
    // Reports of any other bar are ignored.
    void OnRangeBarNotify(CRangeBar *bar, int code);

    // With automatic limits on, sets the temperature window to the lowest and highest
    // non-zero reading inside the time window, of the series and of every run compared; leaves
    // it when there is none.
    void FitTemperatureWindow();

    // A wheel turn at globalPoint: handed to the bar under it; over the plot, the corner or
    // the status line it moves nothing.
    void OnMouseWheel(Qt::KeyboardModifiers modifiers, short delta, QPoint globalPoint);
    // The context menu's commands. The whole time range, and the whole temperature range or,
    // with automatic limits, the readings' own range:
    void ShowWholeGraph();
    // The rectangle dragged over the plot becomes both windows; with automatic limits the
    // temperature window fits the readings of the new time window instead.
    void zoomTo(std::int32_t timeStart, std::int32_t timeEnd, std::int32_t temperatureLow,
                std::int32_t temperatureHigh);
    // "Убрать маркер", and Escape:
    void removeMarker();
    // Inverts automatic limits and fits the temperature window at once when they come on:
    void ToggleAutoLimits();
    // Inverts the view's break-at-gaps flag:
    void ToggleGaps();

    // The context menu, with its check marks as they are now: the window's own commands and
    // those its owner added, at their places in GraphMenuEntries.
    QMenu *contextMenu() { return m_commands.menu(); }
    // A command the owner carries out (printing, pictures, files, dialogs).
    QAction *addCommand(GraphCommand command) { return m_commands.add(std::move(command)); }
    // The command of that name (see GraphMenuEntries), null for none.
    QAction *command(const QString &name) const { return m_commands.action(name); }
    // Opens the context menu at globalPoint; returns when it has closed.
    void OnContextMenu(QPoint globalPoint);

    // Shows what shown shows: its series, the bars' ranges and windows, the break-at-gaps
    // flag, the thresholds, the statistics, the marker, the runs compared and the status line's
    // texts (a picture of it at another size is made so).
    void showSameAs(const CGraphWnd &shown);
    // What a printout of the graph reads, copied: the bars' windows, the visible records and
    // the break-at-gaps flag (the page size is the printer's to give).
    GraphPrintContext printContext() const;

signals:
    void graphClosed();
    // "Статистика" was switched on or off.
    void statisticsToggled(bool shown);
    void followingToggled(bool on);
    // F1: the owner shows the graph's page of the manual.
    void helpRequested();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    struct Thickness
    {
        int temperatureBar; // width, 0 without the bar
        int timeBar;        // height, 0 without the bar
        int statusLine;     // height
    };

    void createStatusLine();
    void createCommands();
    void layoutStatusPanes();
    void layoutAlarmPane();
    void setStartingValues();
    Thickness thickness() const;
    void RecalcLayout();
    void showTemperatureRange();
    void showTimeRange();

    CGraphView *m_view = nullptr;
    QStatusBar *m_statusLine = nullptr;
    std::array<QLabel *, StatusPaneCount> m_panes{};
    QLabel *m_alarmPane = nullptr;
    CRangeBar *m_temperatureBar = nullptr;
    CRangeBar *m_timeBar = nullptr;
    bool m_automaticLimits = false;
    bool m_following = false;
    GraphCommands m_commands{*this, GraphMenuEntries};
};

Q_DECLARE_OPERATORS_FOR_FLAGS(CGraphWnd::Bars)
