#pragma once

#include <QString>

// The rows of a reception as the outputs read them: one accepted reading each, in the order
// received, with the index of its record in the reception's series.
class ReceivedRows
{
public:
    enum Column
    {
        NumberColumn,
        TimeColumn,
        TemperatureColumn,
        EmissivityColumn,
        ModeColumn
    };
    static constexpr int ColumnCount = 5;

    virtual ~ReceivedRows() = default;

    // The title of a column, as the table's header shows it.
    static QString columnTitle(int column);

    virtual int rowTotal() const = 0;
    // The text the table shows in a cell of row (0 to rowTotal() - 1).
    virtual QString cellTextAt(int row, int column) const = 0;
    // The index of row's record in the series, -1 for none.
    virtual int recordIndexAt(int row) const = 0;
};
