#pragma once

#include "companions/OutputFile.h"
#include "companions/Prompts.h"
#include "outputs/RowTexts.h"

#include <QString>

#include <cstddef>
#include <functional>
#include <vector>

// The desktop's spreadsheet application, as the transfer needs it.
class SpreadsheetLauncher
{
public:
    virtual ~SpreadsheetLauncher() = default;

    // Whether an application is registered for workbook (.xlsx) files.
    virtual bool isInstalled() = 0;
    // Starts that application on the workbook at `path`; false when it could not be started.
    virtual bool open(const QString &path) = 0;
};

// Runs one step of the transfer. `run` returns an empty string on success and otherwise what
// went wrong; a failure is shown as "<step>("<object>") failed w/err <error>" under the
// caption "AutoWrap()" and gives false, and the caller then abandons the transfer.
bool AutoWrap(Prompts &prompts, const QString &step, const QString &object,
              const std::function<QString()> &run);

// The most rows one worksheet holds.
inline constexpr std::size_t MaxWorkbookRows = 1'048'576;

// Writes `rows` from A1 into a new one-sheet workbook at `path`, each cell as a spreadsheet
// reads the text when it is typed: number, temperature and emissivity as numbers, the time as
// a time of day shown with milliseconds, the mode as text; a text that does not read as its
// kind stays text and an empty text leaves the cell empty. More than MaxWorkbookRows rows are
// refused before anything is written. Returns what went wrong, or an empty string.
QString WriteWorkbook(const QString &path, const std::vector<TableRowText> &rows);

// WriteWorkbook written as OutputFile writes a file, a pipe or device in place only when
// inPlace allows: a failure leaves no partial workbook and keeps a file that was there, and a
// new file gets the rights every save gives. Returns what went wrong, or an empty string.
QString WriteWorkbookFile(const QString &path, const std::vector<TableRowText> &rows,
                          InPlaceWrites inPlace);

// "в  Exel": writes `rows` into a new, uniquely named workbook in the user's cache folder and
// opens it in the spreadsheet application. Every outcome, a failing step included, is shown
// to the user; a failure abandons only the transfer. When no application is installed, or
// it does not start, the user may save the workbook to a file instead. Workbooks made for
// the application are removed from the cache folder after a week.
void TransferToSpreadsheet(Prompts &prompts, const std::vector<TableRowText> &rows,
                           SpreadsheetLauncher &launcher);
