#include "plot/CGraphView.h"

#include "companions/CRangeBar.h"
#include "plot/OverlayPlacement.h"
#include "plot/PlotOverlays.h"
#include "plot/PointerReadout.h"
#include "plot/QPainterCanvas.h"
#include "plot/Saturating.h"
#include "resources/GraphCursor.h"

#include <QApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPainter>
#include <QRubberBand>
#include <QScreen>

#include <algorithm>

namespace {

// The tooltip goes up when the desktop's tooltips would, and down after this long at rest.
constexpr int TooltipDuration = 10000;
// From the hot spot to just below the pointer's picture.
constexpr QPoint TooltipOffset(2, 8);

QLabel *createTooltip(QWidget *owner)
{
    auto *tooltip = new QLabel(owner, Qt::ToolTip);
    tooltip->setTextFormat(Qt::PlainText);
    QPalette palette = tooltip->palette();
    palette.setColor(QPalette::ToolTipBase, QColor(CGraphView::TooltipBackgroundColor));
    palette.setColor(QPalette::ToolTipText, Qt::black);
    tooltip->setPalette(palette);
    tooltip->setBackgroundRole(QPalette::ToolTipBase);
    tooltip->setForegroundRole(QPalette::ToolTipText);
    tooltip->setAutoFillBackground(true);
    tooltip->setFrameStyle(QFrame::Box | QFrame::Plain);
    tooltip->setMargin(2);
    tooltip->setAttribute(Qt::WA_TransparentForMouseEvents);
    return tooltip;
}

// Below the pointer, or above it where the screen ends, and never past the screen's sides.
QPoint tooltipPosition(QPoint globalPos, QSize size, const QScreen *screen)
{
    QPoint position = globalPos + TooltipOffset;
    if (screen == nullptr)
        return position;
    const QRect area = screen->availableGeometry();
    if (position.y() + size.height() > area.bottom() + 1)
        position.setY(globalPos.y() - GraphCursorHotSpot.y() - size.height());
    position.setX(std::clamp(position.x(), area.left(),
                             std::max(area.left(), area.right() + 1 - size.width())));
    return position;
}

} // namespace

PlotAxis plotAxisOf(const CRangeBar &bar)
{
    return {bar.GetWinMin(),    bar.GetWinMax(),   bar.GetScale(),   bar.GetBigStep(),
            bar.GetSmallStep(), bar.GetMajorPen(), bar.GetMinorPen()};
}

CGraphView::CGraphView(QWidget *parent) : QWidget(parent)
{
    // Every paint covers the whole widget; nothing is erased before it.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    // The readout is for looking, also while another window of the program has the focus.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setCursor(GraphCursor(devicePixelRatioF()));
    // The frame owns the context menu; the right-button press reaches it as a signal only.
    setContextMenuPolicy(Qt::PreventContextMenu);
    m_tooltip = createTooltip(this);
    m_tooltipExpiry.setSingleShot(true);
    m_tooltipExpiry.setInterval(TooltipDuration);
    connect(&m_tooltipExpiry, &QTimer::timeout, this, &CGraphView::hideTooltip);
}

void CGraphView::setBars(CRangeBar *temperature, CRangeBar *time)
{
    m_temperatureBar = temperature;
    m_timeBar = time;
    update();
}

void CGraphView::setTimeWindow(std::int32_t start, double scale)
{
    m_timeScale = scale;
    if (start == m_timeWindowStart)
        return;
    m_timeWindowStart = start;
    update();
}

void CGraphView::setTemperatureWindow(std::int32_t start, double scale)
{
    m_temperatureWindowStart = start;
    m_temperatureScale = scale;
}

void CGraphView::setTemperatureWindowStart(std::int32_t start)
{
    m_temperatureWindowStart = start;
}

void CGraphView::setThresholds(const TemperatureThresholds &thresholds)
{
    m_thresholds = thresholds;
    update();
}

void CGraphView::setNotes(const ReadingNotes *notes)
{
    m_notes = notes;
    update();
}

bool CGraphView::paintsPicture() const
{
    return window()->testAttribute(Qt::WA_DontShowOnScreen);
}

// Along the time axis at the plot's foot, over the grid and the curve.
NoteFlagAxis CGraphView::noteFlagAxis() const
{
    constexpr int MastPixels = 16;
    const std::int32_t end =
        m_timeBar != nullptr ? plotAxisOf(*m_timeBar).windowEnd : m_timeWindowStart;
    const int mast = paintsPicture() ? fontMetrics().height() * 2 : MastPixels;
    return {0, m_timeWindowStart, end, m_timeScale, height() - 1, height() - 1 - mast};
}

QStringList CGraphView::noteLines() const
{
    if (m_notes == nullptr || !paintsPicture() || m_timeBar == nullptr)
        return {};
    const NoteFlagAxis axis = noteFlagAxis();
    return NoteListLines(*m_notes, axis.windowStart, axis.windowEnd);
}

void CGraphView::setStatisticsShown(bool shown)
{
    m_statisticsShown = shown;
    m_plotKey.reset();
    update();
}

void CGraphView::setMarker(const std::optional<v4TermData> &marker)
{
    m_marker = marker;
    update();
}

void CGraphView::setSeries(TermDataFile *series)
{
    // Drawn anew even for the same pointer: the series may have been refilled in place.
    m_series = series;
    m_pyramid.reset();
    m_plotKey.reset();
    update();
}

void CGraphView::setOverlay(const SeriesOverlay *overlay)
{
    m_overlay = overlay;
    overlayChanged();
}

void CGraphView::overlayChanged()
{
    ++m_overlayGeneration;
    m_plotKey.reset();
    update();
}

void CGraphView::seriesGrew()
{
    // The pyramid takes in the new records at the next paint.
    m_plotKey.reset();
    update();
}

void CGraphView::toggleBreakAtGaps()
{
    m_breakAtGaps = !m_breakAtGaps;
    update();
}

void CGraphView::paintEvent(QPaintEvent *)
{
    PlotKey key{m_series,      size(),       devicePixelRatioF(), m_timeWindowStart,  {}, {},
                m_breakAtGaps, m_thresholds, m_overlay,           m_overlayGeneration};
    if (m_temperatureBar != nullptr && m_timeBar != nullptr) {
        key.temperature = plotAxisOf(*m_temperatureBar);
        key.time = plotAxisOf(*m_timeBar);
    }
    QPainter painter(this);
    // A picture of the window in SVG or PDF gets the plot as lines, not as pixels; a copy of
    // the window that is never on screen paints once, so it keeps no plot for the next paint.
    // Such a paint walks the series rather than build a pyramid it would use once; both draw the
    // same lines.
    if (painter.paintEngine()->type() != QPaintEngine::Raster || paintsPicture()) {
        drawPlot(painter, key, nullptr, nullptr);
        computeStatistics(key);
    } else {
        if (m_plotKey != key) {
            // The plot covers the whole image, so an image of the same size is painted over.
            if (m_plot.size() != key.client * key.pixelRatio ||
                m_plot.devicePixelRatio() != key.pixelRatio) {
                m_plot = QImage(key.client * key.pixelRatio, QImage::Format_RGB32);
                m_plot.setDevicePixelRatio(key.pixelRatio);
            }
            QPainter plotPainter(&m_plot);
            if (m_series != nullptr)
                m_pyramid.follow(*m_series, m_breakAtGaps);
            // A run moved by a new alignment or taken away is taken anew: its first and last
            // records are not those its pyramid took.
            const std::size_t runs = m_overlay != nullptr ? m_overlay->entries().size() : 0;
            m_runPyramids.resize(runs);
            for (std::size_t i = 0; i < runs; ++i)
                m_runPyramids[i].follow(*m_overlay->entries()[i].series, m_breakAtGaps);
            drawPlot(plotPainter, key, &m_pyramid, &m_runPyramids);
            computeStatistics(key);
            m_plotKey = key;
        }
        painter.drawImage(0, 0, m_plot);
    }
    drawOverlays(painter);
}

// With the plot, not with every pointer move: a million visible readings are walked once.
void CGraphView::computeStatistics(const PlotKey &key)
{
    m_statistics.reset();
    m_runStatistics.clear();
    if (!m_statisticsShown || m_series == nullptr || m_timeBar == nullptr)
        return;
    m_statistics = ComputeReadingStatistics(*m_series, key.time.windowStart, key.time.windowEnd,
                                            key.thresholds);
    if (m_overlay != nullptr)
        for (const SeriesOverlay::Entry &entry : m_overlay->entries())
            m_runStatistics << SeriesStatisticsLine(
                entry.name, ComputeReadingStatistics(*entry.series, key.time.windowStart,
                                                     key.time.windowEnd, key.thresholds));
}

QStringList CGraphView::statisticsLines() const
{
    if (!m_statistics)
        return {};
    return StatisticsLines(*m_statistics, m_thresholds, firstDay()) << m_runStatistics;
}

QStringList CGraphView::markerLines() const
{
    QStringList lines;
    if (!m_marker)
        return lines;
    lines << MarkerText(*m_marker, firstDay());
    if (underMouse())
        if (const v4TermData *reading = ReadingAt(m_series, pointerTime()))
            lines << DifferenceText(*m_marker, *reading);
    return lines;
}

std::vector<TermDataFile *> CGraphView::curves() const
{
    std::vector<TermDataFile *> curves{m_series};
    if (m_overlay != nullptr)
        for (const SeriesOverlay::Entry &entry : m_overlay->entries())
            curves.push_back(entry.series.get());
    return curves;
}

std::vector<LegendEntry> CGraphView::legend() const
{
    std::vector<LegendEntry> legend;
    if (m_overlay == nullptr || m_overlay->empty())
        return legend;
    legend.push_back({MainSeriesName, CurveColor});
    for (const SeriesOverlay::Entry &entry : m_overlay->entries())
        legend.push_back({entry.name, entry.colour});
    return legend;
}

// Within a few pixels of the pointer: a curve met there is the one pointed at.
std::optional<int> CGraphView::curveUnderPointer() const
{
    if (m_overlay == nullptr || m_overlay->empty())
        return std::nullopt;
    constexpr double NearPixels = 8.0;
    const std::int32_t temperature = PointerTemperature(
        m_lastPointer.y(), height(), m_temperatureWindowStart, m_temperatureScale);
    const auto tolerance = m_temperatureScale > 0 ? truncated(NearPixels / m_temperatureScale) : 0;
    return CurveUnderPointer(curves(), pointerTime(), temperature, tolerance);
}

QString CGraphView::curveName(int index) const
{
    return index == 0 ? MainSeriesName
                      : m_overlay->entries()[static_cast<std::size_t>(index - 1)].name;
}

QStringList CGraphView::overlayLines() const
{
    QStringList lines = statisticsLines();
    lines << markerLines() << noteLines();
    for (const LegendEntry &entry : legend())
        lines << entry.name;
    if (underMouse()) {
        if (const std::optional<int> pointed = curveUnderPointer())
            lines << QStringLiteral("Под указателем: ") + curveName(*pointed);
    }
    return lines;
}

void CGraphView::drawOverlays(QPainter &painter)
{
    QPainterCanvas canvas(painter, QPainterCanvas::Mapping::DevicePixels);
    const QStringList statistics = statisticsLines();
    const std::optional<int> x =
        m_marker ? std::optional<int>(truncated(
                       (static_cast<double>(m_marker->time) - m_timeWindowStart) * m_timeScale))
                 : std::nullopt;
    const QStringList lines = x ? markerLines() : QStringList();
    const std::vector<LegendEntry> legendEntries = legend();
    QStringList names;
    for (const LegendEntry &entry : legendEntries)
        names << entry.name;
    const OverlayPlaces places =
        PlaceOverlays(size(), statistics.isEmpty() ? QSize() : TextBoxSize(canvas, statistics), x,
                      lines.isEmpty() ? QSize() : TextBoxSize(canvas, lines),
                      names.isEmpty() ? QSize() : LegendBoxSize(canvas, names));
    // The marker's line under the boxes.
    if (places.marker) {
        const QPen previous = canvas.selectPen(QPen(QColor(MarkerColor), 1));
        canvas.moveTo(QPoint(*x, 0));
        canvas.lineTo(QPoint(*x, height()));
        canvas.selectPen(previous);
    }
    if (!statistics.isEmpty())
        DrawTextBox(canvas, places.statistics, statistics);
    if (places.legend)
        DrawLegend(canvas, *places.legend, legendEntries);
    if (places.marker)
        DrawTextBox(canvas, *places.marker, lines);
    if (m_notes != nullptr && m_timeBar != nullptr) {
        const NoteFlagAxis axis = noteFlagAxis();
        DrawNoteFlags(canvas, axis, *m_notes, paintsPicture());
        // The list stands above the flags, so that none hides a number.
        const QStringList notes = noteLines();
        if (!notes.isEmpty()) {
            const QSize box = TextBoxSize(canvas, notes);
            DrawTextBox(canvas, QPoint(4, std::max(0, axis.top - 4 - box.height())), notes);
        }
    }
    const QString description = overlayLines().join(u'\n');
    if (accessibleDescription() != description)
        setAccessibleDescription(description);
}

void CGraphView::drawPlot(QPainter &painter, const PlotKey &key, const CurvePyramid *pyramid,
                          const std::vector<CurvePyramid> *runPyramids) const
{
    QPainterCanvas canvas(painter, QPainterCanvas::Mapping::DevicePixels);
    const QSize client = key.client;
    canvas.fillRect(cornerRect(0, 0, client.width(), client.height()), QColor(PlotBackgroundColor));
    if (m_temperatureBar == nullptr || m_timeBar == nullptr)
        return;
    DrawGrid(canvas, client, key.temperature, key.time);
    DrawThresholds(canvas, client, key.temperature, key.thresholds);
    // The runs compared under the main curve, which stays on top.
    if (m_overlay != nullptr)
        for (std::size_t i = 0; i < m_overlay->entries().size(); ++i) {
            const SeriesOverlay::Entry &entry = m_overlay->entries()[i];
            DrawCurve(canvas, client, entry.series.get(), key.temperature, key.time,
                      m_timeWindowStart, m_breakAtGaps, QPen(QColor(entry.colour), 1),
                      runPyramids != nullptr && i < runPyramids->size() ? &(*runPyramids)[i]
                                                                        : nullptr);
        }
    DrawCurve(canvas, client, m_series, key.temperature, key.time, m_timeWindowStart, m_breakAtGaps,
              m_curvePen, pyramid);
}

bool CGraphView::event(QEvent *event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    // A tooltip already up keeps its text until the pointer leaves its square.
    if (!m_tooltip->isVisible() && m_notes != nullptr && m_timeBar != nullptr) {
        // Over a flag the tooltip gives its note.
        const NoteFlagAxis axis = noteFlagAxis();
        constexpr int FlagReach = 4;
        const QString notes = m_lastPointer.y() >= axis.top - FlagReach
                                  ? NoteTextsNear(*m_notes, axis, m_lastPointer.x(), FlagReach)
                                  : QString();
        if (!notes.isEmpty()) {
            showTooltip(notes, static_cast<QHelpEvent *>(event)->globalPos());
            return true;
        }
    }
    if (!m_tooltip->isVisible()) {
        // Over a compared run the tooltip gives its reading, under its name.
        const std::optional<int> pointed = curveUnderPointer();
        QString text = TooltipText(curves()[static_cast<std::size_t>(pointed.value_or(0))],
                                   pointerTime(), firstDay());
        if (!text.isEmpty() && pointed)
            text = curveName(*pointed) + u'\n' + text;
        if (!text.isEmpty())
            showTooltip(text, static_cast<QHelpEvent *>(event)->globalPos());
    }
    return true;
}

void CGraphView::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint position = event->position().toPoint();
    if (PointerLeavesTooltipSquare(m_lastPointer, position))
        hideTooltip();
    m_lastPointer = position;
    const std::int32_t temperature =
        PointerTemperature(position.y(), height(), m_temperatureWindowStart, m_temperatureScale);
    const std::int32_t time = PointerTime(position.x(), m_timeWindowStart, m_timeScale);
    // Over a run compared the readout names the curve, as the tooltip does.
    const std::optional<int> pointed = curveUnderPointer();
    emit pointerTextChanged(
        TemperaturePane,
        TemperatureReadoutText(temperature, pointed ? curveName(*pointed) : QString()));
    emit pointerTextChanged(TimePane, TimeReadoutText(time, firstDay()));
    if (m_zoomOrigin && (event->buttons() & Qt::LeftButton))
        dragZoomRectangle(position);
    // The difference to the marker, and the name of the curve pointed at, follow the pointer.
    if (m_marker || (m_overlay != nullptr && !m_overlay->empty()))
        update();
}

void CGraphView::mousePressEvent(QMouseEvent *event)
{
    hideTooltip();
    m_lastPointer = event->position().toPoint();
    if (event->button() == Qt::RightButton)
        emit contextMenuRequested(mapToGlobal(event->position().toPoint()));
    else if (event->button() == Qt::LeftButton) {
        m_zoomOrigin = event->position().toPoint();
        m_markerBeforeClick.reset();
    }
}

// A click is not a drag: the rectangle appears once the pointer has moved as far as a drag
// needs on this desktop.
void CGraphView::dragZoomRectangle(QPoint position)
{
    if (m_zoomRectangle == nullptr) {
        if ((position - *m_zoomOrigin).manhattanLength() < QApplication::startDragDistance())
            return;
        m_zoomRectangle = new QRubberBand(QRubberBand::Rectangle, this);
    }
    // From the corners' own coordinates: normalized() of a rectangle dragged leftwards or
    // upwards loses a pixel at each side.
    const QPoint topLeft(std::min(position.x(), m_zoomOrigin->x()),
                         std::min(position.y(), m_zoomOrigin->y()));
    const QPoint bottomRight(std::max(position.x(), m_zoomOrigin->x()),
                             std::max(position.y(), m_zoomOrigin->y()));
    m_zoomRectangle->setGeometry(QRect(topLeft, bottomRight) & rect());
    m_zoomRectangle->show();
}

void CGraphView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const bool pressedHere = m_zoomOrigin.has_value();
    m_zoomOrigin.reset();
    if (m_zoomRectangle == nullptr) {
        // A click without a drag marks the reading under the pointer.
        if (pressedHere)
            if (const v4TermData *reading =
                    ReadingAt(m_series, PointerTime(event->position().toPoint().x(),
                                                    m_timeWindowStart, m_timeScale))) {
                m_markerBeforeClick = m_marker;
                setMarker(*reading);
            }
        return;
    }
    const QRect dragged = m_zoomRectangle->geometry();
    delete m_zoomRectangle;
    m_zoomRectangle = nullptr;
    // A rectangle of one pixel's width or height spans no time or no temperature.
    if (dragged.width() < 2 || dragged.height() < 2)
        return;
    emit zoomRequested(
        PointerTime(dragged.left(), m_timeWindowStart, m_timeScale),
        PointerTime(dragged.right(), m_timeWindowStart, m_timeScale),
        PointerTemperature(dragged.bottom(), height(), m_temperatureWindowStart,
                           m_temperatureScale),
        PointerTemperature(dragged.top(), height(), m_temperatureWindowStart, m_temperatureScale));
}

void CGraphView::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        // The first click of the two marked a reading; a double click only shows the whole
        // graph, so the marker goes back to what it was.
        if (m_markerBeforeClick)
            setMarker(*m_markerBeforeClick);
        m_markerBeforeClick.reset();
        emit wholeGraphRequested();
    } else {
        QWidget::mouseDoubleClickEvent(event);
    }
}

void CGraphView::leaveEvent(QEvent *event)
{
    hideTooltip();
    QWidget::leaveEvent(event);
}

void CGraphView::hideEvent(QHideEvent *event)
{
    hideTooltip();
    QWidget::hideEvent(event);
}

QDate CGraphView::firstDay() const
{
    return m_timeBar != nullptr ? m_timeBar->GetFirstDay() : QDate();
}

std::int32_t CGraphView::pointerTime() const
{
    return PointerTime(m_lastPointer.x(), m_timeWindowStart, m_timeScale);
}

void CGraphView::showTooltip(const QString &text, QPoint globalPos)
{
    m_tooltip->setText(text);
    m_tooltip->adjustSize();
    m_tooltip->move(tooltipPosition(globalPos, m_tooltip->size(), screen()));
    m_tooltip->show();
    m_tooltipExpiry.start();
}

void CGraphView::hideTooltip()
{
    m_tooltipExpiry.stop();
    m_tooltip->hide();
}
