#include "plot/PlotOverlays.h"

#include "plot/RecordingCanvas.h"

#include <gtest/gtest.h>

namespace {

TEST(PlotOverlays, StatisticsLinesNameEveryFigureAndTheSetThresholdsOnly)
{
    ReadingStatistics figures;
    figures.count = 3;
    figures.lowest = {19, 9 * 3600000 + 12 * 60000 + 37410};
    figures.highest = {866, 9 * 3600000 + 13 * 60000 + 44810};
    figures.mean = 497.391;
    figures.standardDeviation = 287.32;
    figures.duration = 137780;
    figures.timeAbove = 49660;
    EXPECT_EQ(
        StatisticsLines(figures, {700, std::nullopt}),
        (QStringList{"Измерений: 3", "Минимум: 19 °C (09:12:37.410)",
                     "Максимум: 866 °C (09:13:44.810)", "Среднее: 497.4 °C",
                     "Ст. отклонение: 287.3 °C", "Длительность: 2:17.780", "Выше 700 °C: 49.660"}));
    // A window without readings has nothing to say of temperatures.
    ReadingStatistics empty;
    empty.duration = 5000;
    EXPECT_EQ(StatisticsLines(empty, {std::nullopt, 300}),
              (QStringList{"Измерений: 0", "Длительность: 05.000", "Ниже 300 °C: 00.000"}));
    // On a joined timeline the times name their day as the graph's other texts do.
    figures.highest.time += 2 * 86'400'000;
    EXPECT_EQ(StatisticsLines(figures, {}, QDate(2026, 12, 5))[2],
              "Максимум: 866 °C (07.12 09:13:44.810)");
}

TEST(PlotOverlays, TheMarkerAndTheDifferenceToTheReadingUnderThePointer)
{
    const v4TermData marker{9 * 3600000 + 13 * 60000 + 22670, 732, 950};
    EXPECT_EQ(MarkerText(marker), "09:13:22.670  732 °C");
    EXPECT_EQ(DifferenceText(marker, {marker.time + 65123, 769, 950}),
              "Δt = 1:05.123  ΔT = +37 °C");
    EXPECT_EQ(DifferenceText(marker, {marker.time - 2000, 700, 950}), "Δt = -02.000  ΔT = -32 °C");
}

TEST(PlotOverlays, ATextBoxIsFramedAroundItsLines)
{
    RecordingCanvas canvas;
    canvas.setExtentRule([](const CanvasFont &, const QString &text) {
        return QSize(5 * static_cast<int>(text.size()), 10);
    });
    // The widest line and every line's height, with 4 inside the frame all round.
    EXPECT_EQ(DrawTextBox(canvas, {10, 20}, {"ab", "abcd"}), QRect(10, 20, 28, 28));
    const std::vector<CanvasCall> texts = canvas.callsOf(CanvasCall::Kind::TextOut);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].to, QPoint(14, 24));
    EXPECT_EQ(texts[1].to, QPoint(14, 34));
    EXPECT_EQ(canvas.callsOf(CanvasCall::Kind::Rectangle).size(), 1u);
}

} // namespace
