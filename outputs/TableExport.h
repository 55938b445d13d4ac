#pragma once

#include "companions/OutputFile.h"
#include "companions/Prompts.h"
#include "outputs/RowTexts.h"

#include <QByteArray>
#include <QChar>
#include <QString>

#include <span>
#include <vector>

class ReceivedRows;

// The rows as a spreadsheet takes them from the clipboard: a line of the column titles, then
// a line per row, the cells separated by tabs; the emissivity written with decimalPoint, so
// that a spreadsheet of the desktop's language reads it as a number.
QString RowsAsTabText(const ReceivedRows &table, const std::vector<int> &rows, QChar decimalPoint);

// Makes the bytes of line from fieldStart to its end one field of a CSV file: quoted when they
// hold a ";", a quote or a line break, their quotes doubled.
void MakeCsvField(QByteArray &line, qsizetype fieldStart);

// The start of the CSV document below: the byte order mark and the line of the column titles.
QByteArray CsvDocumentStart();

// Appends the lines of rows of table to the CSV document below, one a row.
void AppendCsvLines(QByteArray &document, const ReceivedRows &table, const std::vector<int> &rows);

// Writes the CSV document of rows of table (numbers as RowsToTake takes them) to path, as
// LibreOffice Calc and a Russian-language Excel open it by a double click: UTF-8 with a byte
// order mark, ";" between the fields, CR LF after each line, a first line of the column
// titles, the emissivity with a decimal comma. The file is written as OutputFile writes it, a
// pipe or device in place only when inPlace allows. Returns why it was not written, or an empty
// string.
QString WriteCsvFile(const QString &path, const ReceivedRows &table, const std::vector<int> &rows,
                     InPlaceWrites inPlace);

// Rows of one table among several written into one CSV document: the rows, and the name a row
// is written under when its table names no file for it (ReceivedRows::fileOf).
struct CsvRowsOf
{
    const ReceivedRows &table;
    std::span<const int> rows;
    QString name;
};

// The CSV document of WriteCsvFile with the rows of every part one part after the other, and a
// last column, ReceivedRows::fileColumnTitle(), naming the file of each row: the graph's curves
// compared side by side.
QString WriteNamedCsvFile(const QString &path, const std::vector<CsvRowsOf> &parts,
                          InPlaceWrites inPlace);

// "Экспорт в CSV...": the selected rows, or all rows when none is selected, to a file the user
// names. Does nothing for an empty table. The file is replaced only when everything was
// written; the outcome is reported, and a failure leaves no partial file.
void ExportCsv(Prompts &prompts, const ReceivedRows &table, const std::vector<int> &selectedRows);

// The same for the rows of parts, written by WriteNamedCsvFile.
void ExportNamedCsv(Prompts &prompts, const std::vector<CsvRowsOf> &parts);
