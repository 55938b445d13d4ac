#include "companions/CRangeBar.h"
#include "companions/FormatOutTime.h"

#include <QApplication>
#include <QFontMetrics>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <vector>

namespace {

// A report with the state the receiver could read when it arrived.
struct Report
{
    int code;
    std::int32_t minimum, maximum, windowStart, windowEnd;
    double scale;

    bool operator==(const Report &) const = default;
};

std::ostream &operator<<(std::ostream &out, const Report &r)
{
    return out << "{" << r.code << ": " << r.minimum << ".." << r.maximum << ", window "
               << r.windowStart << ".." << r.windowEnd << ", scale " << r.scale << "}";
}

Report stateOf(const CRangeBar &bar, int code)
{
    return {code, bar.GetMin(), bar.GetMax(), bar.GetWinMin(), bar.GetWinMax(), bar.GetScale()};
}

class CRangeBarTest : public testing::Test
{
protected:
    void SetUp() override
    {
        QObject::connect(&bar, &CRangeBar::rangeBarNotify, &bar, [this](CRangeBar *from, int code) {
            EXPECT_EQ(from, &bar);
            reports.push_back(stateOf(bar, code));
        });
    }

    void showAs(std::int32_t style, QSize size)
    {
        bar.SetCtrlStyle(style);
        bar.resize(size);
        bar.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar));
    }

    void setWindow(std::int32_t minimum, std::int32_t maximum, std::int32_t start, std::int32_t end)
    {
        bar.SetMin(minimum);
        bar.SetMax(maximum);
        bar.SetWinMin(start);
        bar.SetWinMax(end);
        reports.clear();
    }

    std::vector<int> codes() const
    {
        std::vector<int> result;
        for (const Report &r : reports)
            result.push_back(r.code);
        return result;
    }

    // A point on the handle's strip along the outer edge of a horizontal bar.
    QPoint onTrack(int x) const { return {x, bar.height() - 5}; }

    CRangeBar bar;
    std::vector<Report> reports;
};

} // namespace

TEST_F(CRangeBarTest, ReportsEachChangeOnceWithTheStateAlreadyUpdated)
{
    showAs(RangeBarStyleTemperature, {60, 400});
    const struct
    {
        const char *what;
        std::function<void()> call;
        std::vector<int> codes;
    } rows[] = {
        {"same value again", [&] { bar.SetMax(100); }, {}},
        {"minimum drags the window start", [&] { bar.SetMin(10); }, {1, 3}},
        {"maximum drags the window end", [&] { bar.SetMax(50); }, {2, 4}},
        {"window start alone", [&] { bar.SetWinMin(20); }, {3}},
        {"window end grows the range", [&] { bar.SetWinMax(150); }, {2, 4}},
        {"window start past the end", [&] { bar.SetWinMin(200); }, {2, 3, 4}},
        {"minimum below the window", [&] { bar.SetMin(-5); }, {1}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        reports.clear();
        row.call();
        EXPECT_EQ(codes(), row.codes);
        for (const Report &r : reports)
            EXPECT_EQ(r, stateOf(bar, r.code));
        EXPECT_DOUBLE_EQ(bar.GetScale(), 400.0 / (bar.GetWinMax() - bar.GetWinMin()));
    }
}

TEST_F(CRangeBarTest, AfterTheGraphLaunchTheWholeTimeRangeIsVisible)
{
    showAs(RangeBarStyleTime, {500, 40});
    // The frame's starting values, then a series of 1 s to 10 min handed over and launched.
    bar.SetMax(0);
    bar.SetMin(-1000);
    bar.SetWinMin(-1000);
    bar.SetWinMax(0);
    bar.SetMax(600'000);
    bar.SetWinMax(600'000);
    bar.SetMin(1000);
    bar.SetMax(600'000);
    EXPECT_EQ(bar.GetWinMin(), 1000);
    EXPECT_EQ(bar.GetWinMax(), 600'000);
    EXPECT_EQ(bar.GetMin(), 1000);
}

TEST_F(CRangeBarTest, ScaleFollowsTheLengthAndAResizeIsReported)
{
    showAs(RangeBarStyleTemperature, {60, 300});
    setWindow(0, 100, 0, 10);
    EXPECT_DOUBLE_EQ(bar.GetScale(), 30.0);

    bar.resize(bar.width(), 500);
    EXPECT_DOUBLE_EQ(bar.GetScale(), 50.0);
    ASSERT_EQ(codes(), std::vector<int>{RangeBarWinMaxChanged});
    EXPECT_DOUBLE_EQ(reports.front().scale, 50.0);
    EXPECT_DOUBLE_EQ(bar.GetBigStep(), 50.0); // one degree a division

    reports.clear();
    bar.resize(80, 500); // thickness alone: same scale, nothing to report
    EXPECT_TRUE(reports.empty());

    bar.SetCtrlStyle(RangeBarStyleTime); // now the width is the length
    EXPECT_DOUBLE_EQ(bar.GetScale(), 8.0);
    EXPECT_EQ(codes(), std::vector<int>{RangeBarWinMaxChanged});
}

TEST_F(CRangeBarTest, StaticSizeIsTheThicknessOfEitherStyle)
{
    EXPECT_EQ(bar.SetCtrlStyle(RangeBarStyleTime), RangeBarStyleTemperature);
    EXPECT_EQ(bar.sizeHint().height(), bar.GetStaticSize());
    EXPECT_EQ(bar.SetCtrlStyle(RangeBarStyleTemperature), RangeBarStyleTime);
    EXPECT_EQ(bar.sizeHint().width(), bar.GetStaticSize());
    // The widest temperature label fits beside the handle's strip.
    EXPECT_GT(bar.GetStaticSize(), bar.fontMetrics().horizontalAdvance(bar.FormatValue(-2000)));
}

TEST_F(CRangeBarTest, WheelZoomsAroundThePointer)
{
    showAs(RangeBarStyleTime, {500, 40});
    setWindow(0, 1000, 0, 1000);
    const QPoint local(125, 10); // the value 250
    QWheelEvent turn(local, bar.mapToGlobal(QPointF(local)), QPoint(), QPoint(0, 120), Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&bar, &turn);

    EXPECT_LT(bar.GetWinMax() - bar.GetWinMin(), 1000);
    EXPECT_NEAR(bar.GetWinMin() + local.x() / bar.GetScale(), 250.0, 1.0);
    EXPECT_EQ(codes(), (std::vector<int>{3, 4}));

    // Out again, further than the range: the whole range and no more.
    const QPoint global = bar.mapToGlobal(local);
    for (int i = 0; i < 5; ++i)
        bar.OnMouseWheel(Qt::NoModifier, -240, global);
    EXPECT_EQ(bar.GetWinMin(), 0);
    EXPECT_EQ(bar.GetWinMax(), 1000);
    EXPECT_FALSE(bar.OnMouseWheel(Qt::NoModifier, -120, global));

    setWindow(0, 1000, 0, 100);
    EXPECT_TRUE(bar.OnMouseWheel(Qt::ShiftModifier, 120, global));
    EXPECT_EQ(bar.GetWinMin(), 10);
    EXPECT_EQ(bar.GetWinMax(), 110);
}

TEST_F(CRangeBarTest, DraggingTheHandleScrollsAndItsEndsStretch)
{
    showAs(RangeBarStyleTime, {500, 40});
    setWindow(0, 1000, 200, 400); // two units a pixel: the handle lies from x 100 to 200

    QTest::mousePress(&bar, Qt::LeftButton, {}, onTrack(150));
    QTest::mouseMove(&bar, onTrack(200));
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, onTrack(200));
    EXPECT_EQ(bar.GetWinMin(), 300);
    EXPECT_EQ(bar.GetWinMax(), 500);
    EXPECT_EQ(reports.back(), stateOf(bar, RangeBarWinMaxChanged));

    QTest::mousePress(&bar, Qt::LeftButton, {}, onTrack(250)); // the handle's end
    QTest::mouseMove(&bar, onTrack(300));
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, onTrack(300));
    EXPECT_EQ(bar.GetWinMin(), 300);
    EXPECT_EQ(bar.GetWinMax(), 600);

    // A click beside the handle centres the window there.
    QTest::mouseClick(&bar, Qt::LeftButton, {}, onTrack(450)); // 900, but the range ends
    EXPECT_EQ(bar.GetWinMin(), 700);
    EXPECT_EQ(bar.GetWinMax(), 1000);
}

TEST_F(CRangeBarTest, DraggingUpARaisesAVerticalWindow)
{
    showAs(RangeBarStyleTemperature, {60, 400});
    setWindow(0, 400, 100, 200); // one unit a pixel, the handle from y 300 up to y 200
    QTest::mousePress(&bar, Qt::LeftButton, {}, QPoint(5, 250));
    QTest::mouseMove(&bar, QPoint(5, 200));
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, QPoint(5, 200));
    EXPECT_EQ(bar.GetWinMin(), 150);
    EXPECT_EQ(bar.GetWinMax(), 250);

    // Presses on the scale, away from the handle's strip, move nothing.
    reports.clear();
    QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(50, 20));
    EXPECT_TRUE(reports.empty());
}

TEST(FormatOutTimeInStatusPane, TwoTextsFitThePaneSizedByItsTemplate)
{
    const QFontMetrics metrics(QApplication::font());
    const int pane = metrics.horizontalAdvance(
        QString::fromUtf8("Время от начала опроса 00:00:00.000 сек - 00:00:00.000 сек"));
    const std::int32_t extremes[] = {std::numeric_limits<std::int32_t>::min(), -1000, 86'399'999,
                                     std::numeric_limits<std::int32_t>::max()};
    for (std::int32_t low : extremes) {
        for (std::int32_t high : extremes) {
            char lowText[FormatOutTimeBufferSize];
            char highText[FormatOutTimeBufferSize];
            const QString text =
                QString::fromUtf8("Время от начала опроса %1 - %2")
                    .arg(FormatOutTime(low, lowText), FormatOutTime(high, highText));
            EXPECT_LE(metrics.horizontalAdvance(text), pane) << text.toStdString();
        }
    }
}
