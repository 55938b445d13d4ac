#include "outputs/CTablePrintJob.h"

#include <QString>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

// Page geometry in 0.1 mm, y upward from the printable area's top-left.
constexpr int LeftMargin = 250;
constexpr int RightMarginWidth = 200;
constexpr int BottomMarginHeight = 150;
constexpr int HeaderTop = -150;
constexpr int TableTop = -240;
constexpr int RowHeight = TableRowHeight;
constexpr std::array<int, 5> ColumnWidths = {150, 250, 150, 100, 200};
constexpr int CellInsetX = 10;
constexpr int CellInsetY = 2;
// The Greek letter sits low in its font; raising it centres it in the heading row.
constexpr int SymbolRaise = 5;
constexpr int EmissivityColumn = 3;

// No paper is a kilometre long; the clamp keeps every page coordinate far inside int.
constexpr int MaxPageMm = 1'000'000;

const QString HeaderFormat = QStringLiteral("ORMA. Печать результатов измерений. стр. № %1 из %2");
const std::array<QString, 5> Headings = {QStringLiteral("№"), QStringLiteral("Дата"),
                                         QStringLiteral("T °C"),
                                         QStringLiteral("e"), // the symbol font shows it as ε
                                         QStringLiteral("Режим")};

int pageUnits(int mm)
{
    return 10 * std::clamp(mm, 0, MaxPageMm);
}

// The y of the top of table row `row` of a table whose heading row's top is at top, the heading
// row being row 0.
int rowTop(int top, std::size_t row)
{
    return top - RowHeight * static_cast<int>(row);
}

int rowTop(std::size_t row)
{
    return rowTop(TableTop, row);
}

const CanvasFont HeaderFont{QStringLiteral("Courier"), -45};
const CanvasFont TextFont{QStringLiteral("Courier"), -30};
const CanvasFont SymbolFont{QStringLiteral("Symbol"), -39};

// The text font, made smaller when text in it would be wider than width: in the text font a long
// mode name would run out of its column. Needs the text font selected.
CanvasFont fittingFont(Canvas &canvas, const QString &text, int width)
{
    const int textWidth = canvas.textExtent(text).width();
    if (textWidth <= width || width <= 0)
        return TextFont;
    CanvasFont font = TextFont;
    const auto height = std::int64_t{std::abs(TextFont.height)} * width / textWidth;
    font.height = -static_cast<int>(std::max<std::int64_t>(height, 1));
    return font;
}

// A field's text up to its terminator, never read past the field's end.
template <std::size_t Size> QString fieldText(const char (&field)[Size])
{
    return QString::fromUtf8(field, static_cast<qsizetype>(strnlen(field, Size)));
}

} // namespace

std::size_t CTablePrintJob::RowsPerPage(int heightMm)
{
    const int tableHeight = pageUnits(heightMm) - BottomMarginHeight + TableTop;
    const int rowsWithHeading = std::max(tableHeight, 0) / RowHeight;
    return rowsWithHeading > 1 ? static_cast<std::size_t>(rowsWithHeading - 1) : 0;
}

std::size_t CTablePrintJob::PageCount(std::size_t rowCount, std::size_t rowsPerPage)
{
    if (rowsPerPage == 0)
        return 0;
    return rowCount / rowsPerPage + (rowCount % rowsPerPage != 0 ? 1 : 0);
}

CTablePrintJob::CTablePrintJob(std::unique_ptr<PrintDevice> device, std::vector<TableRowText> rows)
    : m_device(std::move(device)), m_left(LeftMargin),
      m_right(pageUnits(m_device->printableSize().width()) - RightMarginWidth),
      m_rowsPerPage(RowsPerPage(m_device->printableSize().height())),
      m_pageCount(PageCount(rows.size(), m_rowsPerPage)), m_rows(std::move(rows))
{}

CTablePrintJob::~CTablePrintJob()
{
    if (!m_aborted)
        m_device->endDocument();
}

void CTablePrintJob::Abort()
{
    m_device->abortDocument();
    m_aborted = true;
}

bool CTablePrintJob::PrintPage(std::size_t pageIndex, const std::atomic<bool> *cancelled)
{
    const auto isCancelled = [cancelled] {
        return cancelled != nullptr && cancelled->load(std::memory_order_relaxed);
    };
    if (m_aborted)
        return false;
    if (isCancelled() || !m_device->startPage()) {
        Abort();
        return false;
    }
    m_pageIndex = pageIndex;
    m_rowOnPage = 0;
    DrawHeader();
    m_pageRows = std::min(m_rowsPerPage, m_rows.size() - std::min(m_nextRow, m_rows.size()));
    DrawGrid();
    for (std::size_t row = 0; row < m_pageRows; ++row) {
        if (isCancelled()) {
            Abort();
            return false;
        }
        DrawRow();
    }
    m_device->endPage();
    return true;
}

void CTablePrintJob::DrawHeader()
{
    const CanvasFont previous = canvas().selectFont(HeaderFont);
    canvas().textOut({m_left, HeaderTop}, HeaderFormat.arg(m_pageIndex + 1).arg(m_pageCount));
    canvas().selectFont(previous);
}

void CTablePrintJob::DrawGrid()
{
    DrawTableGrid(canvas(), m_left, m_right, TableTop, m_pageRows);
}

void CTablePrintJob::DrawRow()
{
    const std::size_t rowOnPage = ++m_rowOnPage;
    if (m_nextRow >= m_rows.size()) {
        ++m_nextRow;
        return;
    }
    DrawTableRow(canvas(), m_left, rowTop(rowOnPage), m_rows[m_nextRow]);
    ++m_nextRow;
}

int TableRowsBottom(int top, std::size_t rows)
{
    return rowTop(top, rows + 1);
}

void DrawTableGrid(Canvas &canvas, int left, int right, int top, std::size_t rows)
{
    const int bottom = rowTop(top, rows + 1);
    canvas.rectangle(cornerRect(left, top, right, bottom));
    for (std::size_t row = 1; row <= rows; ++row) {
        canvas.moveTo({left, rowTop(top, row)});
        canvas.lineTo({right, rowTop(top, row)});
    }

    const CanvasFont previous = canvas.selectFont(TextFont);
    int x = left;
    for (std::size_t column = 0; column < ColumnWidths.size(); ++column) {
        const int columnLeft = x;
        x += ColumnWidths[column];
        canvas.moveTo({x, top});
        canvas.lineTo({x, bottom});
        if (column == EmissivityColumn) {
            canvas.selectFont(SymbolFont);
            canvas.drawText(
                cornerRect(columnLeft, top + SymbolRaise, x, rowTop(top, 1) + SymbolRaise),
                Headings[column], Qt::AlignCenter);
            canvas.selectFont(TextFont);
        } else {
            canvas.drawText(cornerRect(columnLeft, top, x, rowTop(top, 1)), Headings[column],
                            Qt::AlignHCenter | Qt::AlignTop);
        }
    }
    canvas.selectFont(previous);
}

void DrawTableRow(Canvas &canvas, int left, int top, const TableRowText &row)
{
    const std::array<QString, 5> cells = {fieldText(row.number), fieldText(row.time),
                                          fieldText(row.temperature), fieldText(row.emissivity),
                                          fieldText(row.mode)};
    const CanvasFont previous = canvas.selectFont(TextFont);
    int x = left;
    for (std::size_t column = 0; column < cells.size(); ++column) {
        const int columnLeft = x;
        x += ColumnWidths[column];
        const QRect cell = cornerRect(columnLeft + CellInsetX, top - CellInsetY, x - CellInsetX,
                                      top - RowHeight + CellInsetY);
        const CanvasFont font =
            fittingFont(canvas, cells[column], ColumnWidths[column] - 2 * CellInsetX);
        if (font != TextFont)
            canvas.selectFont(font);
        canvas.drawText(cell, cells[column], Qt::AlignLeft | Qt::AlignVCenter);
        if (font != TextFont)
            canvas.selectFont(TextFont);
    }
    canvas.selectFont(previous);
}

int PrintTableThread(std::unique_ptr<CTablePrintJob> job, const std::atomic<bool> *cancelled)
{
    if (!job)
        return -1;
    for (std::size_t page = 0; page < job->pageCount(); ++page) {
        if (!job->PrintPage(page, cancelled))
            break;
    }
    return 0;
}
