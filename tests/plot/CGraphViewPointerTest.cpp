#include "companions/TermDataFile.h"
#include "plot/CGraphView.h"
#include "resources/GraphCursor.h"

#include <QHelpEvent>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class CGraphViewPointerTest : public testing::Test
{
protected:
    CGraphViewPointerTest()
    {
        m_view.resize(200, 100);
        m_view.setTimeWindow(1000, 0.5);
        m_view.setTemperatureWindow(20, 2.0);
        m_series.Add(1000, 420, 950);
        m_series.Add(1100, 435, 870);
    }

    void moveTo(QPoint position)
    {
        QMouseEvent move(QEvent::MouseMove, position, m_view.mapToGlobal(position), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&m_view, &move);
    }

    // What the desktop sends when the pointer has rested long enough for a tooltip.
    void restAt(QPoint position)
    {
        QHelpEvent help(QEvent::ToolTip, position, m_view.mapToGlobal(position));
        QCoreApplication::sendEvent(&m_view, &help);
    }

    QLabel *tooltip() const { return m_view.findChild<QLabel *>(); }

    bool tooltipShown() const { return tooltip() != nullptr && tooltip()->isVisible(); }

    TermDataFile m_series;
    CGraphView m_view;
};

TEST_F(CGraphViewPointerTest, EveryMoveWritesTheTemperatureAndTimePanes)
{
    QSignalSpy panes(&m_view, &CGraphView::pointerTextChanged);
    moveTo({8, 60});
    moveTo({8, 60});
    ASSERT_EQ(panes.count(), 4);
    EXPECT_EQ(panes.at(0).at(0).toInt(), CGraphView::TemperaturePane);
    // (100 - 60 + 2) / 2 + 20 and (8 + 2) / 0.5 + 1000
    EXPECT_EQ(panes.at(0).at(1).toString(), QString::fromUtf8("Температура 41 °\u0421"));
    EXPECT_EQ(panes.at(1).at(0).toInt(), CGraphView::TimePane);
    EXPECT_EQ(panes.at(1).at(1).toString(), QString::fromUtf8("Время 01.020"));
    EXPECT_EQ(panes.at(2), panes.at(0));
}

TEST_F(CGraphViewPointerTest, ShowsTheGraphCursor)
{
    EXPECT_EQ(m_view.cursor().hotSpot(), GraphCursorHotSpot);
    EXPECT_EQ(m_view.cursor().pixmap().size(), QSize(32, 32));
    // On a screen of two device pixels a pixel: twice the pixels, the hot spot on the same
    // point of the picture, the same picture.
    const QCursor sharp = GraphCursor(2);
    EXPECT_EQ(sharp.pixmap().size(), QSize(64, 64));
    EXPECT_EQ(sharp.hotSpot(), GraphCursorHotSpot * 2);
    EXPECT_EQ(GraphCursorImage().pixelColor(GraphCursorHotSpot), QColor(Qt::black));
    EXPECT_EQ(GraphCursorImage(2).pixelColor(GraphCursorHotSpot * 2), QColor(Qt::black));
}

TEST_F(CGraphViewPointerTest, TooltipUsesTheLastMoveAndHidesOnceThePointerLeavesItsSquare)
{
    m_view.setSeries(&m_series);
    moveTo({40, 50}); // (40 + 2) / 0.5 + 1000 = 1084: between the two records
    restAt({40, 50});
    ASSERT_TRUE(tooltipShown());
    EXPECT_EQ(tooltip()->text(),
              QString::fromUtf8("Температура=435, Время=01.084, Степень черноты=0.87"));
    const QImage picture = tooltip()->grab().toImage();
    EXPECT_EQ(picture.pixel(1, picture.height() / 2), CGraphView::TooltipBackgroundColor);

    moveTo({44, 54});
    restAt({44, 54});
    EXPECT_TRUE(tooltipShown()) << "4 right and 4 down";
    EXPECT_TRUE(tooltip()->text().contains("01.084")) << "the text stays while it is up";

    moveTo({44, 59});
    EXPECT_FALSE(tooltipShown()) << "5 down";
    restAt({44, 59});
    ASSERT_TRUE(tooltipShown());
    EXPECT_TRUE(tooltip()->text().contains("01.092")) << "a new text for the new place";
}

TEST_F(CGraphViewPointerTest, NoTooltipWithoutARecordAndNoneAfterTheLastOne)
{
    restAt({40, 50});
    EXPECT_FALSE(tooltipShown()) << "no series";
    m_view.setSeries(&m_series);
    moveTo({150, 50}); // 1304 ms, after the last record
    restAt({150, 50});
    EXPECT_FALSE(tooltipShown());
}

TEST_F(CGraphViewPointerTest, APressOrLeavingTheViewHidesTheTooltip)
{
    m_view.setSeries(&m_series);
    moveTo({40, 50});
    restAt({40, 50});
    ASSERT_TRUE(tooltipShown());
    QTest::mousePress(&m_view, Qt::LeftButton, {}, {40, 50});
    EXPECT_FALSE(tooltipShown());

    restAt({40, 50});
    ASSERT_TRUE(tooltipShown());
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&m_view, &leave);
    EXPECT_FALSE(tooltipShown());
}

TEST_F(CGraphViewPointerTest, ARightPressReachesTheFrameAtItsScreenPosition)
{
    m_view.setGeometry(300, 200, 200, 100); // the client area, frame aside
    m_view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_view));
    ASSERT_EQ(m_view.mapToGlobal(QPoint(0, 0)), QPoint(300, 200));
    QSignalSpy menu(&m_view, &CGraphView::contextMenuRequested);
    QTest::mousePress(&m_view, Qt::RightButton, {}, {10, 20});
    QTest::mouseRelease(&m_view, Qt::RightButton, {}, {10, 20});
    ASSERT_EQ(menu.count(), 1);
    EXPECT_EQ(menu.at(0).at(0).toPoint(), QPoint(310, 220));
}

} // namespace
