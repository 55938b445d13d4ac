#include "acquisition/MeasurementTableModel.h"
#include "companions/FormatOutTime.h"

#include <gtest/gtest.h>

namespace {

QString cell(const DeviceReading &reading, int column)
{
    return MeasurementTableModel::cellText(reading, column);
}

} // namespace

TEST(MeasurementTableModel, ColumnTitlesAndWidths)
{
    const QStringList titles{"№", "Время", "T °C", "Е", "Режим"};
    const std::vector<int> widths{45, 80, 75, 75, 75};
    for (int column = 0; column < MeasurementTableModel::ColumnCount; ++column) {
        EXPECT_EQ(MeasurementTableModel::columnTitle(column), titles[column]);
        EXPECT_EQ(MeasurementTableModel::columnWidth(column), widths[static_cast<size_t>(column)]);
    }
    // The emissivity heading is the Cyrillic letter, not the Latin E.
    EXPECT_EQ(MeasurementTableModel::columnTitle(3).at(0).unicode(), 0x0415);
}

TEST(MeasurementTableModel, TimeTexts)
{
    const std::vector<std::pair<std::int32_t, const char *>> cases{
        {0, "00:00:00.000"},        {50, "00:00:00.050"},       {990, "00:00:00.990"},
        {45296780, "12:34:56.780"}, {86399990, "23:59:59.990"},
    };
    for (const auto &[milliseconds, text] : cases)
        EXPECT_EQ(TimeText(milliseconds), QString(text)) << milliseconds;
}

TEST(MeasurementTableModel, CellTexts)
{
    DeviceReading reading{-32768, 45296780, -12, 950, 2};
    EXPECT_EQ(cell(reading, 0), "-32768");
    EXPECT_EQ(cell(reading, 1), "12:34:56.780");
    EXPECT_EQ(cell(reading, 2), "-12");
    EXPECT_EQ(cell(reading, 3), "0.950");
    EXPECT_EQ(cell(reading, 4), "Максимум");

    reading.emissivity = 1000;
    reading.mode = NoMeasureMode;
    EXPECT_EQ(cell(reading, 3), "1.000");
    EXPECT_EQ(cell(reading, 4), "");
}

TEST(MeasurementTableModel, RowsKeepTheirRecordIndexAndOrder)
{
    MeasurementTableModel model;
    model.appendRow({1, 1000, 500, 950, 0}, 0);
    model.appendRow({2, 2000, 600, 900, 5}, 1);
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.columnCount(), 5);
    EXPECT_EQ(model.index(1, 0).data(MeasurementTableModel::RecordIndexRole).toInt(), 1);
    EXPECT_EQ(model.index(1, 4).data().toString(), "Сбор данных");
    EXPECT_EQ(model.headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), "T °C");

    model.clear();
    EXPECT_EQ(model.rowCount(), 0);
}
