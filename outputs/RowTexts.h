#pragma once

#include "acquisition/ReceivedRows.h"

#include <QString>

#include <array>
#include <cstddef>
#include <vector>

// The texts of one table row, by ReceivedRows::Column.
using RowCells = std::array<QString, ReceivedRows::ColumnCount>;

// One table row as five zero-terminated UTF-8 fields. Each field holds at most a fixed number
// of characters (its limit below); a longer cell text is cut to that many characters, never
// inside a character. The byte arrays are sized to hold their limit: the mode field has room
// for fourteen two-byte (Cyrillic) characters, so every mode name fits whole.
struct TableRowText
{
    static constexpr std::size_t NumberLimit = 4;
    static constexpr std::size_t TimeLimit = 14;
    static constexpr std::size_t TemperatureLimit = 6;
    static constexpr std::size_t EmissivityLimit = 4;
    static constexpr std::size_t ModeLimit = 14;

    char number[NumberLimit + 1];
    char time[TimeLimit + 1];
    char temperature[TemperatureLimit + 1];
    char emissivity[EmissivityLimit + 1];
    char mode[2 * ModeLimit + 1];
};

// The texts of row `row` of `table`.
RowCells GetRowCells(const ReceivedRows &table, int row);

// The rows to take: `selectedRows` in ascending order, without repeats and without numbers
// outside the table; all rows of the table when `selectedRows` is empty.
std::vector<int> RowsToTake(const ReceivedRows &table, std::vector<int> selectedRows);

// The fixed-width form of one row's texts.
TableRowText MakeTableRowText(const RowCells &cells);

// The snapshot of the selected rows (all rows when none is selected), in row order.
std::vector<TableRowText> GetRowTexts(const ReceivedRows &table, std::vector<int> selectedRows);
