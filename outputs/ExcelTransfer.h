#pragma once

#include "companions/OutputFile.h"
#include "companions/Prompts.h"
#include "outputs/RowTexts.h"

#include <QString>
#include <QTemporaryFile>

#include <cstddef>
#include <functional>
#include <memory>
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

// A new one-sheet workbook written a row at a time from A1, each cell as a spreadsheet reads
// the text when it is typed: number, temperature and emissivity as numbers, the time as a time
// of day shown with milliseconds, the mode as text; a text that does not read as its kind stays
// text and an empty text leaves the cell empty. Each row goes to a file of the library's as it
// comes, so that a full sheet costs no more memory than one row.
class WorkbookWriter
{
public:
    // Starts the workbook at path, which the library writes only when it is closed.
    explicit WorkbookWriter(const QString &path);
    WorkbookWriter(const WorkbookWriter &) = delete;
    WorkbookWriter &operator=(const WorkbookWriter &) = delete;
    // Closes a workbook still open.
    ~WorkbookWriter();

    // False, with nothing written, once a row failed or the sheet holds MaxWorkbookRows rows.
    bool addRow(const TableRowText &row);
    std::size_t rowCount() const { return m_rows; }
    // Writes the workbook; what went wrong, or an empty string.
    QString close();

private:
    struct lxw_workbook *m_workbook = nullptr;
    struct lxw_worksheet *m_sheet = nullptr;
    struct lxw_format *m_timeFormat = nullptr;
    int m_error = 0;
    std::size_t m_rows = 0;
};

// A workbook made in the temporary folder, then handed to its output as OutputFile writes a
// file: a failure leaves no partial workbook and keeps a file that was there, and a new file
// gets the rights every save gives.
class WorkbookFile
{
public:
    WorkbookFile();
    WorkbookWriter &writer() { return *m_writer; }
    // Closes the workbook and writes it to path, a pipe or device in place only when inPlace
    // allows. What went wrong, or an empty string.
    QString writeTo(const QString &path, InPlaceWrites inPlace);

private:
    QTemporaryFile m_file;
    QString m_error;
    std::unique_ptr<WorkbookWriter> m_writer;
};

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
