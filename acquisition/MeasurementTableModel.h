#pragma once

#include "acquisition/DeviceParser.h"
#include "acquisition/ReceivedRows.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <utility>

#include <array>
#include <cstddef>
#include <functional>
#include <vector>

// The rows of the measurement table: one accepted reading each, with the index of its
// record in the series as item data (Qt::UserRole). Rows are only appended, never sorted,
// so row order and record order agree.
class MeasurementTableModel : public QAbstractTableModel, public ReceivedRows
{
    Q_OBJECT
public:
    static constexpr int RecordIndexRole = Qt::UserRole;

    struct Row
    {
        DeviceReading reading;
        int recordIndex;
    };

    using QAbstractTableModel::QAbstractTableModel;

    // Width in pixels of each column, and the widest text it shows.
    static int columnWidth(int column);
    static QString widestText(int column);

    // Room for the UTF-8 text of any cell.
    using CellTextBuffer = std::array<char, 32>;
    // Writes the UTF-8 text of one cell for a reading into text, unterminated, and returns its
    // length: the time as HH:MM:SS.mmm, the emissivity in thousandths as "%0.3f", no mode name
    // for an unknown mode.
    static std::size_t writeCellText(const DeviceReading &reading, int column,
                                     CellTextBuffer &text);
    // The same text as a string.
    static QString cellText(const DeviceReading &reading, int column);

    void appendRow(const DeviceReading &reading, int recordIndex);
    // Appends rows in one insertion, as a view takes them in one update.
    void appendRows(std::vector<Row> rows);
    // Empties the table; a file column goes with the rows.
    void clear();
    // Rows read from several files show the name of each row's file in a column after the
    // others, FileColumn. The outputs keep the usual columns: the file column is the table's.
    static constexpr int FileColumn = ColumnCount;
    void showFileColumn();
    // The rows from firstRow on, up to the next file's first, are from the file name.
    void startFile(int firstRow, const QString &name);
    QString fileOf(int row) const override;
    // While the recording has notes, a column after the others, noteColumn(), shows the note of
    // each row that has one, as noteOf gives it; the outputs leave it out, as the file column.
    void setNoteTexts(std::function<QString(int row)> noteOf) { m_noteOf = std::move(noteOf); }
    // The notes changed; anyNotes tells whether the column is shown.
    void notesChanged(bool anyNotes);
    // -1 while the column is not shown.
    int noteColumn() const;
    // Makes room for count rows in all, so that rows added by slices up to them move none.
    void reserve(std::size_t count);

    int rowTotal() const override { return static_cast<int>(m_rows.size()); }
    void appendCellText(int row, int column, QByteArray &utf8) const override;
    int recordIndexAt(int row) const override;
    // The reading shown in row, which must lie in the table.
    const DeviceReading &readingAt(int row) const
    {
        return m_rows[static_cast<std::size_t>(row)].reading;
    }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<Row> m_rows;
    bool m_fileColumn = false;
    bool m_noteColumn = false;
    std::function<QString(int row)> m_noteOf;
    // Each file's first row and name, in the order of the rows.
    std::vector<std::pair<int, QString>> m_fileStarts;
};
