#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <map>

// Reads back what a workbook file holds in its first sheet, for checking cell by cell.
struct SheetCell
{
    QString type;  // "n" for a number, "s" for a string (shared or in its cell)
    QString value; // the number as written, or the string itself
    int style = 0; // index into Workbook::styleFormats
};

struct Workbook
{
    bool readable = false;
    std::map<QString, SheetCell> cells; // by reference: "A1", "E12"
    QStringList styleFormats;           // the number format code of each cell style
};

Workbook ReadWorkbook(const QString &path);
