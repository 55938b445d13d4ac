#include "outputs/ComparedRunRows.h"

ComparedRunRows::ComparedRunRows(const MeasurementTableModel &table, QString name)
    : m_name(std::move(name))
{
    m_rows.reserve(static_cast<std::size_t>(table.rowTotal()));
    for (int row = 0; row < table.rowTotal(); ++row)
        m_rows.push_back({table.readingAt(row), table.recordIndexAt(row)});
}

void ComparedRunRows::appendCellText(int row, int column, QByteArray &utf8) const
{
    if (row < 0 || row >= rowTotal())
        return;
    MeasurementTableModel::CellTextBuffer text;
    utf8.append(text.data(), static_cast<qsizetype>(MeasurementTableModel::writeCellText(
                                 m_rows[static_cast<std::size_t>(row)].reading, column, text)));
}

int ComparedRunRows::recordIndexAt(int row) const
{
    return row >= 0 && row < rowTotal() ? m_rows[static_cast<std::size_t>(row)].recordIndex : -1;
}

QString ComparedRunRows::fileOf(int row) const
{
    return row >= 0 && row < rowTotal() ? m_name : QString();
}
