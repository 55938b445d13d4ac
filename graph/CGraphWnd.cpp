#include "graph/CGraphWnd.h"

#include "companions/CRangeBar.h"
#include "companions/FormatOutTime.h"
#include "companions/TermDataFile.h"
#include "plot/CGraphView.h"
#include "plot/GraphPageContext.h"
#include "plot/SeriesFollowing.h"
#include "resources/Strings.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>
#include <QStatusBar>
#include <QWheelEvent>

#include <algorithm>
#include <limits>
#include <optional>
#include <vector>

namespace {

constexpr int StatusPaneIds[CGraphWnd::StatusPaneCount] = {
    ID_INDICATOR_TEMPERATURE, ID_INDICATOR_TIME, ID_INDICATOR_TEMPERATURE_RANGE,
    ID_INDICATOR_TIME_RANGE};
constexpr int TemperatureRangePane = 2;
constexpr int TimeRangePane = 3;
constexpr int StatusPaneMargin = 2;

CRangeBar *makeBar(QWidget *parent, std::int32_t style, int id, const QString &name)
{
    auto *bar = new CRangeBar(parent);
    bar->setAccessibleName(name);
    bar->SetCtrlStyle(style);
    bar->setControlId(id);
    return bar;
}

} // namespace

GraphPrintContext CGraphWnd::printContext() const
{
    GraphPrintContext context;
    if (const CRangeBar *bar = m_temperatureBar) {
        context.temperatureWindowStart = bar->GetWinMin();
        context.temperatureWindowEnd = bar->GetWinMax();
        context.temperatureRangeMax = bar->GetMax();
    }
    if (const CRangeBar *bar = m_timeBar) {
        context.timeWindowStart = bar->GetWinMin();
        context.timeWindowEnd = bar->GetWinMax();
    }
    if (const CRangeBar *bar = m_timeBar)
        context.firstDay = bar->GetFirstDay();
    context.breakAtGaps = m_view->breakAtGaps();
    if (const ReadingNotes *notes = m_view->notes())
        context.notes = *notes;
    context.thresholds = m_view->thresholds();
    const SeriesOverlay *overlay = m_view->overlay();
    if (overlay != nullptr && !overlay->empty())
        context.statistics = m_view->statisticsLines();
    return GraphPageContext(m_view->series(), std::move(context), overlay,
                            CGraphView::MainSeriesName);
}

CGraphWnd::CGraphWnd(Bars bars)
    : QWidget(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("-- График --"));
    createStatusLine();
    m_view = new CGraphView(this);
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this,
            &CGraphWnd::helpRequested);
    createCommands();
    connect(m_view, &CGraphView::pointerTextChanged, this, &CGraphWnd::setStatusText);
    connect(m_view, &CGraphView::contextMenuRequested, this, &CGraphWnd::OnContextMenu);
    connect(m_view, &CGraphView::zoomRequested, this, &CGraphWnd::zoomTo);
    connect(m_view, &CGraphView::wholeGraphRequested, this, &CGraphWnd::ShowWholeGraph);
    if (bars.testFlag(TemperatureBar))
        m_temperatureBar = makeBar(this, RangeBarStyleTemperature, TemperatureBarId,
                                   QStringLiteral("Шкала температуры"));
    if (bars.testFlag(TimeBar))
        m_timeBar = makeBar(this, RangeBarStyleTime, TimeBarId, QStringLiteral("Шкала времени"));
    m_view->setBars(m_temperatureBar, m_timeBar);
    for (CRangeBar *bar : {m_temperatureBar, m_timeBar}) {
        if (bar != nullptr)
            connect(bar, &CRangeBar::rangeBarNotify, this, &CGraphWnd::OnRangeBarNotify);
    }
    setStartingValues();
    move(0, 0);
    resize(300, 200);
    RecalcLayout();
}

void CGraphWnd::createStatusLine()
{
    // The panes are placed by hand rather than by the status bar's layout, which squeezes
    // fixed-width panes over one another when the window is narrower than all four.
    m_statusLine = new QStatusBar(this);
    m_statusLine->setSizeGripEnabled(false);
    for (int pane = 0; pane < StatusPaneCount; ++pane) {
        auto *label = new QLabel(loadString(StatusPaneIds[pane]), m_statusLine);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setFixedSize(label->sizeHint());
        m_panes[static_cast<std::size_t>(pane)] = label;
    }
    m_statusLine->setFixedHeight(m_panes[0]->height() + 2 * StatusPaneMargin);
    // The window's, not the status line's: it stands over the panes it meets, so that the
    // crossing shows in a window too narrow for them all.
    m_alarmPane = new QLabel(this);
    m_alarmPane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_alarmPane->setAutoFillBackground(true);
    m_alarmPane->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
    m_alarmPane->hide();
}

void CGraphWnd::setAlarmText(const QString &text)
{
    m_alarmPane->setText(text);
    m_alarmPane->setVisible(!text.isEmpty());
    layoutAlarmPane();
}

QString CGraphWnd::alarmText() const
{
    return m_alarmPane->text();
}

void CGraphWnd::layoutAlarmPane()
{
    const QRect line = m_statusLine->geometry();
    const int width =
        std::min(m_alarmPane->sizeHint().width(), line.width() - 2 * StatusPaneMargin);
    m_alarmPane->setGeometry(line.right() + 1 - StatusPaneMargin - width,
                             line.top() + StatusPaneMargin, width, m_panes[0]->height());
    m_alarmPane->raise();
}

// Each pane keeps its template's width, one after the other from the left; what the window
// cannot hold is cut off at its right edge.
void CGraphWnd::layoutStatusPanes()
{
    int x = StatusPaneMargin;
    for (QLabel *pane : m_panes) {
        pane->move(x, StatusPaneMargin);
        x += pane->width() + StatusPaneMargin;
    }
}

void CGraphWnd::setStartingValues()
{
    if (m_timeBar != nullptr) {
        m_timeBar->SetMax(0);
        m_timeBar->SetMin(-1000);
        m_timeBar->SetWinMin(-1000);
        m_timeBar->SetWinMax(0);
    }
    if (m_temperatureBar != nullptr) {
        m_temperatureBar->SetMax(10);
        m_temperatureBar->SetMin(0);
        m_temperatureBar->SetWinMax(10);
        m_temperatureBar->SetWinMin(0);
    }
}

void CGraphWnd::setStatusText(int pane, const QString &text)
{
    if (pane < 0 || pane >= StatusPaneCount)
        return;
    QLabel *label = m_panes[static_cast<std::size_t>(pane)];
    label->setText(text);
    // A pane grows to a longer text (a curve's name, a day), never shrinks below its template.
    if (label->sizeHint().width() > label->width()) {
        label->setFixedWidth(label->sizeHint().width());
        layoutStatusPanes();
    }
}

QString CGraphWnd::statusText(int pane) const
{
    if (pane < 0 || pane >= StatusPaneCount)
        return {};
    return m_panes[static_cast<std::size_t>(pane)]->text();
}

CGraphWnd::Thickness CGraphWnd::thickness() const
{
    return {m_temperatureBar != nullptr ? m_temperatureBar->GetStaticSize() : 0,
            m_timeBar != nullptr ? m_timeBar->GetStaticSize() : 0, m_statusLine->height()};
}

void CGraphWnd::RecalcLayout()
{
    const int statusHeight = m_statusLine->height();
    m_statusLine->setGeometry(0, height() - statusHeight, width(), statusHeight);
    layoutStatusPanes();
    layoutAlarmPane();

    const Thickness t = thickness();
    const int plotBottom = height() - t.statusLine - t.timeBar;
    const int plotWidth = std::max(0, width() - t.temperatureBar);
    const int plotHeight = std::max(0, plotBottom);
    m_view->setGeometry(t.temperatureBar, 0, plotWidth, plotHeight);
    if (m_temperatureBar != nullptr)
        m_temperatureBar->setGeometry(0, 0, t.temperatureBar, plotHeight);
    if (m_timeBar != nullptr)
        m_timeBar->setGeometry(t.temperatureBar, plotBottom, plotWidth, t.timeBar);
    update();
}

void CGraphWnd::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    RecalcLayout();
}

void CGraphWnd::paintEvent(QPaintEvent *)
{
    const Thickness t = thickness();
    QPainter painter(this);
    painter.fillRect(
        QRect(0, m_statusLine->geometry().top() - t.timeBar, t.temperatureBar, t.timeBar),
        QColor(CornerColor));
}

void CGraphWnd::closeEvent(QCloseEvent *event)
{
    event->ignore();
    emit graphClosed();
}

void CGraphWnd::wheelEvent(QWheelEvent *event)
{
    OnMouseWheel(event->modifiers(), WheelDelta(*event), event->globalPosition().toPoint());
    QWidget::wheelEvent(event);
}

void CGraphWnd::OnMouseWheel(Qt::KeyboardModifiers modifiers, short delta, QPoint globalPoint)
{
    const QPoint point = mapFromGlobal(globalPoint);
    const Thickness t = thickness();
    const int plotBottom = height() - t.statusLine - t.timeBar;
    const QRect timeBarArea(t.temperatureBar, plotBottom, width() - t.temperatureBar, t.timeBar);
    const QRect temperatureBarArea(0, 0, t.temperatureBar, plotBottom);
    // The bars map the point themselves, so they get it in global coordinates.
    if (m_timeBar != nullptr && timeBarArea.contains(point))
        m_timeBar->OnMouseWheel(modifiers, delta, globalPoint);
    else if (m_temperatureBar != nullptr && temperatureBarArea.contains(point))
        m_temperatureBar->OnMouseWheel(modifiers, delta, globalPoint);
}

void CGraphWnd::OnSetSeries(std::uint32_t limits, TermDataFile *series)
{
    if (m_temperatureBar != nullptr) {
        const ScaleSpan range = TemperatureRangeFor(limits);
        m_temperatureBar->SetMax(range.high);
        m_temperatureBar->SetMin(range.low);
    }
    m_view->setTemperatureWindowStart(m_temperatureBar != nullptr ? m_temperatureBar->GetMin()
                                                                  : GraphSeriesLowest(limits));
    m_view->setSeries(series);
    if (series == nullptr || series->count <= 0 || m_timeBar == nullptr)
        return;
    const std::int32_t last = series->records[series->count - 1].time;
    // Times past a day come only from files joined into one timeline: the days are shown.
    m_timeBar->SetFirstDay(last >= MillisecondsPerDay ? series->date : QDate());
    m_timeBar->SetMax(last);
    m_timeBar->SetWinMax(last);
    m_timeBar->SetStartTime(MidnightOf(series->date));
}

namespace {

BarSpans spansOf(const CRangeBar &bar)
{
    return {bar.GetMin(), bar.GetMax(), bar.GetWinMin(), bar.GetWinMax()};
}

// The range before the window, and a window end only where it moves, as the bars' own
// commands set them.
void setSpans(CRangeBar &bar, const BarSpans &spans)
{
    bar.SetMax(spans.max);
    bar.SetMin(spans.min);
    if (spans.winMax != bar.GetWinMax())
        bar.SetWinMax(spans.winMax);
    if (spans.winMin != bar.GetWinMin())
        bar.SetWinMin(spans.winMin);
}

} // namespace

void CGraphWnd::OnSeriesGrew(std::uint32_t previousLimits, std::uint32_t limits)
{
    if (m_temperatureBar != nullptr) {
        const ScaleSpan range = TemperatureRangeFor(limits);
        setSpans(*m_temperatureBar,
                 FollowedTemperatureBar(
                     spansOf(*m_temperatureBar),
                     {GraphSeriesLowest(previousLimits), GraphSeriesHighest(previousLimits)},
                     {GraphSeriesLowest(limits), GraphSeriesHighest(limits)}, range.low,
                     range.high));
    }
    TermDataFile *series = m_view->series();
    // The same series with records appended: the view draws it anew from what it kept of it.
    m_view->seriesGrew();
    if (series == nullptr || series->count <= 0 || m_timeBar == nullptr)
        return;
    setSpans(*m_timeBar,
             FollowedTimeBar(spansOf(*m_timeBar), series->records[series->count - 1].time));
}

void CGraphWnd::OnRangeBarNotify(CRangeBar *bar, int code)
{
    if (bar == nullptr || (bar != m_temperatureBar && bar != m_timeBar))
        return;
    const bool rangeChanged = code == RangeBarMinChanged || code == RangeBarMaxChanged;
    const bool windowChanged = code == RangeBarWinMinChanged || code == RangeBarWinMaxChanged;
    if (bar == m_temperatureBar) {
        if (rangeChanged)
            showTemperatureRange();
        else if (windowChanged)
            m_view->setTemperatureWindow(bar->GetWinMin(), bar->GetScale());
    } else if (rangeChanged || windowChanged) {
        if (rangeChanged)
            showTimeRange();
        else
            m_view->setTimeWindow(bar->GetWinMin(), bar->GetScale());
        FitTemperatureWindow();
    }
    m_view->update();
}

void CGraphWnd::showTemperatureRange()
{
    // Signed: a range reaches below 0 °C as soon as the lowest reading is under the margin.
    setStatusText(TemperatureRangePane, QStringLiteral("Min %1 °C - Max %2 °C")
                                            .arg(m_temperatureBar->GetMin())
                                            .arg(m_temperatureBar->GetMax()));
}

void CGraphWnd::showTimeRange()
{
    const QDate &day = m_timeBar->GetFirstDay();
    if (day.isValid()) {
        const QString format = QStringLiteral("dd.MM.yyyy");
        setStatusText(TimeRangePane, QStringLiteral("Время %1 - %2")
                                         .arg(DatedTimeText(day, m_timeBar->GetMin(), format),
                                              DatedTimeText(day, m_timeBar->GetMax(), format)));
        return;
    }
    setStatusText(TimeRangePane,
                  QStringLiteral("Время от начала опроса %1 - %2")
                      .arg(TimeText(m_timeBar->GetMin()), TimeText(m_timeBar->GetMax())));
}

void CGraphWnd::FitTemperatureWindow()
{
    TermDataFile *series = m_view->series();
    if (!m_automaticLimits || m_temperatureBar == nullptr || m_timeBar == nullptr ||
        series == nullptr)
        return;
    std::optional<ScaleSpan> readings =
        ReadingSpan(*series, m_timeBar->GetWinMin(), m_timeBar->GetWinMax());
    // The runs compared are fitted too, so that none leaves the plot.
    if (const SeriesOverlay *overlay = m_view->overlay())
        for (const SeriesOverlay::Entry &entry : overlay->entries())
            if (const std::optional<ScaleSpan> run =
                    ReadingSpan(*entry.series, m_timeBar->GetWinMin(), m_timeBar->GetWinMax()))
                readings = readings ? ScaleSpan{std::min(readings->low, run->low),
                                                std::max(readings->high, run->high)}
                                    : run;
    if (!readings)
        return;
    if (readings->high != m_temperatureBar->GetWinMax())
        m_temperatureBar->SetWinMax(readings->high);
    if (readings->low != m_temperatureBar->GetWinMin())
        m_temperatureBar->SetWinMin(readings->low);
}

void CGraphWnd::createCommands()
{
    const auto statistics = [this] {
        const bool shown = !m_view->statisticsShown();
        m_view->setStatisticsShown(shown);
        emit statisticsToggled(shown);
    };
    const auto follow = [this] {
        m_following = !m_following;
        emit followingToggled(m_following);
    };
    for (GraphCommand &command : std::vector<GraphCommand>{
             {QStringLiteral("wholeGraph"), QStringLiteral("Весь график"),
              [this] { ShowWholeGraph(); }},
             {QStringLiteral("autoLimits"),
              QStringLiteral("Автоматический выбор пределов температуры"),
              [this] { ToggleAutoLimits(); }, [this] { return m_automaticLimits; }},
             {QStringLiteral("noGaps"), QStringLiteral("Не отображать разрывы в измерениях"),
              [this] { ToggleGaps(); }, [this] { return m_view->breakAtGaps(); }},
             {QStringLiteral("statistics"), QStringLiteral("Статистика"), statistics,
              [this] { return m_view->statisticsShown(); }},
             {QStringLiteral("follow"), QStringLiteral("Следить за приемом"), follow,
              [this] { return m_following; }},
             {QStringLiteral("removeMarker"),
              QStringLiteral("Убрать маркер"),
              [this] { removeMarker(); },
              {},
              [this] { return m_view->marker().has_value(); },
              QKeySequence::Cancel},
         })
        m_commands.add(std::move(command));
}

void CGraphWnd::OnContextMenu(QPoint globalPoint)
{
    contextMenu()->exec(globalPoint);
}

namespace {

void showWholeRange(CRangeBar &bar)
{
    bar.SetWinMax(bar.GetMax());
    bar.SetWinMin(bar.GetMin());
}

} // namespace

void CGraphWnd::ShowWholeGraph()
{
    if (m_timeBar != nullptr)
        showWholeRange(*m_timeBar);
    if (m_temperatureBar != nullptr) {
        if (m_automaticLimits)
            FitTemperatureWindow();
        else
            showWholeRange(*m_temperatureBar);
    }
}

namespace {

// Inside the present window, so the start never passes the present end on the way.
void showWindow(CRangeBar &bar, std::int32_t start, std::int32_t end)
{
    bar.SetWinMin(start);
    bar.SetWinMax(end);
}

} // namespace

void CGraphWnd::zoomTo(std::int32_t timeStart, std::int32_t timeEnd, std::int32_t temperatureLow,
                       std::int32_t temperatureHigh)
{
    if (m_timeBar != nullptr)
        showWindow(*m_timeBar, timeStart, timeEnd);
    if (m_temperatureBar != nullptr && !m_automaticLimits)
        showWindow(*m_temperatureBar, temperatureLow, temperatureHigh);
}

namespace {

// Range first, then the window widened to the range before it narrows to the other's, so
// that no setter meets a window the bar would have to move.
void copyBar(const CRangeBar *from, CRangeBar *to)
{
    if (from == nullptr || to == nullptr)
        return;
    to->SetFirstDay(from->GetFirstDay());
    to->SetMin(std::min(from->GetMin(), to->GetMin()));
    to->SetMax(std::max(from->GetMax(), to->GetMax()));
    to->SetWinMin(to->GetMin());
    to->SetWinMax(to->GetMax());
    to->SetMin(from->GetMin());
    to->SetMax(from->GetMax());
    to->SetWinMin(from->GetWinMin());
    to->SetWinMax(from->GetWinMax());
    to->SetStartTime(from->GetStartTime());
}

} // namespace

void CGraphWnd::showSameAs(const CGraphWnd &shown)
{
    m_view->setSeries(shown.m_view->series());
    m_view->setOverlay(shown.m_view->overlay());
    if (m_view->breakAtGaps() != shown.m_view->breakAtGaps())
        m_view->toggleBreakAtGaps();
    copyBar(shown.m_temperatureBar, m_temperatureBar);
    copyBar(shown.m_timeBar, m_timeBar);
    m_view->setThresholds(shown.m_view->thresholds());
    m_view->setStatisticsShown(shown.m_view->statisticsShown());
    m_view->setMarker(shown.m_view->marker());
    m_view->setNotes(shown.m_view->notes());
    for (int pane = 0; pane < StatusPaneCount; ++pane)
        setStatusText(pane, shown.statusText(pane));
    setAlarmText(shown.alarmText());
}

void CGraphWnd::removeMarker()
{
    m_view->setMarker(std::nullopt);
}

void CGraphWnd::ToggleAutoLimits()
{
    m_automaticLimits = !m_automaticLimits;
    FitTemperatureWindow();
}

void CGraphWnd::ToggleGaps()
{
    m_view->toggleBreakAtGaps();
    update();
}

// The only part of the frame itself under the pointer is the corner square.
void CGraphWnd::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton)
        OnContextMenu(event->globalPosition().toPoint());
    else
        QWidget::mousePressEvent(event);
}
