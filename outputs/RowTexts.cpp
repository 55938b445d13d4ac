#include "outputs/RowTexts.h"

#include <algorithm>
#include <cstring>

namespace {

// The number of bytes of the UTF-8 sequence that starts with `lead`.
std::size_t sequenceLength(unsigned char lead)
{
    if (lead < 0xC0)
        return 1;
    if (lead < 0xE0)
        return 2;
    return lead < 0xF0 ? 3 : 4;
}

// Copies at most `limit` whole characters of `text` into `field`, zero-terminated, never
// more than fits.
template <std::size_t Size>
void fillField(char (&field)[Size], std::size_t limit, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    const auto available = static_cast<std::size_t>(utf8.size());
    std::size_t length = 0;
    for (std::size_t characters = 0; characters < limit && length < available; ++characters) {
        const std::size_t next = length + sequenceLength(static_cast<unsigned char>(utf8[length]));
        if (next > available || next > Size - 1)
            break;
        length = next;
    }
    std::memcpy(field, utf8.constData(), length);
    field[length] = '\0';
}

} // namespace

RowCells GetRowCells(const ReceivedRows &table, int row)
{
    RowCells cells;
    for (int column = 0; column < ReceivedRows::ColumnCount; ++column)
        cells[static_cast<std::size_t>(column)] = table.cellTextAt(row, column);
    return cells;
}

std::vector<int> RowsToTake(const ReceivedRows &table, std::vector<int> selectedRows)
{
    const int rowCount = table.rowTotal();
    if (selectedRows.empty()) {
        selectedRows.resize(static_cast<std::size_t>(rowCount));
        for (int row = 0; row < rowCount; ++row)
            selectedRows[static_cast<std::size_t>(row)] = row;
        return selectedRows;
    }
    std::erase_if(selectedRows, [rowCount](int row) { return row < 0 || row >= rowCount; });
    std::sort(selectedRows.begin(), selectedRows.end());
    selectedRows.erase(std::unique(selectedRows.begin(), selectedRows.end()), selectedRows.end());
    return selectedRows;
}

TableRowText MakeTableRowText(const RowCells &cells)
{
    TableRowText text;
    fillField(text.number, TableRowText::NumberLimit, cells[ReceivedRows::NumberColumn]);
    fillField(text.time, TableRowText::TimeLimit, cells[ReceivedRows::TimeColumn]);
    fillField(text.temperature, TableRowText::TemperatureLimit,
              cells[ReceivedRows::TemperatureColumn]);
    fillField(text.emissivity, TableRowText::EmissivityLimit,
              cells[ReceivedRows::EmissivityColumn]);
    fillField(text.mode, TableRowText::ModeLimit, cells[ReceivedRows::ModeColumn]);
    return text;
}

std::vector<TableRowText> GetRowTexts(const ReceivedRows &table, std::vector<int> selectedRows)
{
    std::vector<TableRowText> texts;
    for (int row : RowsToTake(table, std::move(selectedRows)))
        texts.push_back(MakeTableRowText(GetRowCells(table, row)));
    return texts;
}
