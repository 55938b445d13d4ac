#include "outputs/RowTexts.h"
#include "acquisition/MeasurementTableModel.h"

#include <gtest/gtest.h>

#include <ostream>

#include <cstring>

namespace {

struct CutCase
{
    const char *what;
    RowCells cells;
    const char *number;
    const char *time;
    const char *temperature;
    const char *emissivity;
    const char *mode;
};

// Names the case in the test list.
void PrintTo(const CutCase &c, std::ostream *os)
{
    *os << c.what;
}

class TableRowTextCut : public testing::TestWithParam<CutCase>
{
};

const CutCase CutCases[] = {
    {"texts that fit are kept whole",
     {"1", "12:34:56.780", "-12", "0.95", "Сглаживание"},
     "1",
     "12:34:56.780",
     "-12",
     "0.95",
     "Сглаживание"},
    {"longer texts keep size - 1 characters",
     {"12345", "123:45:67.8901", "1234567", "0.950", "Сбор данных ещё"},
     "1234",
     "123:45:67.8901",
     "123456",
     "0.95",
     "Сбор данных ещ"},
    {"a character that no longer fits is left out whole",
     {"1€", "", "", "0.9😀", "€€€€€€€€€€"},
     "1€",
     "",
     "",
     "0.9",
     "€€€€€€€€€"},
};

INSTANTIATE_TEST_SUITE_P(Cases, TableRowTextCut, testing::ValuesIn(CutCases));

TEST_P(TableRowTextCut, FieldsHoldTheirLimitOfWholeCharacters)
{
    const CutCase &c = GetParam();
    const TableRowText text = MakeTableRowText(c.cells);
    EXPECT_STREQ(text.number, c.number) << c.what;
    EXPECT_STREQ(text.time, c.time) << c.what;
    EXPECT_STREQ(text.temperature, c.temperature) << c.what;
    EXPECT_STREQ(text.emissivity, c.emissivity) << c.what;
    EXPECT_STREQ(text.mode, c.mode) << c.what;
}

class RowTextsOfTable : public testing::Test
{
protected:
    void SetUp() override
    {
        for (std::int16_t number = 1; number <= 4; ++number)
            table.appendRow({number, number * 1000, 100 + number, 950, 0}, number - 1);
    }

    std::vector<QString> numbers(const std::vector<int> &selection) const
    {
        std::vector<QString> result;
        for (const TableRowText &text : GetRowTexts(table, selection))
            result.push_back(QString::fromUtf8(text.number));
        return result;
    }

    MeasurementTableModel table;
};

TEST_F(RowTextsOfTable, TakesAllRowsWithoutASelectionAndSelectedRowsInRowOrder)
{
    EXPECT_EQ(numbers({}), (std::vector<QString>{"1", "2", "3", "4"}));
    EXPECT_EQ(numbers({3, 0, 2}), (std::vector<QString>{"1", "3", "4"}));
    // Rows the table does not have, and repeats, are never read.
    EXPECT_EQ(numbers({7, 1, -1, 1}), (std::vector<QString>{"2"}));
    EXPECT_TRUE(numbers({9}).empty());
}

TEST_F(RowTextsOfTable, CopiesTheCellTextsOfTheTable)
{
    table.appendRow({12345, 45296780, 856, 950, NoMeasureMode}, 4);
    const TableRowText text = GetRowTexts(table, {4}).at(0);
    EXPECT_STREQ(text.number, "1234");
    EXPECT_STREQ(text.time, "12:34:56.780");
    EXPECT_STREQ(text.temperature, "856");
    EXPECT_STREQ(text.emissivity, "0.95");
    EXPECT_STREQ(text.mode, "");
    EXPECT_STREQ(GetRowTexts(table, {0}).at(0).mode, "Измерение");
}

} // namespace
