#pragma once

#include "companions/ReadingNotes.h"
#include "companions/TermDataFile.h"
#include "plot/CurvePyramid.h"
#include "plot/NoteFlags.h"
#include "plot/PlotDrawing.h"
#include "plot/PlotOverlays.h"
#include "plot/ReadingStatistics.h"
#include "plot/SeriesOverlay.h"

#include <QImage>
#include <QPen>
#include <QPoint>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <optional>
#include <vector>

class CRangeBar;
class QLabel;
class QPainter;
class QRubberBand;

// The state of a range bar that the plot draws with.
PlotAxis plotAxisOf(const CRangeBar &bar);

// The plot of one series inside the graph frame: background, grid and curve. The grid and
// the curve follow the two range bars, read at every paint; the copies of their window starts
// and scales set here serve the pointer readout between paints, and the time window start
// is also where the curve's walk begins.
//
// Under the mouse pointer (the graph cursor) the view reports the temperature and the time it
// stands for, and its tooltip names the measurement at that time. A right-button press is
// handed to the frame, which owns the context menu, and does nothing else here. Dragging a
// rectangle with the left button asks for its times and temperatures as the new windows; a
// left double click asks for the whole graph and leaves the marker as it was before.
class CGraphView : public QWidget
{
    Q_OBJECT
public:
    // The status line panes the pointer readout writes.
    static constexpr int TemperaturePane = 0;
    static constexpr int TimePane = 1;
    static constexpr QRgb TooltipBackgroundColor = qRgb(240, 255, 255);

    explicit CGraphView(QWidget *parent = nullptr);

    // The bars are not owned. While either is missing only the background is painted.
    void setBars(CRangeBar *temperature, CRangeBar *time);

    void setTimeWindow(std::int32_t start, double scale);
    void setTemperatureWindow(std::int32_t start, double scale);
    void setTemperatureWindowStart(std::int32_t start);
    // The series is not owned and may be null (background and grid only). It is read at every
    // paint, so it must stay alive while it is set. Setting it again, even the same one, says
    // that it was refilled; seriesGrew() says that records were only appended to it.
    void setSeries(TermDataFile *series);
    void seriesGrew();
    // Further runs drawn over the series in their colours, with a legend naming each; not
    // owned, read at every paint, may be null. overlayChanged() says its runs changed.
    void setOverlay(const SeriesOverlay *overlay);
    void overlayChanged();
    const SeriesOverlay *overlay() const { return m_overlay; }
    // The legend's name of the series set by setSeries.
    static inline const QString MainSeriesName = QStringLiteral("Таблица");
    // While set, the curve is interrupted at gaps in the measurements; clear by default.
    void toggleBreakAtGaps();
    // Drawn as dashed lines across the plot; none by default.
    void setThresholds(const TemperatureThresholds &thresholds);
    const TemperatureThresholds &thresholds() const { return m_thresholds; }
    // While shown, a box in the upper left corner gives the statistics of the readings in the
    // time window (with the time above and below the thresholds); hidden by default.
    void setStatisticsShown(bool shown);
    bool statisticsShown() const { return m_statisticsShown; }
    // A reading marked with a vertical line and its time and temperature; while the pointer is
    // over the plot the box beside it gives the difference to the reading under the pointer.
    // A left click sets it; none by default.
    void setMarker(const std::optional<v4TermData> &marker);
    const std::optional<v4TermData> &marker() const { return m_marker; }
    // Notes shown as flags along the time axis, their texts when the pointer is over them; in
    // a picture of the window numbered, with their numbered list in the plot's lower left
    // corner. Not owned, read at every paint, may be null; notesChanged() says they changed.
    void setNotes(const ReadingNotes *notes);
    void notesChanged() { update(); }
    const ReadingNotes *notes() const { return m_notes; }
    // The time under the pointer as it last moved or pressed a button over the view.
    std::int32_t pointerTime() const;
    // What the plot writes over the curve (statistics, marker, difference, and in a picture the
    // list of notes), a line each; also the view's accessible description.
    QStringList overlayLines() const;
    // The statistics box's lines as last painted: the series' figures, then a line for each
    // run compared; empty while the box is hidden.
    QStringList statisticsLines() const;

    bool breakAtGaps() const { return m_breakAtGaps; }
    std::int32_t timeWindowStart() const { return m_timeWindowStart; }
    double timeScale() const { return m_timeScale; }
    std::int32_t temperatureWindowStart() const { return m_temperatureWindowStart; }
    double temperatureScale() const { return m_temperatureScale; }
    TermDataFile *series() const { return m_series; }

signals:
    // Sent for pane TemperaturePane and then TimePane on every pointer move over the view.
    void pointerTextChanged(int pane, const QString &text);
    // A right-button press on the view, at its screen position.
    void contextMenuRequested(QPoint globalPos);
    // A rectangle dragged over the plot: the times and temperatures it spans.
    void zoomRequested(std::int32_t timeStart, std::int32_t timeEnd, std::int32_t temperatureLow,
                       std::int32_t temperatureHigh);
    void wholeGraphRequested();

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    // The flags' place over the plot as it is painted now.
    NoteFlagAxis noteFlagAxis() const;
    // A picture of the window, painted once by a copy that is never on screen.
    bool paintsPicture() const;
    QStringList noteLines() const;
    // The first day of a timeline of several days, as the time bar names it; invalid for one.
    QDate firstDay() const;
    // The curves the pointer may be over, the series first, then the overlay's runs.
    std::vector<TermDataFile *> curves() const;
    // The index in curves() of the curve nearest the pointer, none when none is near or
    // nothing is compared.
    std::optional<int> curveUnderPointer() const;
    QString curveName(int index) const;
    std::vector<LegendEntry> legend() const;
    void dragZoomRectangle(QPoint position);
    void showTooltip(const QString &text, QPoint globalPos);
    void hideTooltip();

    QPointer<CRangeBar> m_temperatureBar;
    QPointer<CRangeBar> m_timeBar;
    std::int32_t m_timeWindowStart = 0;
    std::int32_t m_temperatureWindowStart = 0;
    double m_timeScale = 1.0;
    // Meaningful only once the frame has copied the bar's scale in.
    double m_temperatureScale = 1.0;
    QPen m_curvePen = curvePen();
    // The plot as last painted and what it was painted for: a repaint with nothing changed
    // (a tooltip, an uncovered window) shows it again without walking the series.
    struct PlotKey
    {
        const TermDataFile *series = nullptr;
        QSize client;
        qreal pixelRatio = 1.0;
        std::int32_t viewTimeStart = 0;
        PlotAxis temperature;
        PlotAxis time;
        bool breakAtGaps = false;
        TemperatureThresholds thresholds;
        const SeriesOverlay *overlay = nullptr;
        int overlayGeneration = 0;
        bool operator==(const PlotKey &) const = default;
    };
    // With pyramids (the series', then one for each run compared) the curves are drawn from
    // them, else by walking the series.
    void drawPlot(QPainter &painter, const PlotKey &key, const CurvePyramid *pyramid,
                  const std::vector<CurvePyramid> *runPyramids) const;
    // The statistics box, the marker and its box, over the plot as painted.
    void drawOverlays(QPainter &painter);
    void computeStatistics(const PlotKey &key);
    QStringList markerLines() const;
    std::optional<PlotKey> m_plotKey;
    QImage m_plot;
    // The series' extremes kept for the plots painted on screen, so that a scroll or a zoom
    // redraws the curve without walking every visible reading.
    CurvePyramid m_pyramid;
    // The same for each run compared, in the overlay's order: a run may be days of readings too.
    std::vector<CurvePyramid> m_runPyramids;
    // Where the pointer last moved to; (0, 0) until it first moves.
    QPoint m_lastPointer;
    QLabel *m_tooltip = nullptr;
    // Where the left button went down, while it is down; the rectangle once it is dragged.
    std::optional<QPoint> m_zoomOrigin;
    QRubberBand *m_zoomRectangle = nullptr;
    QTimer m_tooltipExpiry;
    TermDataFile *m_series = nullptr;
    const SeriesOverlay *m_overlay = nullptr;
    int m_overlayGeneration = 0;
    const ReadingNotes *m_notes = nullptr;
    bool m_breakAtGaps = false;
    TemperatureThresholds m_thresholds;
    bool m_statisticsShown = false;
    // Of the window last painted, while shown.
    std::optional<ReadingStatistics> m_statistics;
    // A line for each run compared, after the figures of the series.
    QStringList m_runStatistics;
    std::optional<v4TermData> m_marker;
    // The marker as it was before a click marked a reading, until the left button goes down
    // again: a double click's first click puts it back.
    std::optional<std::optional<v4TermData>> m_markerBeforeClick;
};
