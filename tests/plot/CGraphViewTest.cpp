#include "plot/CGraphView.h"
#include "companions/CRangeBar.h"
#include "companions/TermDataFile.h"

#include <QImage>

#include <vector>

#include <gtest/gtest.h>

namespace {

class CGraphViewTest : public testing::Test
{
protected:
    CGraphViewTest()
    {
        m_temperatureBar.SetCtrlStyle(RangeBarStyleTemperature);
        m_temperatureBar.resize(40, 100);
        m_temperatureBar.SetMax(100);
        m_temperatureBar.SetWinMax(100);
        m_timeBar.SetCtrlStyle(RangeBarStyleTime);
        m_timeBar.resize(200, 30);
        m_timeBar.SetMax(10000);
        m_timeBar.SetWinMax(10000);
        m_view.resize(200, 100);
        // 50 °C every 100 ms, with no records from 4000 to 8000 ms.
        for (std::int32_t t = 0; t <= 10000; t += 100) {
            if (t <= 4000 || t >= 8000)
                m_series.Add(t, 50, 950);
        }
        m_series.maxTemperature = 100;
    }

    // Whether the curve's row holds a red pixel at time t.
    bool curveAt(const QImage &image, std::int32_t t) const
    {
        const int x = static_cast<int>(t * m_timeBar.GetScale());
        const int y = static_cast<int>(100 - 50 * m_temperatureBar.GetScale());
        return image.pixel(x, y) == CurveColor;
    }

    CRangeBar m_temperatureBar;
    CRangeBar m_timeBar;
    TermDataFile m_series;
    CGraphView m_view;
};

TEST_F(CGraphViewTest, WithoutBarsOnlyTheBackgroundIsPainted)
{
    m_view.setSeries(&m_series);
    const QImage image = m_view.grab().toImage();
    for (const QPoint point : {QPoint(0, 0), QPoint(100, 50), QPoint(199, 99)})
        EXPECT_EQ(image.pixel(point), PlotBackgroundColor);
}

TEST_F(CGraphViewTest, PaintsTheGridWithTheTemperatureBarsPensAndTheCurveOverIt)
{
    m_view.setBars(&m_temperatureBar, &m_timeBar);
    m_view.setSeries(&m_series);
    const QImage image = m_view.grab().toImage();
    EXPECT_TRUE(curveAt(image, 1000));
    EXPECT_TRUE(curveAt(image, 6000)) << "the line runs on across the gap";
    int background = 0;
    int majorGrid = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            background += image.pixel(x, y) == PlotBackgroundColor;
            majorGrid += QColor(image.pixel(x, y)) == m_temperatureBar.GetMajorPen().color();
        }
    }
    EXPECT_GT(background, image.width() * image.height() / 2);
    EXPECT_GT(majorGrid, 0);
}

TEST_F(CGraphViewTest, TheCurveStartsAtTheViewsTimeWindowStartAndBreaksAtGapsWhenAsked)
{
    m_view.setBars(&m_temperatureBar, &m_timeBar);
    m_view.setSeries(&m_series);
    m_view.setTimeWindow(2000, m_timeBar.GetScale());
    m_view.toggleBreakAtGaps();
    ASSERT_TRUE(m_view.breakAtGaps());
    const QImage image = m_view.grab().toImage();
    EXPECT_FALSE(curveAt(image, 1000));
    EXPECT_TRUE(curveAt(image, 3000));
    EXPECT_FALSE(curveAt(image, 6000));
    EXPECT_TRUE(curveAt(image, 9000));
}

TEST_F(CGraphViewTest, APaintFollowsEveryChangeOfWhatItShows)
{
    m_view.setBars(&m_temperatureBar, &m_timeBar);
    m_view.setSeries(&m_series);
    EXPECT_TRUE(curveAt(m_view.grab().toImage(), 6000));

    m_view.toggleBreakAtGaps(); // the flag
    EXPECT_FALSE(curveAt(m_view.grab().toImage(), 6000));

    m_series.Clear(); // the series refilled in place, as a new launch does
    m_series.Add(0, 50, 950);
    m_series.Add(1000, 50, 950);
    m_series.maxTemperature = 100;
    m_view.setSeries(&m_series);
    EXPECT_FALSE(curveAt(m_view.grab().toImage(), 3000));

    m_timeBar.SetWinMax(1000); // a bar's window
    m_view.setTimeWindow(0, m_timeBar.GetScale());
    EXPECT_TRUE(curveAt(m_view.grab().toImage(), 500));
}

// The view keeps what it drew of the series between paints: records appended and announced
// by seriesGrew() are taken in, and a series refilled in place is taken anew, even with as
// many records and the same first and last ones.
TEST_F(CGraphViewTest, PaintsAGrownOrRefilledSeriesAsAViewNewToItDoes)
{
    m_view.setBars(&m_temperatureBar, &m_timeBar);
    m_view.setSeries(&m_series);
    const auto freshPicture = [this] {
        CGraphView fresh;
        fresh.resize(m_view.size());
        fresh.setBars(&m_temperatureBar, &m_timeBar);
        fresh.setSeries(&m_series);
        return fresh.grab().toImage();
    };
    EXPECT_EQ(m_view.grab().toImage(), freshPicture());

    for (std::int32_t t = 10001; t <= 20000; ++t)
        m_series.Add(t, 10 + t % 80, 950);
    m_timeBar.SetMax(20000);
    m_timeBar.SetWinMax(20000);
    m_view.seriesGrew();
    EXPECT_EQ(m_view.grab().toImage(), freshPicture());

    const std::vector<v4TermData> before(m_series.records, m_series.records + m_series.count);
    m_series.Clear();
    for (std::size_t i = 0; i < before.size(); ++i)
        m_series.Add(before[i].time, i == 0 || i + 1 == before.size() ? before[i].temperature : 90,
                     950);
    m_series.maxTemperature = 100;
    m_view.setSeries(&m_series);
    EXPECT_EQ(m_view.grab().toImage(), freshPicture());
}

} // namespace
