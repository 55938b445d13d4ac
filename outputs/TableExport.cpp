#include "outputs/TableExport.h"

#include "acquisition/ReceivedRows.h"
#include "outputs/SaveMeasurements.h"

#include <QSaveFile>
#include <QStringList>

#include <algorithm>
#include <utility>

namespace {

const Prompts::FileRequest CsvFileRequest{QStringLiteral("Таблицы CSV (*.csv);;Все файлы (*)"),
                                          QStringLiteral("csv"), QStringLiteral("data")};

QStringList titles()
{
    QStringList titles;
    for (int column = 0; column < ReceivedRows::ColumnCount; ++column)
        titles << ReceivedRows::columnTitle(column);
    return titles;
}

QStringList cellList(RowCells cells, QChar decimalPoint)
{
    QString &emissivity = cells[ReceivedRows::EmissivityColumn];
    emissivity.replace(QLatin1Char('.'), decimalPoint);
    return {cells.begin(), cells.end()};
}

// Appends text as one field, quoted when it holds a ";", a quote or a line break.
void appendCsvField(QByteArray &line, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    const auto special = [](char c) { return c == ';' || c == '"' || c == '\n' || c == '\r'; };
    if (std::none_of(utf8.begin(), utf8.end(), special)) {
        line += utf8;
        return;
    }
    line += '"';
    for (char c : utf8) {
        if (c == '"')
            line += '"';
        line += c;
    }
    line += '"';
}

// Built straight into bytes: an export of millions of rows makes a line for each.
template <typename Fields> QByteArray csvLine(const Fields &fields)
{
    QByteArray line;
    line.reserve(64);
    bool first = true;
    for (const QString &field : fields) {
        if (!std::exchange(first, false))
            line += ';';
        appendCsvField(line, field);
    }
    return line + "\r\n";
}

} // namespace

QString RowsAsTabText(const ReceivedRows &table, const std::vector<int> &rows, QChar decimalPoint)
{
    QString text = titles().join(QLatin1Char('\t')) + QLatin1Char('\n');
    for (int row : rows)
        text += cellList(GetRowCells(table, row), decimalPoint).join(QLatin1Char('\t')) +
                QLatin1Char('\n');
    return text;
}

QByteArray CsvDocument(const std::vector<RowCells> &rows)
{
    QByteArray document = CsvStart();
    for (const RowCells &cells : rows)
        document += CsvLine(cells);
    return document;
}

QByteArray CsvStart()
{
    return QByteArray("\xEF\xBB\xBF") + csvLine(titles());
}

QByteArray CsvLine(RowCells cells)
{
    cells[ReceivedRows::EmissivityColumn].replace(QLatin1Char('.'), QLatin1Char(','));
    return csvLine(cells);
}

bool WriteCsvFile(const QString &path, const ReceivedRows &table, const std::vector<int> &rows)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // Written a block at a time: a write per line would cost more than making the line.
    constexpr qsizetype BlockSize = 1 << 20;
    QByteArray block = CsvStart();
    bool written = true;
    for (auto row = rows.begin(); written && row != rows.end(); ++row) {
        block += CsvLine(GetRowCells(table, *row));
        if (block.size() >= BlockSize || row + 1 == rows.end()) {
            written = file.write(block) == block.size();
            block.resize(0);
        }
    }
    written = written && file.write(block) == block.size();
    // commit() flushes what is still buffered: a late write failure shows up there.
    return written && file.commit();
}

void ExportCsv(Prompts &prompts, const ReceivedRows &table, const std::vector<int> &selectedRows)
{
    if (table.rowTotal() == 0)
        return;
    const QString path = prompts.saveFileName(CsvFileRequest);
    if (path.isEmpty())
        return;
    ReportFileWritten(prompts, WriteCsvFile(path, table, RowsToTake(table, selectedRows)));
}
