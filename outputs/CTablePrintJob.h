#pragma once

#include "outputs/RowTexts.h"
#include "plot/Canvas.h"
#include "plot/PrintDevice.h"

#include <atomic>
#include <cstddef>
#include <memory>
#include <vector>

// The ruled table of five columns the printout and the report draw, in 0.1 mm with y upward:
// a heading row whose top is at top, then one row a line of TableRowHeight.
inline constexpr int TableRowHeight = 30;
// The bottom of a table of rows data rows (and its heading row) whose top is at top.
int TableRowsBottom(int top, std::size_t rows);
// The frame, the row lines and the heading row of a table of rows data rows.
void DrawTableGrid(Canvas &canvas, int left, int right, int top, std::size_t rows);
// The cells of one data row whose top is at top.
void DrawTableRow(Canvas &canvas, int left, int top, const TableRowText &row);

// One printout of the measurement table: the rows as a ruled table of five columns under a
// header line that counts the pages, as many rows to a page as fit. Used by one thread at a
// time: made on the dialog's thread, then printed and destroyed by its worker.
class CTablePrintJob
{
public:
    // Data rows that fit on a page whose printable area is heightMm millimetres tall, below
    // the header and the heading row; 0 when not even one fits.
    static std::size_t RowsPerPage(int heightMm);
    // Pages that rowCount rows fill at rowsPerPage rows to a page; 0 when either is 0.
    static std::size_t PageCount(std::size_t rowCount, std::size_t rowsPerPage);

    // Lays rows out on the pages of device, whose document is open.
    CTablePrintJob(std::unique_ptr<PrintDevice> device, std::vector<TableRowText> rows);
    // Ends the document, or leaves it dropped when a page could not be started.
    ~CTablePrintJob();

    CTablePrintJob(const CTablePrintJob &) = delete;
    CTablePrintJob &operator=(const CTablePrintJob &) = delete;

    std::size_t pageCount() const { return m_pageCount; }

    // Prints page pageIndex (counted from 0) with the rows that follow those printed so far.
    // When the page cannot be started, or cancelled is found set before or between its rows,
    // the document is aborted and false returned; no page can be printed after that.
    bool PrintPage(std::size_t pageIndex, const std::atomic<bool> *cancelled = nullptr);

private:
    void Abort();
    void DrawHeader();
    void DrawGrid();
    void DrawRow();

    Canvas &canvas() { return m_device->canvas(); }

    std::unique_ptr<PrintDevice> m_device;
    int m_left;
    int m_right;
    std::size_t m_rowsPerPage;
    std::size_t m_pageCount;
    std::size_t m_pageIndex = 0;
    std::size_t m_nextRow = 0;
    std::size_t m_rowOnPage = 0;
    std::size_t m_pageRows = 0;
    std::vector<TableRowText> m_rows;
    bool m_aborted = false;
};

// The printout's worker: prints every page of job in turn, stopping after a page that cannot
// be started, then destroys the job, which ends the document. Once cancelled is set the
// document is aborted instead, leaving nothing printed. Returns 0, or -1 for no job.
int PrintTableThread(std::unique_ptr<CTablePrintJob> job,
                     const std::atomic<bool> *cancelled = nullptr);
