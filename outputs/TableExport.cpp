#include "outputs/TableExport.h"

#include "acquisition/ReceivedRows.h"
#include "outputs/SaveMeasurements.h"

#include <QStringList>

#include <algorithm>

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

// Appends a line of the cells appendCell(column, document) appends, each made a field; a
// named document has the file column after the table's.
template <typename AppendCell>
void appendCsvLine(QByteArray &document, AppendCell appendCell, bool named = false)
{
    const int columns = ReceivedRows::ColumnCount + (named ? 1 : 0);
    for (int column = 0; column < columns; ++column) {
        if (column > 0)
            document += ';';
        const qsizetype start = document.size();
        appendCell(column, document);
        MakeCsvField(document, start);
    }
    document += "\r\n";
}

// Appends row's line, made straight in bytes: an export of millions of rows makes one for each.
// With a name the line ends with the row's file, or the name where its table knows none.
void appendCsvLine(QByteArray &document, const ReceivedRows &table, int row,
                   const QString *name = nullptr)
{
    appendCsvLine(
        document,
        [&table, row, name](int column, QByteArray &line) {
            if (column == ReceivedRows::ColumnCount) {
                const QString file = table.fileOf(row);
                line += (file.isEmpty() ? *name : file).toUtf8();
                return;
            }
            const qsizetype start = line.size();
            table.appendCellText(row, column, line);
            if (column == ReceivedRows::EmissivityColumn)
                std::replace(line.begin() + start, line.end(), '.', ',');
        },
        name != nullptr);
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

namespace {

QByteArray csvDocumentStart(bool named)
{
    QByteArray document("\xEF\xBB\xBF");
    appendCsvLine(
        document,
        [](int column, QByteArray &line) {
            line += (column == ReceivedRows::ColumnCount ? ReceivedRows::fileColumnTitle()
                                                         : ReceivedRows::columnTitle(column))
                        .toUtf8();
        },
        named);
    return document;
}

} // namespace

QByteArray CsvDocumentStart()
{
    return csvDocumentStart(false);
}

void AppendCsvLines(QByteArray &document, const ReceivedRows &table, const std::vector<int> &rows)
{
    for (int row : rows)
        appendCsvLine(document, table, row);
}

void MakeCsvField(QByteArray &line, qsizetype fieldStart)
{
    const auto special = [](char c) { return c == ';' || c == '"' || c == '\n' || c == '\r'; };
    if (std::none_of(line.cbegin() + fieldStart, line.cend(), special))
        return;
    QByteArray quoted("\"");
    for (auto c = line.cbegin() + fieldStart; c != line.cend(); ++c) {
        if (*c == '"')
            quoted += '"';
        quoted += *c;
    }
    quoted += '"';
    line.truncate(fieldStart);
    line += quoted;
}

namespace {

// The CSV's bytes of parts into file, named or not; false once a write failed.
bool writeCsvLines(QIODevice &file, const std::vector<CsvRowsOf> &parts, bool named)
{
    // Written a block at a time: a write per line would cost more than making the line.
    constexpr qsizetype BlockSize = 1 << 20;
    QByteArray block = csvDocumentStart(named);
    block.reserve(BlockSize + 1024);
    for (const CsvRowsOf &part : parts)
        for (const int row : part.rows) {
            appendCsvLine(block, part.table, row, named ? &part.name : nullptr);
            if (block.size() >= BlockSize) {
                if (file.write(block) != block.size())
                    return false;
                block.resize(0);
            }
        }
    return file.write(block) == block.size();
}

} // namespace

QString WriteCsvFile(const QString &path, const ReceivedRows &table, const std::vector<int> &rows,
                     InPlaceWrites inPlace)
{
    return WriteOutputFile(path, inPlace, [&](QIODevice &file) {
        return writeCsvLines(file, {{table, rows, {}}}, false);
    });
}

QString WriteNamedCsvFile(const QString &path, const std::vector<CsvRowsOf> &parts,
                          InPlaceWrites inPlace)
{
    return WriteOutputFile(path, inPlace,
                           [&](QIODevice &file) { return writeCsvLines(file, parts, true); });
}

void ExportCsv(Prompts &prompts, const ReceivedRows &table, const std::vector<int> &selectedRows)
{
    if (table.rowTotal() == 0)
        return;
    const QString path = prompts.saveFileName(CsvFileRequest);
    if (path.isEmpty() || !AcceptSaveTarget(prompts, path))
        return;
    ReportFileWritten(
        prompts, WriteCsvFile(path, table, RowsToTake(table, selectedRows), InPlaceWrites::Refused)
                     .isEmpty());
}

void ExportNamedCsv(Prompts &prompts, const std::vector<CsvRowsOf> &parts)
{
    const QString path = prompts.saveFileName(CsvFileRequest);
    if (path.isEmpty() || !AcceptSaveTarget(prompts, path))
        return;
    ReportFileWritten(prompts, WriteNamedCsvFile(path, parts, InPlaceWrites::Refused).isEmpty());
}
