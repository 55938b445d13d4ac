#pragma once

#include <QByteArray>
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
    // The title of the column naming each row's file, where a table or an export has one.
    static QString fileColumnTitle() { return QStringLiteral("Файл"); }

    virtual int rowTotal() const = 0;
    // Appends to utf8 the text the table shows in a cell of row (0 to rowTotal() - 1), in
    // UTF-8; nothing for a cell outside the table. Exports of millions of rows take it so.
    virtual void appendCellText(int row, int column, QByteArray &utf8) const = 0;
    // The same text as a string.
    QString cellTextAt(int row, int column) const
    {
        QByteArray utf8;
        appendCellText(row, column, utf8);
        return QString::fromUtf8(utf8);
    }
    // The index of row's record in the series, -1 for none.
    virtual int recordIndexAt(int row) const = 0;
    // The name of the data file row was read from; empty for rows of a port.
    virtual QString fileOf(int row) const
    {
        static_cast<void>(row);
        return {};
    }
};
