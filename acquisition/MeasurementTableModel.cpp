#include "acquisition/MeasurementTableModel.h"

#include "companions/FormatOutTime.h"
#include "companions/ProcessMemory.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <utility>

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
char *writeThousandths(char *out, char *end, int value)
{
    const int magnitude = std::abs(value);
    if (value < 0)
        *out++ = '-';
    out = std::to_chars(out, end, magnitude / 1000).ptr;
    *out++ = '.';
    const int fraction = magnitude % 1000;
    *out++ = static_cast<char>('0' + fraction / 100);
    *out++ = static_cast<char>('0' + fraction / 10 % 10);
    *out++ = static_cast<char>('0' + fraction % 10);
    return out;
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

std::size_t MeasurementTableModel::writeCellText(const DeviceReading &reading, int column,
                                                 CellTextBuffer &text)
{
    char *const begin = text.data();
    char *const end = begin + text.size();
    switch (column) {
    case NumberColumn:
        return static_cast<std::size_t>(std::to_chars(begin, end, reading.number).ptr - begin);
    case TimeColumn:
        static_assert(FormatOutTimeBufferSize <= std::tuple_size_v<CellTextBuffer>);
        return std::strlen(FormatOutTime(reading.time, begin));
    case TemperatureColumn:
        return static_cast<std::size_t>(std::to_chars(begin, end, reading.temperature).ptr - begin);
    case EmissivityColumn:
        return static_cast<std::size_t>(writeThousandths(begin, end, reading.emissivity) - begin);
    case ModeColumn: {
        // A mode name too long for the buffer would be cut inside a character; none is.
        const char *name = MeasureModeName(reading.mode);
        const std::size_t length = strnlen(name, text.size());
        std::memcpy(begin, name, length);
        return length;
    }
    default:
        return 0;
    }
}

QString MeasurementTableModel::cellText(const DeviceReading &reading, int column)
{
    CellTextBuffer text;
    return QString::fromUtf8(text.data(),
                             static_cast<qsizetype>(writeCellText(reading, column, text)));
}

void MeasurementTableModel::appendRow(const DeviceReading &reading, int recordIndex)
{
    const int row = static_cast<int>(m_rows.size());
    beginInsertRows({}, row, row);
    m_rows.push_back({reading, recordIndex});
    endInsertRows();
}

void MeasurementTableModel::appendRows(std::vector<Row> rows)
{
    if (rows.empty())
        return;
    const int first = rowTotal();
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    // A file read back whole comes as the first rows: they are taken over, not copied, unless
    // room for them was made already.
    if (m_rows.empty() && m_rows.capacity() < rows.size())
        m_rows = std::move(rows);
    else
        m_rows.insert(m_rows.end(), rows.begin(), rows.end());
    endInsertRows();
}

void MeasurementTableModel::clear()
{
    if (m_rows.empty() && !m_fileColumn)
        return;
    beginResetModel();
    m_rows.clear();
    m_fileStarts.clear();
    m_fileColumn = false;
    endResetModel();
}

void MeasurementTableModel::showFileColumn()
{
    if (m_fileColumn)
        return;
    beginResetModel();
    m_fileColumn = true;
    endResetModel();
}

void MeasurementTableModel::startFile(int firstRow, const QString &name)
{
    m_fileStarts.emplace_back(firstRow, name);
}

QString MeasurementTableModel::fileOf(int row) const
{
    const auto after =
        std::upper_bound(m_fileStarts.begin(), m_fileStarts.end(), row,
                         [](int wanted, const auto &start) { return wanted < start.first; });
    return after == m_fileStarts.begin() ? QString() : std::prev(after)->second;
}

void MeasurementTableModel::reserve(std::size_t count)
{
    ReserveLarge(m_rows, count);
}

void MeasurementTableModel::appendCellText(int row, int column, QByteArray &utf8) const
{
    if (row < 0 || row >= rowTotal())
        return;
    CellTextBuffer text;
    utf8.append(text.data(), static_cast<qsizetype>(writeCellText(
                                 m_rows[static_cast<std::size_t>(row)].reading, column, text)));
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
    return parent.isValid() ? 0 : ColumnCount + (m_fileColumn ? 1 : 0) + (m_noteColumn ? 1 : 0);
}

int MeasurementTableModel::noteColumn() const
{
    return m_noteColumn ? ColumnCount + (m_fileColumn ? 1 : 0) : -1;
}

void MeasurementTableModel::notesChanged(bool anyNotes)
{
    const int column = ColumnCount + (m_fileColumn ? 1 : 0);
    if (anyNotes && !m_noteColumn) {
        beginInsertColumns({}, column, column);
        m_noteColumn = true;
        endInsertColumns();
    } else if (!anyNotes && m_noteColumn) {
        beginRemoveColumns({}, column, column);
        m_noteColumn = false;
        endRemoveColumns();
    } else if (m_noteColumn && rowTotal() > 0) {
        emit dataChanged(index(0, column), index(rowTotal() - 1, column));
    }
}

QVariant MeasurementTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Row &row = m_rows[static_cast<std::size_t>(index.row())];
    if (index.column() == noteColumn()) {
        if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
            return {};
        return m_noteOf ? m_noteOf(index.row()) : QString();
    }
    // The note's column may be scrolled out of sight: the row's every cell tells it.
    if (role == Qt::ToolTipRole && m_noteColumn && m_noteOf) {
        const QString note = m_noteOf(index.row());
        return note.isEmpty() ? QVariant() : QVariant(note);
    }
    if (role == Qt::DisplayRole)
        return index.column() == FileColumn ? fileOf(index.row())
                                            : cellText(row.reading, index.column());
    if (role == RecordIndexRole)
        return row.recordIndex;
    return {};
}

QVariant MeasurementTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return {};
    if (role == Qt::DisplayRole)
        return section == noteColumn() ? QStringLiteral("Заметка")
               : section == FileColumn ? fileColumnTitle()
                                       : columnTitle(section);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}
