#include "outputs/TableExport.h"

#include "acquisition/ReceivedRows.h"
#include "outputs/SaveMeasurements.h"

#include <QSaveFile>
#include <QStringList>

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

QString csvField(const QString &text)
{
    if (!text.contains(QLatin1Char(';')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString csvFields(const QStringList &fields)
{
    QStringList quoted;
    for (const QString &field : fields)
        quoted << csvField(field);
    return quoted.join(QLatin1Char(';')) + QStringLiteral("\r\n");
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
    return QByteArray("\xEF\xBB\xBF") + csvFields(titles()).toUtf8();
}

QByteArray CsvLine(const RowCells &cells)
{
    return csvFields(cellList(cells, QLatin1Char(','))).toUtf8();
}

bool WriteCsvFile(const QString &path, const ReceivedRows &table, const std::vector<int> &rows)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    bool written = file.write(CsvStart()) >= 0;
    for (auto row = rows.begin(); written && row != rows.end(); ++row)
        written = file.write(CsvLine(GetRowCells(table, *row))) >= 0;
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
