#include "graph/CGraphWnd.h"

#include "companions/CRangeBar.h"
#include "companions/TermDataFile.h"
#include "plot/CGraphView.h"
#include "plot/PointerReadout.h"
#include "resources/Strings.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

namespace {

using Bars = CGraphWnd::Bars;
const Bars BothBars = CGraphWnd::TemperatureBar | CGraphWnd::TimeBar;

struct Window
{
    std::int32_t minimum, maximum, windowStart, windowEnd;
    bool operator==(const Window &) const = default;
};

std::ostream &operator<<(std::ostream &out, const Window &w)
{
    return out << w.minimum << ".." << w.maximum << " window " << w.windowStart << ".."
               << w.windowEnd;
}

Window windowOf(const CRangeBar *bar)
{
    return {bar->GetMin(), bar->GetMax(), bar->GetWinMin(), bar->GetWinMax()};
}

void showAt(CGraphWnd &frame, QSize size)
{
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    frame.resize(size);
    QTRY_COMPARE(frame.size(), size);
}

// What a launch hands the frame: the series, then the temperature window and the time range.
void launch(CGraphWnd &frame, TermDataFile &series)
{
    frame.OnSetSeries(GraphSeriesLimits(static_cast<std::int16_t>(series.minTemperature),
                                        static_cast<std::int16_t>(series.maxTemperature)),
                      &series);
    frame.temperatureBar()->SetWinMin(series.minTemperature);
    frame.temperatureBar()->SetWinMax(series.maxTemperature);
    frame.timeBar()->SetMin(series.records[0].time);
    frame.timeBar()->SetMax(series.records[series.count - 1].time);
}

TEST(CGraphWnd, IsAHiddenToolWindowAtTheOrigin)
{
    CGraphWnd frame;
    EXPECT_EQ(frame.windowTitle(), QStringLiteral("-- График --"));
    EXPECT_EQ(frame.windowType(), Qt::Tool);
    EXPECT_TRUE(frame.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(frame.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(frame.isVisible());
    EXPECT_EQ(frame.pos(), QPoint(0, 0));
    EXPECT_EQ(frame.size(), QSize(300, 200));
    EXPECT_EQ(frame.temperatureBar()->controlId(), CGraphWnd::TemperatureBarId);
    EXPECT_EQ(frame.timeBar()->controlId(), CGraphWnd::TimeBarId);
    EXPECT_FALSE(frame.automaticLimits());
}

TEST(CGraphWnd, StartsWithAnEmptySecondBeforeMidnightAndTenDegrees)
{
    CGraphWnd frame;
    EXPECT_EQ(windowOf(frame.timeBar()), (Window{-1000, 0, -1000, 0}));
    EXPECT_EQ(windowOf(frame.temperatureBar()), (Window{0, 10, 0, 10}));
    EXPECT_EQ(frame.view()->timeWindowStart(), -1000);
    EXPECT_EQ(frame.view()->temperatureWindowStart(), 0);
}

TEST(CGraphWnd, StatusPanesShowTheirTemplatesUntilSet)
{
    CGraphWnd frame;
    EXPECT_EQ(frame.statusText(0), QStringLiteral("Температура 0000 °\u0421 "));
    EXPECT_EQ(frame.statusText(1), QStringLiteral("Время 00:00:00.000 сек"));
    // The range panes already follow the starting ranges of the bars.
    EXPECT_EQ(frame.statusText(2), QStringLiteral("Min 0 °C - Max 10 °C"));
    EXPECT_EQ(frame.statusText(3),
              QStringLiteral("Время от начала опроса -00:00:01.000 - 00:00:00.000"));
    const QList<QLabel *> panes = frame.statusLine()->findChildren<QLabel *>();
    ASSERT_EQ(panes.size(), CGraphWnd::StatusPaneCount);
    for (int pane = 0; pane < CGraphWnd::StatusPaneCount; ++pane) {
        const QString widest = loadString(ID_INDICATOR_TEMPERATURE + pane);
        EXPECT_GE(panes[pane]->contentsRect().width(),
                  panes[pane]->fontMetrics().horizontalAdvance(widest))
            << "pane " << pane;
    }

    TermDataFile series;
    series.Add(60000, 20, 950);
    series.Add(3723456, 35, 950);
    series.minTemperature = 20;
    series.maxTemperature = 35;
    launch(frame, series);
    EXPECT_EQ(frame.statusText(0), QStringLiteral("Температура 0000 °\u0421 "));
    EXPECT_EQ(frame.statusText(1), QStringLiteral("Время 00:00:00.000 сек"));
    EXPECT_EQ(frame.statusText(2), QStringLiteral("Min 10 °C - Max 45 °C"));
    EXPECT_EQ(frame.statusText(3),
              QStringLiteral("Время от начала опроса 00:01:00.000 - 01:02:03.456"));

    frame.setStatusText(0, QStringLiteral("Температура 850 °С"));
    frame.setStatusText(4, QStringLiteral("no such pane"));
    EXPECT_EQ(frame.statusText(0), QStringLiteral("Температура 850 °С"));
    EXPECT_EQ(frame.statusText(4), QString());
}

TEST(CGraphWnd, StatusPanesStandInOrderAndAreCutAtANarrowWindowsEdge)
{
    CGraphWnd frame;
    showAt(frame, {300, 200});
    const QList<QLabel *> panes = frame.statusLine()->findChildren<QLabel *>();
    ASSERT_EQ(panes.size(), CGraphWnd::StatusPaneCount);
    // Each keeps its template's width (see above) and starts right of the one before.
    for (int pane = 1; pane < CGraphWnd::StatusPaneCount; ++pane)
        EXPECT_GT(panes[pane]->x(), panes[pane - 1]->geometry().right()) << "pane " << pane;
    EXPECT_LT(panes[0]->geometry().right(), frame.width()) << "the first pane shows whole";
    EXPECT_GT(panes[3]->geometry().right(), frame.width()) << "the last one is cut";
}

struct LayoutCase
{
    const char *what;
    Bars bars;
    QSize size;
};

void PrintTo(const LayoutCase &c, std::ostream *os)
{
    *os << c.what;
}

class CGraphWndLayout : public testing::TestWithParam<LayoutCase>
{
};

TEST_P(CGraphWndLayout, PlacesTheChildrenAroundTheCorner)
{
    const LayoutCase &c = GetParam();
    CGraphWnd frame(c.bars);
    showAt(frame, c.size);
    // The bars and the status line are as thick as their texts need; the rest is fixed.
    const int a = frame.temperatureBar() ? frame.temperatureBar()->GetStaticSize() : 0;
    const int b = frame.timeBar() ? frame.timeBar()->GetStaticSize() : 0;
    const QRect status = frame.statusLine()->geometry();
    const QRect view = frame.view()->geometry();
    ASSERT_GT(status.height(), 0);

    // The status line runs along the whole bottom edge; the plot fills the top right corner
    // beside the temperature bar, and the time bar lies between it and the status line.
    EXPECT_EQ(status.bottomLeft(), QPoint(0, c.size.height() - 1));
    EXPECT_EQ(status.width(), c.size.width());
    EXPECT_EQ(view.topLeft(), QPoint(a, 0));
    EXPECT_EQ(a + view.width(), c.size.width());
    EXPECT_EQ(view.height() + b + status.height(), c.size.height());
    if (frame.temperatureBar()) {
        EXPECT_EQ(frame.temperatureBar()->geometry(), QRect(0, 0, a, view.height()));
    }
    if (frame.timeBar()) {
        EXPECT_EQ(frame.timeBar()->geometry(), QRect(a, view.bottom() + 1, view.width(), b));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CGraphWndLayout,
    testing::Values(LayoutCase{"both bars, first size", BothBars, {300, 200}},
                    LayoutCase{"both bars, wide", BothBars, {900, 240}},
                    LayoutCase{"both bars, tall", BothBars, {320, 700}},
                    LayoutCase{"no temperature bar", CGraphWnd::TimeBar, {400, 300}},
                    LayoutCase{"no time bar", CGraphWnd::TemperatureBar, {400, 300}},
                    LayoutCase{"no bars", Bars(), {400, 300}}));

TEST(CGraphWnd, FillsTheCornerInItsOwnColour)
{
    CGraphWnd frame;
    showAt(frame, {400, 300});
    const int a = frame.temperatureBar()->GetStaticSize();
    const int b = frame.timeBar()->GetStaticSize();
    const int cornerBottom = frame.statusLine()->geometry().top();
    const QImage image = frame.grab().toImage();

    EXPECT_EQ(image.pixel(0, cornerBottom - b), CGraphWnd::CornerColor);
    EXPECT_EQ(image.pixel(a - 1, cornerBottom - 1), CGraphWnd::CornerColor);
    EXPECT_NE(image.pixel(a, cornerBottom - 1), CGraphWnd::CornerColor) << "the time bar";
    EXPECT_NE(image.pixel(0, cornerBottom - b - 1), CGraphWnd::CornerColor)
        << "the temperature bar";
}

TEST(CGraphWnd, ClosingOnlyTellsTheOwner)
{
    CGraphWnd frame;
    showAt(frame, {300, 200});
    QSignalSpy closed(&frame, &CGraphWnd::graphClosed);
    EXPECT_FALSE(frame.close());
    EXPECT_EQ(closed.count(), 1);
    EXPECT_TRUE(frame.isVisible());
}

struct SeriesLimitsCase
{
    const char *what;
    std::int16_t lowest;
    std::int16_t highest;
    std::int32_t rangeMinimum;
    std::int32_t rangeMaximum;
};

void PrintTo(const SeriesLimitsCase &c, std::ostream *os)
{
    *os << c.what;
}

class CGraphWndSeriesLimits : public testing::TestWithParam<SeriesLimitsCase>
{
};

TEST_P(CGraphWndSeriesLimits, SetTheTemperatureRangeWithAMargin)
{
    const SeriesLimitsCase &c = GetParam();
    CGraphWnd frame;
    TermDataFile series;
    series.date = QDate(2024, 3, 15);
    series.Add(1000, 20, 950);
    series.Add(9000, 35, 950);

    frame.OnSetSeries(GraphSeriesLimits(c.lowest, c.highest), &series);

    const CRangeBar *temperature = frame.temperatureBar();
    EXPECT_EQ(temperature->GetMin(), c.rangeMinimum);
    EXPECT_EQ(temperature->GetMax(), c.rangeMaximum);
    EXPECT_EQ(frame.view()->temperatureWindowStart(), c.rangeMinimum);
    EXPECT_EQ(frame.view()->series(), &series);
    EXPECT_EQ(frame.timeBar()->GetMax(), 9000);
    EXPECT_EQ(frame.timeBar()->GetWinMax(), 9000);
    EXPECT_EQ(frame.timeBar()->GetStartTime(),
              QDateTime(QDate(2024, 3, 15), QTime(0, 0)).toSecsSinceEpoch());
}

INSTANTIATE_TEST_SUITE_P(Cases, CGraphWndSeriesLimits,
                         testing::Values(SeriesLimitsCase{"no limits", 0, 0, 0, 2000},
                                         SeriesLimitsCase{"20 to 35", 20, 35, 10, 45},
                                         SeriesLimitsCase{"below zero", -25, 30, -35, 40},
                                         SeriesLimitsCase{"hot", 800, 1450, 790, 1460}));

TEST(CGraphWnd, TheStartTimeOfADayBefore1900IsZero)
{
    CGraphWnd frame;
    TermDataFile series;
    series.Add(1000, 20, 950);
    for (const QDate &date : {QDate(), QDate(1899, 12, 31)}) {
        frame.timeBar()->SetStartTime(12345);
        series.date = date;
        frame.OnSetSeries(GraphSeriesLimits(20, 20), &series);
        EXPECT_EQ(frame.timeBar()->GetStartTime(), 0) << date.toString().toStdString();
    }
}

TEST(CGraphWnd, WorksWithoutBars)
{
    CGraphWnd frame{Bars()};
    TermDataFile series;
    series.Add(1000, 20, 950);
    series.Add(2000, 30, 950);
    frame.setAutomaticLimits(true);
    frame.OnSetSeries(GraphSeriesLimits(20, 30), &series);
    frame.FitTemperatureWindow();
    frame.OnMouseWheel({}, 120, frame.mapToGlobal(QPoint(2, 2)));
    EXPECT_EQ(frame.view()->temperatureWindowStart(), 20);
    EXPECT_EQ(frame.view()->series(), &series);
}

TEST(CGraphWnd, ViewCopiesFollowTheWindowsOfTheBars)
{
    CGraphWnd frame;
    showAt(frame, {400, 300});
    TermDataFile series;
    series.Add(1000, 20, 950);
    series.Add(9000, 80, 950);
    series.minTemperature = 20;
    series.maxTemperature = 80;
    launch(frame, series);
    frame.timeBar()->SetWinMin(3000);
    frame.temperatureBar()->SetWinMin(40);

    EXPECT_EQ(frame.view()->timeWindowStart(), 3000);
    EXPECT_DOUBLE_EQ(frame.view()->timeScale(), frame.timeBar()->GetScale());
    EXPECT_EQ(frame.view()->temperatureWindowStart(), 40);
    EXPECT_DOUBLE_EQ(frame.view()->temperatureScale(), frame.temperatureBar()->GetScale());

    // A new size alone changes the scales.
    showAt(frame, {700, 500});
    EXPECT_DOUBLE_EQ(frame.view()->timeScale(), frame.timeBar()->GetScale());
    EXPECT_DOUBLE_EQ(frame.view()->temperatureScale(), frame.temperatureBar()->GetScale());
}

TEST(CGraphWnd, TheTimeRangeTextFollowsTheRangeNotTheWindow)
{
    CGraphWnd frame;
    TermDataFile series;
    series.Add(1000, 20, 950);
    series.Add(9000, 80, 950);
    launch(frame, series);
    const QString whole = QStringLiteral("Время от начала опроса 00:00:01.000 - 00:00:09.000");
    ASSERT_EQ(frame.statusText(3), whole);

    frame.timeBar()->SetWinMin(2000);
    frame.timeBar()->SetWinMax(4000);
    EXPECT_EQ(frame.statusText(3), whole);

    frame.timeBar()->SetMin(1500);
    EXPECT_EQ(frame.statusText(3),
              QStringLiteral("Время от начала опроса 00:00:01.500 - 00:00:09.000"));
}

TEST(CGraphWnd, IgnoresTheReportsOfOtherBars)
{
    CGraphWnd frame;
    CRangeBar stranger;
    stranger.SetMin(500);
    const QString temperatureRange = frame.statusText(2);
    const QString timeRange = frame.statusText(3);
    for (int code = RangeBarMinChanged; code <= RangeBarWinMaxChanged; ++code)
        frame.OnRangeBarNotify(&stranger, code);
    frame.OnRangeBarNotify(nullptr, RangeBarMinChanged);
    EXPECT_EQ(frame.statusText(2), temperatureRange);
    EXPECT_EQ(frame.statusText(3), timeRange);
    EXPECT_EQ(frame.view()->temperatureWindowStart(), 0);
}

// 20 °C up to 9 s, 800 to 950 °C from 10 to 19 s, readings of 0 from 20 to 29 s, nothing
// from 30 to 49 s and a last 0 at 50 s.
class CGraphWndAutomaticLimits : public testing::Test
{
protected:
    CGraphWndAutomaticLimits()
    {
        for (std::int32_t t = 1000; t < 10000; t += 1000)
            m_series.Add(t, 20, 950);
        for (std::int32_t t = 10000; t < 20000; t += 1000)
            m_series.Add(t, t == 14000 ? 950 : t == 17000 ? 800 : 870, 950);
        for (std::int32_t t = 20000; t < 30000; t += 1000)
            m_series.Add(t, 0, 950);
        m_series.Add(50000, 0, 950);
        m_series.minTemperature = 0;
        m_series.maxTemperature = 950;
        launch(m_frame, m_series);
        m_frame.temperatureBar()->SetWinMin(100);
        m_frame.temperatureBar()->SetWinMax(200);
    }

    void showTime(std::int32_t start, std::int32_t end)
    {
        m_frame.timeBar()->SetWinMin(start);
        m_frame.timeBar()->SetWinMax(end);
    }

    std::pair<std::int32_t, std::int32_t> temperatureWindow() const
    {
        return {m_frame.temperatureBar()->GetWinMin(), m_frame.temperatureBar()->GetWinMax()};
    }

    TermDataFile m_series;
    CGraphWnd m_frame;
};

TEST_F(CGraphWndAutomaticLimits, FitTheReadingsOfTheTimeWindowWithoutMargin)
{
    m_frame.setAutomaticLimits(true);
    showTime(10000, 19000);
    EXPECT_EQ(temperatureWindow(), std::make_pair(800, 950));
    EXPECT_EQ(m_frame.view()->temperatureWindowStart(), 800);
}

TEST_F(CGraphWndAutomaticLimits, SkipAStretchWithoutReadings)
{
    m_frame.setAutomaticLimits(true);
    for (const auto &[start, end] : {std::make_pair(20000, 29000), std::make_pair(30500, 49000)}) {
        showTime(start, end);
        EXPECT_EQ(temperatureWindow(), std::make_pair(100, 200)) << start << ".." << end;
    }
}

TEST_F(CGraphWndAutomaticLimits, AreOffUntilSwitchedOn)
{
    showTime(10000, 19000);
    EXPECT_EQ(temperatureWindow(), std::make_pair(100, 200));
    m_frame.setAutomaticLimits(true);
    m_frame.FitTemperatureWindow();
    EXPECT_EQ(temperatureWindow(), std::make_pair(800, 950));
}

// A series that grows while the window follows it, as a reception's graph does.
TEST(CGraphWndFollowing, RangesGrowAndWindowsAtTheEndSlideWhileWindowsMovedAwayStay)
{
    TermDataFile series;
    const auto grow = [&series](CGraphWnd &frame, std::int32_t time, std::int32_t temperature) {
        const std::uint32_t before =
            GraphSeriesLimits(static_cast<std::int16_t>(series.minTemperature),
                              static_cast<std::int16_t>(series.maxTemperature));
        series.Add(time, temperature, 950);
        series.minTemperature = std::min(series.minTemperature, temperature);
        series.maxTemperature = std::max(series.maxTemperature, temperature);
        frame.OnSeriesGrew(before,
                           GraphSeriesLimits(static_cast<std::int16_t>(series.minTemperature),
                                             static_cast<std::int16_t>(series.maxTemperature)));
    };
    for (std::int32_t t = 0; t <= 10000; t += 1000)
        series.Add(t, 500 + t / 100, 950);
    series.minTemperature = 500;
    series.maxTemperature = 600;
    CGraphWnd frame;
    launch(frame, series);
    frame.timeBar()->SetWinMin(6000);

    // At the end, showing every reading: both windows take the new readings in.
    grow(frame, 11000, 300);
    EXPECT_EQ(windowOf(frame.timeBar()), (Window{0, 11000, 7000, 11000}));
    EXPECT_EQ(windowOf(frame.temperatureBar()), (Window{290, 610, 300, 600}));
    EXPECT_EQ(frame.view()->timeWindowStart(), 7000);

    // Moved away by the user: the windows stay, the ranges still grow.
    frame.timeBar()->SetWinMin(2000);
    frame.timeBar()->SetWinMax(5000);
    frame.temperatureBar()->SetWinMin(400);
    grow(frame, 12000, 900);
    EXPECT_EQ(windowOf(frame.timeBar()), (Window{0, 12000, 2000, 5000}));
    EXPECT_EQ(windowOf(frame.temperatureBar()), (Window{290, 910, 400, 600}));

    // With automatic limits the temperature window fits the readings of the slid window.
    frame.ShowWholeGraph();
    frame.setAutomaticLimits(true);
    frame.timeBar()->SetWinMin(8000);
    grow(frame, 13000, 250);
    EXPECT_EQ(windowOf(frame.timeBar()), (Window{0, 13000, 9000, 13000}));
    EXPECT_EQ(windowOf(frame.temperatureBar()), (Window{240, 910, 250, 900}));
}

enum class Area
{
    TemperatureBar,
    TimeBar,
    Plot,
    Corner,
    StatusLine
};

struct WheelCase
{
    const char *what;
    Area area;
    bool atFirstPixel; // the area's top left pixel, else its centre
    bool movesTemperature;
    bool movesTime;
};

void PrintTo(const WheelCase &c, std::ostream *os)
{
    *os << c.what;
}

class CGraphWndWheel : public testing::TestWithParam<WheelCase>
{
protected:
    CGraphWndWheel()
    {
        m_series.Add(0, 0, 950);
        m_series.Add(100000, 1000, 950);
        launch(m_frame, m_series);
        m_frame.temperatureBar()->SetWinMin(0);
        m_frame.temperatureBar()->SetWinMax(1000);
    }

    // The areas by the layout rule, in the frame's coordinates.
    QRect areaOf(Area area) const
    {
        const int a = m_frame.temperatureBar()->GetStaticSize();
        const int b = m_frame.timeBar()->GetStaticSize();
        const int s = m_frame.statusLine()->height();
        const int w = m_frame.width();
        const int plotBottom = m_frame.height() - s - b;
        switch (area) {
        case Area::TemperatureBar:
            return {0, 0, a, plotBottom};
        case Area::TimeBar:
            return {a, plotBottom, w - a, b};
        case Area::Plot:
            return {a, 0, w - a, plotBottom};
        case Area::Corner:
            return {0, plotBottom, a, b};
        case Area::StatusLine:
            break;
        }
        return {0, plotBottom + b, w, s};
    }

    // Turns the wheel by one notch and checks which bars moved.
    void expectTurn(const std::function<void(QPoint global)> &turn)
    {
        const WheelCase &c = GetParam();
        const QRect area = areaOf(c.area);
        const Window temperature = windowOf(m_frame.temperatureBar());
        const Window time = windowOf(m_frame.timeBar());
        turn(m_frame.mapToGlobal(c.atFirstPixel ? area.topLeft() : area.center()));
        EXPECT_EQ(windowOf(m_frame.temperatureBar()) != temperature, c.movesTemperature);
        EXPECT_EQ(windowOf(m_frame.timeBar()) != time, c.movesTime);
    }

    TermDataFile m_series;
    CGraphWnd m_frame;
};

TEST_P(CGraphWndWheel, ReachesOnlyTheBarUnderThePointer)
{
    showAt(m_frame, {400, 300});
    // Routed by the frame from a point.
    expectTurn([this](QPoint global) { m_frame.OnMouseWheel({}, 120, global); });
    // A real turn goes to the widget under the pointer first.
    expectTurn([this](QPoint global) {
        QWidget *target = m_frame.childAt(m_frame.mapFromGlobal(global));
        if (target == nullptr)
            target = &m_frame;
        QWheelEvent event(target->mapFromGlobal(QPointF(global)), QPointF(global), QPoint(),
                          QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &event);
    });
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CGraphWndWheel,
    testing::Values(WheelCase{"temperature bar", Area::TemperatureBar, false, true, false},
                    WheelCase{"time bar", Area::TimeBar, false, false, true},
                    WheelCase{"time bar, first pixel", Area::TimeBar, true, false, true},
                    WheelCase{"plot", Area::Plot, false, false, false},
                    WheelCase{"plot, first pixel", Area::Plot, true, false, false},
                    WheelCase{"corner", Area::Corner, false, false, false},
                    WheelCase{"corner, first pixel", Area::Corner, true, false, false},
                    WheelCase{"status line", Area::StatusLine, false, false, false}));

} // namespace

// Series 0..100 s, 0..1000 °C on a 400 x 300 frame; the rectangle is dragged over the plot
// with the left button, as the user does.
class CGraphWndZoom : public testing::Test
{
protected:
    CGraphWndZoom()
    {
        m_series.Add(0, 0, 950);
        m_series.Add(50000, 600, 950);
        m_series.Add(100000, 1000, 950);
        launch(m_frame, m_series);
        m_frame.temperatureBar()->SetWinMin(0);
        m_frame.temperatureBar()->SetWinMax(1000);
        showAt(m_frame, {400, 300});
    }

    void drag(QPoint from, QPoint to)
    {
        QWidget *view = m_frame.view();
        QTest::mousePress(view, Qt::LeftButton, {}, from);
        for (const QPoint &at : {from + (to - from) / 2, to}) {
            QMouseEvent move(QEvent::MouseMove, at, view->mapToGlobal(at), Qt::NoButton,
                             Qt::LeftButton, {});
            QApplication::sendEvent(view, &move);
        }
        QTest::mouseRelease(view, Qt::LeftButton, {}, to);
    }

    TermDataFile m_series;
    CGraphWnd m_frame;
};

TEST_F(CGraphWndZoom, TheDraggedRectangleBecomesBothWindowsAndADoubleClickShowsAll)
{
    const CGraphView &view = *m_frame.view();
    const Window temperature = windowOf(m_frame.temperatureBar());
    const Window time = windowOf(m_frame.timeBar());

    // A click, or a drag shorter than the desktop's drag distance, changes nothing.
    QTest::mouseClick(m_frame.view(), Qt::LeftButton, {}, {100, 100});
    drag({100, 100}, {102, 101});
    EXPECT_EQ(windowOf(m_frame.temperatureBar()), temperature);
    EXPECT_EQ(windowOf(m_frame.timeBar()), time);

    // The new windows are the times and temperatures the pointer readout names at the
    // rectangle's edges, whichever corner the drag starts at.
    const QPoint a(view.width() / 4, view.height() / 2);
    const QPoint b(view.width() * 3 / 4, view.height() / 4);
    const auto timeAt = [&](int x) {
        return PointerTime(x, view.timeWindowStart(), view.timeScale());
    };
    const auto temperatureAt = [&](int y) {
        return PointerTemperature(y, view.height(), view.temperatureWindowStart(),
                                  view.temperatureScale());
    };
    const Window zoomedTime{time.minimum, time.maximum, timeAt(a.x()), timeAt(b.x())};
    const Window zoomedTemperature{temperature.minimum, temperature.maximum, temperatureAt(a.y()),
                                   temperatureAt(b.y())};
    drag(b, a);
    EXPECT_EQ(windowOf(m_frame.timeBar()), zoomedTime);
    EXPECT_EQ(windowOf(m_frame.temperatureBar()), zoomedTemperature);
    // The view draws the new windows.
    EXPECT_EQ(view.timeWindowStart(), zoomedTime.windowStart);
    EXPECT_EQ(view.temperatureWindowStart(), zoomedTemperature.windowStart);

    // A double click shows the whole graph and nothing else: its first click marks nothing.
    m_frame.removeMarker();
    QTest::mouseClick(m_frame.view(), Qt::LeftButton, {}, a);
    QTest::mouseDClick(m_frame.view(), Qt::LeftButton, {}, a);
    EXPECT_FALSE(view.marker().has_value());
    EXPECT_EQ(windowOf(m_frame.timeBar()), time);
    EXPECT_EQ(windowOf(m_frame.temperatureBar()),
              (Window{temperature.minimum, temperature.maximum, temperature.minimum,
                      temperature.maximum}));
}

TEST_F(CGraphWndZoom, WithAutomaticLimitsTheTemperaturesFitTheReadingsOfTheNewTime)
{
    m_frame.setAutomaticLimits(true);
    const QSize plot = m_frame.view()->size();
    // Around 50 s, where the one reading is 600 °C, whatever temperatures the rectangle spans.
    drag({plot.width() * 2 / 5, plot.height() - 10}, {plot.width() * 3 / 5, plot.height() - 40});
    EXPECT_EQ(m_frame.temperatureBar()->GetWinMin(), 600);
    EXPECT_LE(m_frame.temperatureBar()->GetWinMax(), 601);
}

namespace {

// A click marks the reading under the pointer; the box beside the marker and the statistics
// box are written over the plot and read by assistive technology; Escape removes the marker.
TEST_F(CGraphWndZoom, AClickMarksAReadingAndTheStatisticsFollowTheWindow)
{
    CGraphView &view = *m_frame.view();
    // Readings at 0, 50 and 100 s: a click a quarter across marks the one at 50 s, the nearest
    // to the time under the pointer (25 s and the two pixels of the pointer's hot spot).
    QTest::mouseClick(&view, Qt::LeftButton, {}, {view.width() / 4, 50});
    ASSERT_TRUE(view.marker().has_value());
    EXPECT_EQ(view.marker()->time, 50000);
    EXPECT_EQ(view.overlayLines(), QStringList{"00:00:50.000  600 °C"});

    QSignalSpy toggled(&m_frame, &CGraphWnd::statisticsToggled);
    for (QAction *action : m_frame.contextMenu()->findChildren<QAction *>())
        if (action->text() == QStringLiteral("Статистика"))
            action->trigger();
    ASSERT_EQ(toggled.count(), 1);
    view.repaint();
    EXPECT_EQ(view.overlayLines().first(), "Измерений: 3");
    EXPECT_EQ(view.accessibleDescription(), view.overlayLines().join(u'\n'));
    // The statistics follow the time window.
    m_frame.timeBar()->SetWinMin(40000);
    view.repaint();
    EXPECT_EQ(view.overlayLines().first(), "Измерений: 2");

    QTest::keyClick(&m_frame, Qt::Key_Escape);
    EXPECT_FALSE(view.marker().has_value());
}

} // namespace
