#include "acquisition/MeasurementTableModel.h"

#include "companions/FormatOutTime.h"

#include <array>
#include <charconv>
#include <cstdlib>

namespace {

struct ColumnInfo
{
    const char *title;
    int width;
    const char *widestText;
};

// "Е" is the Cyrillic capital letter, as the instrument's display writes it.
constexpr std::array<ColumnInfo, MeasurementTableModel::ColumnCount> Columns{{
    {"№", 45, "-32768"},
    {"Время", 80, "00:00:00.000"},
    {"T °C", 75, "-9999"},
    {"Е", 75, "0.000"},
    {"Режим", 75, "Сглаживание"},
}};

// "%0.3f" of value / 1000, made without a floating-point print: a table exported or shown makes
// it for every row.
QString thousandthsText(int value)
{
    const int magnitude = std::abs(value);
    char text[16];
    char *end = text;
    if (value < 0)
        *end++ = '-';
    end = std::to_chars(end, text + sizeof text, magnitude / 1000).ptr;
    *end++ = '.';
    const int fraction = magnitude % 1000;
    *end++ = static_cast<char>('0' + fraction / 100);
    *end++ = static_cast<char>('0' + fraction / 10 % 10);
    *end++ = static_cast<char>('0' + fraction % 10);
    return QString::fromLatin1(text, end - text);
}

} // namespace

QString ReceivedRows::columnTitle(int column)
{
    return QString::fromUtf8(Columns.at(column).title);
}

int MeasurementTableModel::columnWidth(int column)
{
    return Columns.at(column).width;
}

QString MeasurementTableModel::widestText(int column)
{
    return QString::fromUtf8(Columns.at(column).widestText);
}

QString MeasurementTableModel::cellText(const DeviceReading &reading, int column)
{
    switch (column) {
    case NumberColumn:
        return QString::number(reading.number);
    case TimeColumn:
        return TimeText(reading.time);
    case TemperatureColumn:
        return QString::number(reading.temperature);
    case EmissivityColumn:
        return thousandthsText(reading.emissivity);
    case ModeColumn:
        return QString::fromUtf8(MeasureModeName(reading.mode));
    default:
        return {};
    }
}

void MeasurementTableModel::appendRow(const DeviceReading &reading, int recordIndex)
{
    const int row = static_cast<int>(m_rows.size());
    beginInsertRows({}, row, row);
    m_rows.push_back({reading, recordIndex});
    endInsertRows();
}

void MeasurementTableModel::appendRows(const std::vector<Row> &rows)
{
    if (rows.empty())
        return;
    const int first = rowTotal();
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    m_rows.insert(m_rows.end(), rows.begin(), rows.end());
    endInsertRows();
}

void MeasurementTableModel::clear()
{
    if (m_rows.empty())
        return;
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

QString MeasurementTableModel::cellTextAt(int row, int column) const
{
    if (row < 0 || row >= rowTotal())
        return {};
    return cellText(m_rows[static_cast<std::size_t>(row)].reading, column);
}

int MeasurementTableModel::recordIndexAt(int row) const
{
    if (row < 0 || row >= rowTotal())
        return -1;
    return m_rows[static_cast<std::size_t>(row)].recordIndex;
}

int MeasurementTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int MeasurementTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant MeasurementTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Row &row = m_rows[static_cast<std::size_t>(index.row())];
    if (role == Qt::DisplayRole)
        return cellText(row.reading, index.column());
    if (role == RecordIndexRole)
        return row.recordIndex;
    return {};
}

QVariant MeasurementTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return {};
    if (role == Qt::DisplayRole)
        return columnTitle(section);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}
