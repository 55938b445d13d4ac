#pragma once

#include "acquisition/MeasurementTableModel.h"
#include "acquisition/ReceivedRows.h"

#include <QString>

#include <vector>

// The rows of a data file compared with the graph, as its read-back's table showed them, kept
// for the export of the graph's visible data once the read-back is gone. Each row is named by
// the file it came from.
class ComparedRunRows : public ReceivedRows
{
public:
    ComparedRunRows(const MeasurementTableModel &table, QString name);

    int rowTotal() const override { return static_cast<int>(m_rows.size()); }
    void appendCellText(int row, int column, QByteArray &utf8) const override;
    int recordIndexAt(int row) const override;
    QString fileOf(int row) const override;

private:
    std::vector<MeasurementTableModel::Row> m_rows;
    QString m_name;
};
