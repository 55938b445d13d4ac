#include "plot/GraphPrintJob.h"
#include "companions/FormatOutTime.h"
#include "companions/RangeBarModel.h"
#include "plot/GraphPageContext.h"
#include "plot/NoteFlags.h"
#include "plot/PlotDrawing.h"

#include "tests/support/FakePrintDevice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

#include <cmath>
#include <limits>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

// With the extent rule below the canvas's own font is 10 units a character and 30 tall, so
// the range maximum 2010 leaves 40 units left of the plot and 30 under it; "Test" in the
// header font is 35 tall, so the plot's top lies 126 units under the page's.
constexpr int PlotLeft = 140;
constexpr int PlotTop = -226;
constexpr int ExtraWidth = 240;
constexpr int ExtraHeight = 356;

const QColor MajorColor(192, 192, 192);
const QColor MinorColor(224, 224, 224);
const QColor CurveColor(255, 0, 0);

QSize extent(const CanvasFont &font, const QString &text)
{
    if (font.height == 0)
        return {static_cast<int>(text.size()) * 10, 30};
    const int height = std::abs(font.height);
    return {static_cast<int>(text.size()) * height / 2, height};
}

// A page whose plot is plotWidth by plotHeight units, time 0 ms and temperature 0 °C at its
// bottom left; labels are the plain numbers.
GraphPrintContext pageWith(int plotWidth, int plotHeight)
{
    GraphPrintContext context;
    context.pageSize = {plotWidth + ExtraWidth, plotHeight + ExtraHeight};
    context.temperatureRangeMax = 2010;
    context.timeWindowEnd = plotWidth;
    context.temperatureWindowEnd = plotHeight;
    context.timeLabel = [](double value) { return QString::number(value); };
    context.temperatureLabel = context.timeLabel;
    return context;
}

RecordingCanvas drawn(const GraphPrintContext &context)
{
    RecordingCanvas canvas;
    canvas.setExtentRule(extent);
    DrawGraphPage(canvas, context);
    return canvas;
}

std::vector<QLine> linesIn(const RecordingCanvas &canvas, const QColor &color)
{
    std::vector<QLine> lines;
    for (const CanvasCall &call : canvas.callsOf(CanvasCall::Kind::LineTo)) {
        if (call.pen.color() == color)
            lines.emplace_back(call.from, call.to);
    }
    return lines;
}

// x of the vertical lines, or y of the horizontal ones, of one colour, counted from origin.
std::vector<int> positions(const RecordingCanvas &canvas, const QColor &color, bool vertical,
                           int origin)
{
    std::vector<int> result;
    for (const QLine &line : linesIn(canvas, color)) {
        if (vertical && line.x1() == line.x2())
            result.push_back(line.x1() - origin);
        else if (!vertical && line.y1() == line.y2())
            result.push_back(line.y1() - origin);
    }
    return result;
}

std::vector<CanvasCall> textsLeftOf(const RecordingCanvas &canvas, int x)
{
    std::vector<CanvasCall> result;
    for (const CanvasCall &call : canvas.callsOf(CanvasCall::Kind::TextOut)) {
        if (call.to.x() < x)
            result.push_back(call);
    }
    return result;
}

const CanvasCall *textCall(const RecordingCanvas &canvas, const QString &text)
{
    for (const CanvasCall &call : canvas.calls()) {
        if (call.kind == CanvasCall::Kind::TextOut && call.text == text)
            return &call;
    }
    return nullptr;
}

// Test names from the rows' name fields.
struct RowName
{
    template <typename Row> std::string operator()(const testing::TestParamInfo<Row> &row) const
    {
        return row.param.name;
    }
};

struct StepRow
{
    const char *name;
    double scale;
    double step;
    int length;
    int parts;
    int spacing;
};

class GraphMajorStepTest : public testing::TestWithParam<StepRow>
{
};

TEST_P(GraphMajorStepTest, TakesTheFirstStepOfTheSequenceLongEnough)
{
    const StepRow &row = GetParam();
    const std::optional<GraphScaleStep> division = GraphMajorStep(row.scale);
    ASSERT_TRUE(division);
    EXPECT_DOUBLE_EQ(division->step, row.step);
    EXPECT_EQ(division->length, row.length);
    EXPECT_EQ(division->parts, row.parts);
    EXPECT_EQ(division->spacing, row.spacing);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, GraphMajorStepTest,
    testing::Values(
        // 1e4 ms would be 156.25 units; 2e4 gives 312.5, 6 units of 50: 4 parts of 78.
        StepRow{"Time1over64", 0.015625, 2e4, 312, 4, 78},
        // 20 and 25 °C give 140 and 175 units; 50 gives 350: 4 parts of 87.
        StepRow{"Temperature7", 7.0, 50.0, 350, 4, 87},
        StepRow{"Exactly200", 100.0, 2.0, 200, 4, 50},
        StepRow{"TwoAndAHalf", 0.8, 250.0, 200, 4, 50},
        StepRow{"Under8Units", 0.0395, 1e4, 395, 4, 98},
        // The smallest step already reaches 200 units.
        StepRow{"SmallestStep", 3e8, 1e-6, 300, 4, 75}),
    RowName());

TEST(GraphMinorParts, EightOrFourLengthsOfFiftyUnitsOrElseTwo)
{
    for (const auto &[length, parts] :
         std::vector<std::pair<int, int>>{{200, 4}, {399, 4}, {400, 8}, {199, 2}, {312, 4}})
        EXPECT_EQ(GraphMinorParts(length), parts) << length;
}

TEST(GraphMajorStep, NoDivisionForAScaleThatIsNotAPositiveNumber)
{
    for (const double scale : {0.0, -7.0, std::numeric_limits<double>::quiet_NaN(),
                               std::numeric_limits<double>::infinity()})
        EXPECT_FALSE(GraphMajorStep(scale)) << scale;
    // Tiny scales still end, with a step long enough.
    const std::optional<GraphScaleStep> tiny = GraphMajorStep(1e-300);
    ASSERT_TRUE(tiny);
    EXPECT_GE(tiny->length, GraphScaleStep::MinMajorLength);
}

// The lines' offsets from the plot's left edge (time) or bottom edge (temperature).
struct AxisRow
{
    const char *name;
    int plotLength; // width for the time axis, height for the temperature axis
    int span;       // of the window
    std::vector<int> majors;
    std::vector<int> minors;
};

class GraphPageAxes : public testing::TestWithParam<AxisRow>
{
};

TEST_P(GraphPageAxes, TimeLinesRunFromTheLeftEdgeWithTheirMinorParts)
{
    const AxisRow &row = GetParam();
    GraphPrintContext context = pageWith(row.plotLength, 1000);
    context.timeWindowEnd = row.span;
    const RecordingCanvas canvas = drawn(context);

    EXPECT_EQ(positions(canvas, MajorColor, true, PlotLeft), row.majors);
    EXPECT_EQ(positions(canvas, MinorColor, true, PlotLeft), row.minors);

    // Major lines reach 20 units under the plot, minor ones 10, all up to its top.
    const int bottom = PlotTop - 1000;
    for (const QLine &line : linesIn(canvas, MajorColor)) {
        if (line.x1() == line.x2()) {
            EXPECT_EQ(line, QLine(line.x1(), bottom - 20, line.x1(), PlotTop));
        }
    }
    for (const QLine &line : linesIn(canvas, MinorColor)) {
        if (line.x1() == line.x2()) {
            EXPECT_EQ(line, QLine(line.x1(), bottom - 10, line.x1(), PlotTop));
        }
    }
}

TEST_P(GraphPageAxes, TemperatureLinesRunUpFromTheBottomWithTheirMinorParts)
{
    const AxisRow &row = GetParam();
    GraphPrintContext context = pageWith(1000, row.plotLength);
    context.temperatureWindowEnd = row.span;
    const RecordingCanvas canvas = drawn(context);

    const int bottom = PlotTop - row.plotLength;
    EXPECT_EQ(positions(canvas, MajorColor, false, bottom), row.majors);
    EXPECT_EQ(positions(canvas, MinorColor, false, bottom), row.minors);
    for (const QLine &line : linesIn(canvas, MajorColor)) {
        if (line.y1() == line.y2()) {
            EXPECT_EQ(line, QLine(PlotLeft - 20, line.y1(), PlotLeft + 1000, line.y1()));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, GraphPageAxes,
    testing::Values(
        // Steps of 312 units in 4 parts of 78; the last step has no room for its minor lines.
        AxisRow{"Scale1over64",
                1600,
                102400,
                {0, 312, 624, 936, 1248, 1560},
                {78, 156, 234, 390, 468, 546, 702, 780, 858, 1014, 1092, 1170, 1326, 1404, 1482}},
        // Steps of 350 units in 4 parts of 87; the last step has room for one minor line.
        AxisRow{"Scale7",
                1540,
                220,
                {0, 350, 700, 1050, 1400},
                {87, 174, 261, 437, 524, 611, 787, 874, 961, 1137, 1224, 1311, 1487}},
        AxisRow{"Step200",
                1000,
                5000,
                {0, 200, 400, 600, 800},
                {50, 100, 150, 250, 300, 350, 450, 500, 550, 650, 700, 750, 850, 900, 950}},
        // Parts of 62 leave 2 units before each major line.
        AxisRow{"Step250",
                1000,
                4000,
                {0, 250, 500, 750},
                {62, 124, 186, 312, 374, 436, 562, 624, 686, 812, 874, 936}}),
    RowName());

TEST(GraphPage, LabelsFollowTheTruncatedSteps)
{
    GraphPrintContext context = pageWith(1600, 1540);
    context.timeWindowStart = 1000;
    context.timeWindowEnd = 1000 + 102400;
    context.temperatureWindowEnd = 220;
    const RecordingCanvas canvas = drawn(context);

    // Time labels step by 312 units, 19968 ms, just right of their line and under the plot.
    QStringList times;
    for (const CanvasCall &call : canvas.callsOf(CanvasCall::Kind::TextOut)) {
        if (call.font.face == QStringLiteral("Tahoma") && call.to.x() > PlotLeft) {
            times << call.text;
            EXPECT_EQ(call.to.y(), PlotTop - 1540 - 5);
        }
    }
    EXPECT_EQ(times, (QStringList{"1000", "20968", "40936", "60904", "80872", "100840"}));

    // Temperature labels, 20 units tall and 10 a character, end 5 units left of the plot with
    // their bottom 5 above their line: the lines lie 350 units apart from y = -1766.
    QStringList temperatures;
    std::vector<QPoint> corners;
    for (const CanvasCall &call : textsLeftOf(canvas, PlotLeft)) {
        if (call.font.face != QStringLiteral("Tahoma"))
            continue;
        temperatures << call.text;
        corners.push_back(call.to);
    }
    EXPECT_EQ(temperatures, (QStringList{"0", "50", "100", "150", "200"}));
    EXPECT_EQ(corners, (std::vector<QPoint>{
                           {125, -1741}, {115, -1391}, {105, -1041}, {105, -691}, {105, -341}}));
}

TEST(GraphPage, ATemperatureLabelRoundsUpFromAHundredthOverAWholeDegree)
{
    struct Row
    {
        int plotHeight;
        int span;
        const char *second; // the label computed as 249 and a fraction, less 224
    };
    // 733 / 780 units per °C: the first step is 234 units, 249.0041 °C; 600 / 673: 222 units,
    // 249.0100 °C.
    for (const Row row : {Row{733, 780, "25"}, Row{600, 673, "26"}}) {
        GraphPrintContext context = pageWith(1000, row.plotHeight);
        context.temperatureWindowStart = -224;
        context.temperatureWindowEnd = -224 + row.span;
        const RecordingCanvas canvas = drawn(context);
        QStringList labels;
        for (const CanvasCall &call : textsLeftOf(canvas, PlotLeft)) {
            if (call.font.face == QStringLiteral("Tahoma"))
                labels << call.text;
        }
        ASSERT_GE(labels.size(), 2) << row.plotHeight;
        EXPECT_EQ(labels[0], QStringLiteral("-224"));
        EXPECT_EQ(labels[1], QString::fromLatin1(row.second)) << row.plotHeight;
    }
}

TEST(GraphPage, HeaderFrameAndCaptionsSitOnThePage)
{
    GraphPrintContext context = pageWith(1600, 1540);
    context.series.minTemperature = -40;
    context.series.maxTemperature = 1200;
    const RecordingCanvas canvas = drawn(context);

    const QStringList texts = canvas.texts();
    ASSERT_GE(texts.size(), 2);
    EXPECT_EQ(texts[0], QStringLiteral("Температурный  диапазон   -40...1200 °C"));
    const auto header = canvas.callsOf(CanvasCall::Kind::TextOut);
    EXPECT_EQ(header[0].to, QPoint(PlotLeft, -100));
    EXPECT_EQ(header[1].to, QPoint(PlotLeft, -145));
    EXPECT_EQ(header[0].font, CanvasFont());

    // The frame, drawn last before the captions with the canvas's own pen.
    const int bottom = PlotTop - 1540;
    const std::vector<QLine> frame = linesIn(canvas, Canvas::defaultPen().color());
    EXPECT_EQ(frame, (std::vector<QLine>{{PlotLeft, PlotTop, 1740, PlotTop},
                                         {1740, PlotTop, 1740, bottom},
                                         {1740, bottom, PlotLeft, bottom},
                                         {PlotLeft, bottom, PlotLeft, PlotTop}}));

    const CanvasCall *time = textCall(canvas, QStringLiteral("Время"));
    ASSERT_NE(time, nullptr);
    // "Время", 62 by 25 units, centred under the plot between it and the page's margin.
    EXPECT_EQ(time->to, QPoint(909, -1794));
    const CanvasCall *temperature = textCall(canvas, QStringLiteral("Температура, °C"));
    ASSERT_NE(temperature, nullptr);
    EXPECT_EQ(temperature->font.escapement, -900);
    // The turned caption is measured as it reads, 187 by 25 units; centred so left of the plot,
    // it starts left of the page's margin.
    EXPECT_EQ(temperature->to, QPoint(27, -1009));

    // Everything selected is put back: the canvas ends with its own pen and font.
    EXPECT_EQ(canvas.pen(), Canvas::defaultPen());
    EXPECT_EQ(canvas.font(), CanvasFont());
}

TEST(GraphPage, AnEmptyOrReversedWindowDrawsNoDivisions)
{
    GraphPrintContext context = pageWith(1000, 1000);
    context.timeWindowEnd = context.timeWindowStart;
    context.temperatureWindowEnd = -5;
    context.series.walk = {{0, 50, 950}, {10, 60, 950}};
    const RecordingCanvas canvas = drawn(context);
    EXPECT_TRUE(linesIn(canvas, MajorColor).empty());
    EXPECT_TRUE(linesIn(canvas, MinorColor).empty());
    EXPECT_EQ(linesIn(canvas, Canvas::defaultPen().color()).size(), 4u);

    // A page too small for any plot draws its frame and nothing across it.
    GraphPrintContext tiny = pageWith(1000, 1000);
    tiny.pageSize = {0, -5};
    EXPECT_TRUE(linesIn(drawn(tiny), MajorColor).empty());
}

// The curve on a plot of 1000 by 1000 units: 1 unit per ms from 1000 ms, 10 units per °C.
struct CurvePage
{
    static constexpr int Bottom = PlotTop - 1000;

    static GraphPrintContext context(std::vector<v4TermData> walk, bool breakAtGaps)
    {
        GraphPrintContext page = pageWith(1000, 1000);
        page.timeWindowStart = 1000;
        page.timeWindowEnd = 2000;
        page.temperatureWindowEnd = 100;
        page.breakAtGaps = breakAtGaps;
        page.series.walk = std::move(walk);
        return page;
    }

    // The pen's path in the curve's pen: "M x,y" for moves and "L x,y" for lines.
    static std::vector<std::string> path(const GraphPrintContext &page)
    {
        const RecordingCanvas canvas = drawn(page);
        std::vector<std::string> result;
        for (const CanvasCall &call : canvas.calls()) {
            if (call.pen.color() != CurveColor)
                continue;
            if (call.kind == CanvasCall::Kind::MoveTo || call.kind == CanvasCall::Kind::LineTo)
                result.push_back((call.kind == CanvasCall::Kind::MoveTo ? "M " : "L ") +
                                 std::to_string(call.to.x()) + "," +
                                 std::to_string(call.to.y() - Bottom));
        }
        return result;
    }
};

using Path = std::vector<std::string>;

TEST(GraphPageCurve, PointsOutsideTheWindowAreLimitedOnlyOnTheLeftAndAtTheBottom)
{
    const Path path = CurvePage::path(CurvePage::context(
        {
            {900, 50, 950},   // before the window: on the left edge
            {1000, -20, 950}, // below it: on the bottom edge
            {1100, 150, 950}, // above it: over the top
            {1200, 60, 950},
            {1201, 60, 950}, // a second point in the same column is drawn too
            {2001, 70, 950}, // past the end: not drawn
            {2002, 80, 950},
        },
        false));
    EXPECT_EQ(path, (Path{"M 140,500", "L 140,0", "L 240,1500", "L 340,600", "L 341,600"}));
}

TEST(GraphPageCurve, BreaksAtGapsOnlyWhileTheFlagIsSet)
{
    const std::vector<v4TermData> walk = {{1000, 10, 950}, {1010, 10, 950}, {1020, 10, 950},
                                          {1120, 20, 950}, {1130, 20, 950}, {1140, 20, 950}};
    EXPECT_EQ(CurvePage::path(CurvePage::context(walk, true)),
              (Path{"M 140,100", "L 150,100", "L 160,100", "M 260,200", "L 270,200", "L 280,200"}));
    EXPECT_EQ(CurvePage::path(CurvePage::context(walk, false)),
              (Path{"M 140,100", "L 150,100", "L 160,100", "L 260,200", "L 270,200", "L 280,200"}));
}

TEST(GraphPageCurve, DrawsNothingWithoutRecordsInTheWindow)
{
    EXPECT_TRUE(CurvePage::path(CurvePage::context({}, true)).empty());
    EXPECT_TRUE(CurvePage::path(CurvePage::context({{2500, 50, 950}}, true)).empty());
}

TEST(CurveGapRule, JudgesIntervalsAgainstTheRunningMean)
{
    struct Row
    {
        const char *name;
        std::vector<std::int32_t> times;
        CurveGapRule::Point last;
    };
    using P = CurveGapRule::Point;
    const std::vector<Row> rows = {
        {"just under ten times the mean", {0, 1000, 2000, 11999}, P::Continues},
        {"ten times the mean is a gap", {0, 1000, 2000, 12000}, P::AfterGap},
        {"the second point only sets the mean", {0, 1000, 2000, 50000, 150000}, P::Continues},
        {"a mean of 0 makes the next point a gap", {0, 0, 100}, P::AfterGap},
        {"extreme times do not overflow",
         {std::numeric_limits<std::int32_t>::min(), 0, std::numeric_limits<std::int32_t>::max()},
         P::Continues},
    };
    for (const Row &row : rows) {
        CurveGapRule rule;
        EXPECT_EQ(rule.judge(row.times.front()), P::First) << row.name;
        P last = P::First;
        for (std::size_t i = 1; i < row.times.size(); ++i)
            last = rule.judge(row.times[i]);
        EXPECT_EQ(last, row.last) << row.name;
    }
}

struct HeaderRow
{
    const char *name;
    std::uint8_t scaleFlags;
    std::vector<v4TermData> walk;
    const char *expected;
};

class GraphPageHeader : public testing::TestWithParam<HeaderRow>
{
};

TEST_P(GraphPageHeader, SecondLineGivesTheIntervalAndTheEmissivity)
{
    const HeaderRow &row = GetParam();
    GraphPrintContext context = pageWith(1000, 1000);
    context.timeWindowStart = 45'000'000;
    context.timeWindowEnd = 46'000'000;
    context.series.scaleFlags = row.scaleFlags;
    context.series.firstTime = 44'000'000; // 12:13:20.000
    context.series.walk = row.walk;
    const QStringList texts = drawn(context).texts();
    ASSERT_GE(texts.size(), 2);
    EXPECT_EQ(texts[1], QString::fromUtf8(row.expected));
}

constexpr std::uint8_t Thousandths = TermDataFile::ThousandthsFlag;

INSTANTIATE_TEST_SUITE_P(
    Rows, GraphPageHeader,
    testing::Values(HeaderRow{"ThousandthsStoredWithoutTheFlag",
                              0,
                              {{45'296'780, 20, 950}, {45'297'780, 21, 950}},
                              "Интервал 12:13:20.000 - 12:34:57.780,  Степень черноты  0.95"},
                    HeaderRow{"Hundredths",
                              0,
                              {{45'296'780, 20, 95}},
                              "Интервал 12:13:20.000 - 12:34:56.780,  Степень черноты  0.95"},
                    HeaderRow{"ARangeEndsAtTheRecordPastTheWindow",
                              Thousandths,
                              {{45'000'001, 20, 900}, {45'500'000, 20, 975}, {46'000'005, 20, 100}},
                              "Интервал 12:13:20.000 - 12:46:40.005,  "
                              "Степень черноты изменялась в пределах  0.90...0.97"},
                    HeaderRow{"RecordsWithAZeroFieldDoNotCount",
                              Thousandths,
                              {{45'000'001, 0, 100}, {45'000'002, 20, 0}, {45'000'003, 20, 950}},
                              "Интервал 12:13:20.000 - 12:30:0.003,  Степень черноты  0.95"},
                    HeaderRow{"NoCountingRecord",
                              Thousandths,
                              {{45'000'001, 0, 100}},
                              "Интервал 12:13:20.000 - 12:30:0.001,  Степень черноты  0.00"},
                    // No record at or after the window's start: there is no end to tell.
                    HeaderRow{"NoRecordInTheWindow",
                              Thousandths,
                              {},
                              "Интервал 12:13:20.000,  Степень черноты  0.00"}),
    RowName());

TEST(GraphPage, TimesOutsideTheDayWrapIntoIt)
{
    GraphPrintContext context = pageWith(1000, 1000);
    context.series.firstTime = -1;
    context.series.walk = {{86'400'000 + 61'001, 20, 950}};
    context.timeWindowEnd = std::numeric_limits<std::int32_t>::max();
    EXPECT_TRUE(drawn(context).texts()[1].startsWith(
        QStringLiteral("Интервал 23:59:59.999 - 0:1:1.001,  ")));
}

// The box a text covers, in units with y upward; the turned caption runs down from its point
// with its letters' feet to the left.
QRect textBox(const CanvasCall &call)
{
    const QSize size = extent(call.font, call.text);
    if (call.font.escapement == -900)
        return {call.to.x() - size.height(), call.to.y() - size.width(), size.height(),
                size.width()};
    return {call.to.x(), call.to.y() - size.height(), size.width(), size.height()};
}

TEST(GraphPage, OnAPageItFitsEveryTextLiesWhole)
{
    struct Row
    {
        QSize page;
        bool fits;
        int headerLines;
    };
    // A4 holds the header on two lines, a narrower page on three; a page shorter than the
    // turned caption, narrower than the emissivity's line or with two temperature labels only
    // does not fit.
    for (const Row row :
         {Row{{2100, 2970}, true, 2}, Row{{1000, 900}, true, 3}, Row{{5000, 540}, false, 2},
          Row{{600, 3000}, false, 3}, Row{{1000, 700}, false, 3}}) {
        GraphPrintContext context = pageWith(0, 0);
        context.pageSize = row.page;
        context.timeWindowStart = 33'157'410;
        context.timeWindowEnd = 33'250'000;
        context.temperatureWindowStart = -40;
        context.temperatureWindowEnd = 1200;
        context.timeLabel = [](double value) { return ClockText(static_cast<int>(value)); };
        context.series = {
            -40, 1200, Thousandths, 33'157'410, {{33'157'410, -40, 900}, {33'250'000, 1200, 950}}};
        RecordingCanvas canvas;
        canvas.setExtentRule(extent);
        EXPECT_EQ(GraphPageFits(canvas, context), row.fits) << row.page.width();
        DrawGraphPage(canvas, context);

        const QRect page(0, -row.page.height(), row.page.width(), row.page.height());
        int headerLines = 0;
        for (const CanvasCall &call : canvas.callsOf(CanvasCall::Kind::TextOut)) {
            headerLines += call.font == CanvasFont() ? 1 : 0;
            if (row.fits) {
                EXPECT_TRUE(page.contains(textBox(call)))
                    << call.text.toStdString() << " on " << row.page.width() << "x"
                    << row.page.height();
            }
        }
        EXPECT_EQ(headerLines, row.headerLines) << row.page.width();
    }
}

// A reading a second from 0 to 10 s, from -20 to 80 °C.
void addTenSeconds(TermDataFile &series)
{
    for (int t = 0; t <= 10000; t += 1000)
        series.Add(t, t / 100 - 20, 950);
    series.minTemperature = -20;
    series.maxTemperature = 80;
}

TEST(TakeGraphPrintSeries, CopiesTheWalkUpToTheFirstRecordPastTheWindow)
{
    TermDataFile series;
    addTenSeconds(series);

    const GraphPrintSeries copy = TakeGraphPrintSeries(&series, 2000, 4500);
    EXPECT_EQ(copy.minTemperature, -20);
    EXPECT_EQ(copy.maxTemperature, 80);
    EXPECT_EQ(copy.scaleFlags, TermDataFile::ThousandthsFlag);
    EXPECT_EQ(copy.firstTime, 0);
    std::vector<std::int32_t> times;
    for (const v4TermData &record : copy.walk)
        times.push_back(record.time);
    EXPECT_EQ(times, (std::vector<std::int32_t>{2000, 3000, 4000, 5000}));

    EXPECT_EQ(TakeGraphPrintSeries(&series, 8000, 20000).walk.size(), 3u);
    const GraphPrintSeries late = TakeGraphPrintSeries(&series, 20000, 30000);
    EXPECT_TRUE(late.walk.empty());
    EXPECT_EQ(late.firstTime, 0);

    const GraphPrintSeries none = TakeGraphPrintSeries(nullptr, 0, 1000);
    EXPECT_FALSE(none.firstTime);
    EXPECT_TRUE(none.walk.empty());
    TermDataFile empty;
    EXPECT_FALSE(TakeGraphPrintSeries(&empty, 0, 1000).firstTime);
}

// The window's page names the whole series within its bars' windows; a page made without the
// window names only the readings within its time window and fits its temperature scale to them.
TEST(GraphPageContext, TheWindowsPageNamesTheSeriesAndAReadingsPageFitsItsReadings)
{
    TermDataFile series;
    addTenSeconds(series);

    GraphPrintContext windows;
    windows.timeWindowStart = 2000;
    windows.timeWindowEnd = 4500;
    windows.temperatureWindowEnd = 50;
    const GraphPrintContext shown = GraphPageContext(&series, windows);
    EXPECT_EQ(shown.temperatureWindowEnd, 50);
    EXPECT_EQ(shown.series.walk.size(), 4u);
    EXPECT_EQ(shown.series.maxTemperature, 80);
    EXPECT_TRUE(shown.timeLabel && shown.temperatureLabel);

    const GraphPrintContext readings = ReadingsPageContext(series, 2000, 4500);
    std::vector<std::int32_t> times;
    for (const v4TermData &record : readings.series.walk)
        times.push_back(record.time);
    EXPECT_EQ(times, (std::vector<std::int32_t>{2000, 3000, 4000}));
    EXPECT_EQ(std::make_tuple(readings.series.minTemperature, readings.series.maxTemperature,
                              readings.series.firstTime.value_or(-1)),
              std::make_tuple(0, 20, 2000));
    // Ten degrees beyond the lowest and highest reading shown.
    EXPECT_EQ(std::make_tuple(readings.temperatureWindowStart, readings.temperatureWindowEnd,
                              readings.temperatureRangeMax, readings.breakAtGaps),
              std::make_tuple(-10, 30, 30, false));
    EXPECT_TRUE(ReadingsPageContext(series, 20000, 30000).series.walk.empty());
}

TEST(PrintGraphThread, PrintsOnePageOrDropsTheDocument)
{
    const GraphPrintContext context = pageWith(1000, 1000);
    for (const bool pageStarts : {true, false}) {
        FakePaper paper;
        paper.failingPage = pageStarts ? 0 : 1;
        EXPECT_EQ(PrintGraphThread(std::make_unique<FakePrintDevice>(paper), context), 0);
        EXPECT_EQ(paper.pagesEnded, pageStarts ? 1 : 0);
        EXPECT_EQ(paper.ended, pageStarts ? 1 : 0);
        EXPECT_EQ(paper.aborted, pageStarts ? 0 : 1);
        EXPECT_EQ(paper.pages.size(), pageStarts ? 1u : 0u);
        EXPECT_TRUE(paper.offPage.calls().empty());
        EXPECT_TRUE(paper.pages.empty() || !paper.pages[0].calls().empty());
    }
    EXPECT_EQ(PrintGraphThread(nullptr, context), -1);
}

TEST(PrintGraphThread, ACancelledPrintoutDropsItsDocument)
{
    GraphPrintContext context = pageWith(1000, 1000);
    for (std::int32_t time = 0; time < 10'000; ++time)
        context.series.walk.push_back({time, 50, 950});
    context.timeWindowEnd = 10'000;
    const std::atomic<bool> cancelled = true;
    FakePaper paper;
    EXPECT_EQ(PrintGraphThread(std::make_unique<FakePrintDevice>(paper), context, &cancelled), 0);
    EXPECT_EQ(paper.aborted, 1);
    EXPECT_EQ(paper.ended, 0);
    EXPECT_EQ(paper.pagesEnded, 0);

    // Along the curve the flag is looked at now and then: drawing stops well before its end.
    RecordingCanvas stopped;
    EXPECT_FALSE(DrawGraphPage(stopped, context, &cancelled));
    EXPECT_LT(linesIn(stopped, CurveColor).size(), 9'000u);
    RecordingCanvas whole;
    EXPECT_TRUE(DrawGraphPage(whole, context));
    EXPECT_EQ(linesIn(whole, CurveColor).size(), 9'999u);
}

} // namespace

// A picture of a series too long to hold draws a part of its records: every record while they
// fit, else a part no larger than the records kept that still gives the page of every record
// (its range, interval and emissivity) and, near each record it leaves out, records no warmer
// and no colder, so that the curve's strokes reach as far.
TEST(PageRecords, KeepEveryRecordThatFitsElseWhatShapesThePage)
{
    std::uint32_t state = 99;
    const auto next = [&state](std::uint32_t range) {
        state = state * 1664525u + 1013904223u;
        return static_cast<std::int32_t>((state >> 8) % range);
    };
    std::vector<v4TermData> all;
    for (std::int32_t time = 1000; all.size() < 200000; time += 1 + next(40))
        all.push_back({time, next(3000) - 500,
                       static_cast<std::uint16_t>(next(50) == 0 ? 0 : 800 + next(200))});
    constexpr std::size_t Kept = 4000;

    PageRecords few(Kept);
    for (std::size_t i = 0; i < Kept; ++i)
        few.add(all[i]);
    TermDataFile fewKept;
    few.takeInto(fewKept);
    ASSERT_EQ(fewKept.count, static_cast<std::int32_t>(Kept));
    for (std::size_t i = 0; i < Kept; ++i)
        ASSERT_EQ(std::tie(fewKept.records[i].time, fewKept.records[i].temperature,
                           fewKept.records[i].emissivity),
                  std::tie(all[i].time, all[i].temperature, all[i].emissivity));

    PageRecords many(Kept);
    TermDataFile whole;
    for (const v4TermData &record : all) {
        many.add(record);
        whole.Add(record.time, record.temperature, record.emissivity);
    }
    TermDataFile kept;
    many.takeInto(kept);
    ASSERT_LE(kept.count, static_cast<std::int32_t>(Kept));
    ASSERT_GT(kept.count, static_cast<std::int32_t>(Kept / 4));

    const std::int32_t start = all.front().time;
    const std::int32_t end = all.back().time;
    const GraphPrintContext page = ReadingsPageContext(kept, start, end);
    const GraphPrintContext wholePage = ReadingsPageContext(whole, start, end);
    EXPECT_EQ(page.series.minTemperature, wholePage.series.minTemperature);
    EXPECT_EQ(page.series.maxTemperature, wholePage.series.maxTemperature);
    EXPECT_EQ(page.series.firstTime, wholePage.series.firstTime);
    EXPECT_EQ(page.series.walk.back().time, wholePage.series.walk.back().time);
    EXPECT_EQ(page.temperatureWindowStart, wholePage.temperatureWindowStart);
    EXPECT_EQ(page.temperatureWindowEnd, wholePage.temperatureWindowEnd);
    const auto emissivities = [](const TermDataFile &series) {
        std::pair<int, int> range{std::numeric_limits<int>::max(), 0};
        for (std::int32_t i = 0; i < series.count; ++i) {
            if (series.records[i].emissivity == 0)
                continue;
            range.first = std::min<int>(range.first, series.records[i].emissivity);
            range.second = std::max<int>(range.second, series.records[i].emissivity);
        }
        return range;
    };
    EXPECT_EQ(emissivities(kept), emissivities(whole));

    // Kept in order, and each one left out lies between kept ones close by in time.
    const std::int64_t near = 2 * (std::int64_t{end} - start) / static_cast<std::int64_t>(Kept / 8);
    std::size_t k = 0;
    for (const v4TermData &record : all) {
        while (k < static_cast<std::size_t>(kept.count) && kept.records[k].time < record.time)
            ++k;
        ASSERT_LT(k, static_cast<std::size_t>(kept.count)) << "a record kept out of order";
        if (kept.records[k].time == record.time)
            continue;
        bool colder = false;
        bool warmer = false;
        for (std::int32_t i = 0; i < kept.count; ++i) {
            if (std::abs(std::int64_t{kept.records[i].time} - record.time) > near)
                continue;
            colder = colder || kept.records[i].temperature <= record.temperature;
            warmer = warmer || kept.records[i].temperature >= record.temperature;
        }
        ASSERT_TRUE(colder && warmer) << "nothing kept near " << record.time;
    }
}

namespace {

// The visible notes: numbered flags standing on the plot's foot at their times, and their list
// at the page's foot, which the plot makes room for; a note outside the window is left out.
TEST(GraphPage, NotesStandOnTheTimeAxisAndAreListedUnderThePlot)
{
    const GraphPrintContext plain = pageWith(1600, 1540);
    GraphPrintContext context = plain;
    context.notes = {{400, QStringLiteral("образец 3")}, {5000, QStringLiteral("вне окна")}};
    const RecordingCanvas canvas = drawn(context);

    const CanvasCall *listed = textCall(canvas, QStringLiteral("1  00:00:00.400  образец 3"));
    ASSERT_NE(listed, nullptr);
    EXPECT_EQ(canvas.texts().filter(QStringLiteral("вне окна")), QStringList());
    EXPECT_TRUE(canvas.texts().contains(QStringLiteral("1")));

    // The plot is shorter by the list's line; the flag's mast rises from its new foot.
    const int bottom = PlotTop - 1540;
    const int raised = bottom + 20;
    bool mast = false;
    for (const QLine &line : linesIn(canvas, QColor(NoteFlagColor)))
        mast = mast || (line.x1() == PlotLeft + 400 && line.x2() == line.x1() &&
                        line.y1() == raised && line.y2() > raised);
    EXPECT_TRUE(mast);
    EXPECT_LT(listed->to.y(), raised);
    EXPECT_EQ(textCall(drawn(plain), QStringLiteral("1")), nullptr);
}

// A page with two runs compared: each curve in its colour, the graph's own on top, the legend
// in the plot's top right corner and the statistics box in its top left, with y upward on
// paper as everywhere on the page.
TEST(GraphPageRuns, DrawsEveryRunInItsColourWithTheLegendAndStatistics)
{
    GraphPrintContext context = pageWith(1000, 1000);
    context.series.firstTime = 0;
    context.series.walk = {{0, 100, 950}, {1000, 100, 950}};
    const QRgb green = qRgb(0, 150, 0);
    const QRgb purple = qRgb(160, 0, 200);
    context.runs = {{QStringLiteral("a.orm"), green, {{0, 200, 950}, {1000, 200, 950}}},
                    {QStringLiteral("b.orm"), purple, {{0, 300, 950}, {500, 300, 950}}}};
    context.seriesName = QStringLiteral("Таблица");
    context.statistics = {QStringLiteral("Среднее: 100.0 °C"),
                          QStringLiteral("a.orm: 2 изм., 200…200 °C, среднее 200.0 °C")};
    const RecordingCanvas canvas = drawn(context);

    const int bottom = PlotTop - 1000;
    EXPECT_EQ(linesIn(canvas, QColor(green)).front(),
              QLine(QPoint(PlotLeft, bottom + 200), QPoint(PlotLeft + 1000, bottom + 200)));
    EXPECT_EQ(linesIn(canvas, QColor(purple)).front(),
              QLine(QPoint(PlotLeft, bottom + 300), QPoint(PlotLeft + 500, bottom + 300)));
    // The graph's curve is drawn last, over the runs.
    const std::vector<CanvasCall> lines = canvas.callsOf(CanvasCall::Kind::LineTo);
    const auto lastCurve = std::find_if(lines.rbegin(), lines.rend(), [](const CanvasCall &call) {
        return call.pen.color() == CurveColor;
    });
    ASSERT_NE(lastCurve, lines.rend());
    const auto lastRun = std::find_if(lines.rbegin(), lines.rend(), [&](const CanvasCall &call) {
        return call.pen.color() == QColor(green) && call.pen.widthF() == 3;
    });
    EXPECT_LT(lastCurve - lines.rbegin(), lastRun - lines.rbegin());

    for (const QString &text :
         {QStringLiteral("Таблица"), QStringLiteral("a.orm"), QStringLiteral("b.orm"),
          context.statistics[0], context.statistics[1]}) {
        const CanvasCall *call = textCall(canvas, text);
        ASSERT_NE(call, nullptr) << text.toStdString();
        // Inside the plot, below its top edge.
        EXPECT_LT(call->to.y(), PlotTop) << text.toStdString();
        EXPECT_GT(call->to.y(), PlotTop - 1000) << text.toStdString();
    }
    // Lines of a box run downward on paper; the legend lies right of the statistics.
    EXPECT_GT(textCall(canvas, context.statistics[0])->to.y(),
              textCall(canvas, context.statistics[1])->to.y());
    EXPECT_GT(textCall(canvas, QStringLiteral("a.orm"))->to.x(),
              textCall(canvas, context.statistics[1])->to.x() + 200);

    // The graph alone prints neither box, whatever statistics it is given.
    context.runs.clear();
    const QStringList alone = drawn(context).texts();
    EXPECT_FALSE(alone.contains(QStringLiteral("Таблица")));
    EXPECT_FALSE(alone.contains(context.statistics[0]));
}

// Past a day of a joined timeline the header's interval and the time labels name the day.
TEST(GraphPage, AJoinedTimelineNamesTheDays)
{
    GraphPrintContext context = pageWith(1000, 1000);
    context.firstDay = QDate(2026, 12, 5);
    context.series.firstTime = 30'000;
    context.series.walk = {{2 * 86'400'000 + 30'000, 20, 950}};
    context.timeWindowEnd = std::numeric_limits<std::int32_t>::max();
    EXPECT_TRUE(drawn(context).texts()[1].startsWith(
        QStringLiteral("Интервал 05.12 00:00:30.000 - 07.12 00:00:30.000,  ")));
    EXPECT_EQ(RangeBarLabels(RangeBarUnits::Milliseconds, context.firstDay)(86'400'000 + 61'000),
              QStringLiteral("06.12 00:01:01"));
}

} // namespace
