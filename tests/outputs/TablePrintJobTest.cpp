#include "outputs/CTablePrintJob.h"

#include "tests/support/FakePrintDevice.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ostream>

namespace {

const QSize A4{210, 297};

// Row i's number cell reads i + 1, so the rows printed can be told apart.
std::vector<TableRowText> numberedRows(std::size_t count)
{
    std::vector<TableRowText> rows(count);
    for (std::size_t i = 0; i < count; ++i) {
        const RowCells cells = {QString::number(i + 1), QStringLiteral("12:34:56.789"),
                                QStringLiteral("-12"), QStringLiteral("0.95"),
                                QStringLiteral("Сглаживание")};
        rows[i] = MakeTableRowText(cells);
    }
    return rows;
}

FakePaper print(std::size_t rowCount, QSize sizeMm = A4, int failingPage = 0,
                RecordingCanvas::ExtentRule extentRule = {})
{
    FakePaper paper;
    paper.failingPage = failingPage;
    paper.extentRule = std::move(extentRule);
    PrintTableThread(std::make_unique<CTablePrintJob>(
        std::make_unique<FakePrintDevice>(paper, sizeMm), numberedRows(rowCount)));
    return paper;
}

std::vector<CanvasCall> cellTexts(const RecordingCanvas &page)
{
    std::vector<CanvasCall> cells;
    for (const CanvasCall &call : page.callsOf(CanvasCall::Kind::DrawText)) {
        if (call.alignment == (Qt::AlignLeft | Qt::AlignVCenter))
            cells.push_back(call);
    }
    return cells;
}

QStringList numbersPrinted(const FakePaper &paper)
{
    QStringList numbers;
    for (const RecordingCanvas &page : paper.pages) {
        const std::vector<CanvasCall> cells = cellTexts(page);
        for (std::size_t i = 0; i < cells.size(); i += 5)
            numbers << cells[i].text;
    }
    return numbers;
}

QString header(const RecordingCanvas &page)
{
    const std::vector<CanvasCall> out = page.callsOf(CanvasCall::Kind::TextOut);
    return out.size() == 1 ? out.front().text : QString();
}

TEST(TablePrintJob, RowsPerPageFollowThePrintableHeight)
{
    EXPECT_EQ(CTablePrintJob::RowsPerPage(297), 85u);
    EXPECT_EQ(CTablePrintJob::RowsPerPage(45), 1u) << "the lowest page with a row";
    EXPECT_EQ(CTablePrintJob::RowsPerPage(44), 0u);
    EXPECT_EQ(CTablePrintJob::RowsPerPage(0), 0u);
    EXPECT_EQ(CTablePrintJob::RowsPerPage(-300), 0u);
    EXPECT_GT(CTablePrintJob::RowsPerPage(INT_MAX), 85u) << "no overflow on absurd paper";
}

TEST(TablePrintJob, PageCountCarriesTheRemainder)
{
    EXPECT_EQ(CTablePrintJob::PageCount(0, 85), 0u);
    EXPECT_EQ(CTablePrintJob::PageCount(1, 85), 1u);
    EXPECT_EQ(CTablePrintJob::PageCount(85, 85), 1u);
    EXPECT_EQ(CTablePrintJob::PageCount(86, 85), 2u);
    EXPECT_EQ(CTablePrintJob::PageCount(10, 0), 0u);
    EXPECT_EQ(CTablePrintJob::PageCount(SIZE_MAX, 1), SIZE_MAX);
    EXPECT_EQ(CTablePrintJob::PageCount(SIZE_MAX, 2), SIZE_MAX / 2 + 1);
}

TEST(TablePrintJob, EightyFiveRowsFillOneA4Page)
{
    const FakePaper paper = print(85);
    ASSERT_EQ(paper.pages.size(), 1u);
    EXPECT_EQ(header(paper.pages[0]),
              QStringLiteral("ORMA. Печать результатов измерений. стр. № 1 из 1"));
    EXPECT_EQ(cellTexts(paper.pages[0]).size(), 85u * 5);
}

TEST(TablePrintJob, EightySixRowsPutOneRowOnASecondPage)
{
    const FakePaper paper = print(86);
    ASSERT_EQ(paper.pages.size(), 2u);
    EXPECT_EQ(header(paper.pages[0]),
              QStringLiteral("ORMA. Печать результатов измерений. стр. № 1 из 2"));
    EXPECT_EQ(header(paper.pages[1]),
              QStringLiteral("ORMA. Печать результатов измерений. стр. № 2 из 2"));
    EXPECT_EQ(numbersPrinted(paper).mid(85), QStringList{"86"});
    EXPECT_EQ(paper.pagesEnded, 2);
    EXPECT_EQ(paper.ended, 1);
    EXPECT_EQ(paper.aborted, 0);
    EXPECT_TRUE(paper.destroyed);
}

TEST(TablePrintJob, AnEmptyTableEndsADocumentWithoutPages)
{
    const FakePaper paper = print(0);
    EXPECT_EQ(paper.pagesStarted, 0);
    EXPECT_EQ(paper.ended, 1);
    EXPECT_EQ(paper.aborted, 0);
    EXPECT_TRUE(paper.destroyed);
}

struct SizeCase
{
    std::size_t rows;
    QSize pageMm;
    std::size_t pages;
};

void PrintTo(const SizeCase &c, std::ostream *os)
{
    *os << c.rows << " rows on " << c.pageMm.width() << "x" << c.pageMm.height() << " mm";
}

class TablePrintJobSizes : public testing::TestWithParam<SizeCase>
{
};

TEST_P(TablePrintJobSizes, EveryRowIsPrintedOnceInOrder)
{
    const SizeCase c = GetParam();
    const FakePaper paper = print(c.rows, c.pageMm);
    EXPECT_EQ(paper.pages.size(), c.pages);
    QStringList expected;
    for (std::size_t i = 1; i <= c.rows; ++i)
        expected << QString::number(i);
    EXPECT_EQ(numbersPrinted(paper), expected);
    for (std::size_t page = 0; page < paper.pages.size(); ++page) {
        EXPECT_TRUE(header(paper.pages[page])
                        .endsWith(QStringLiteral("стр. № %1 из %2").arg(page + 1).arg(c.pages)));
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, TablePrintJobSizes,
                         testing::Values(SizeCase{1, A4, 1}, SizeCase{170, A4, 2},
                                         SizeCase{171, A4, 3},
                                         // one row a page: the lowest page the job accepts
                                         SizeCase{3, {210, 45}, 3},
                                         // A5: (2100 - 390) / 30 - 1 = 56 rows a page
                                         SizeCase{113, {148, 210}, 3}),
                         [](const testing::TestParamInfo<SizeCase> &sizes) {
                             return "Rows" + std::to_string(sizes.param.rows) + "Height" +
                                    std::to_string(sizes.param.pageMm.height());
                         });

TEST(TablePrintJob, MoreRowsThanSixteenBitCountersHoldAllPrint)
{
    const std::size_t rows = 33000;
    const FakePaper paper = print(rows);
    ASSERT_EQ(paper.pages.size(), 389u);
    EXPECT_EQ(header(paper.pages.back()),
              QStringLiteral("ORMA. Печать результатов измерений. стр. № 389 из 389"));
    const QStringList numbers = numbersPrinted(paper);
    EXPECT_EQ(numbers.size(), static_cast<qsizetype>(rows));
    EXPECT_EQ(numbers.back(), "3300") << "the number field keeps four digits";
}

TEST(TablePrintJob, GridLinesStandWhereThePageGeometryPutsThem)
{
    const FakePaper paper = print(2);
    ASSERT_EQ(paper.pages.size(), 1u);
    const RecordingCanvas &page = paper.pages[0];

    // A4: the right margin is 20 mm in from 210 mm; three rows of 3 mm under y = -240.
    const std::vector<CanvasCall> frames = page.callsOf(CanvasCall::Kind::Rectangle);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].rect, cornerRect(250, -240, 1900, -330));

    const std::vector<QLine> expected = {{250, -270, 1900, -270}, {250, -300, 1900, -300},
                                         {400, -240, 400, -330},  {650, -240, 650, -330},
                                         {800, -240, 800, -330},  {900, -240, 900, -330},
                                         {1100, -240, 1100, -330}};
    EXPECT_EQ(page.lines(), expected);

    const std::vector<CanvasCall> out = page.callsOf(CanvasCall::Kind::TextOut);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].to, QPoint(250, -150));
    EXPECT_EQ(out[0].font, (CanvasFont{"Courier", -45}));
}

TEST(TablePrintJob, HeadingsSitInTheirCells)
{
    const FakePaper paper = print(1);
    ASSERT_EQ(paper.pages.size(), 1u);
    std::vector<CanvasCall> headings;
    for (const CanvasCall &call : paper.pages[0].callsOf(CanvasCall::Kind::DrawText)) {
        if (call.alignment != (Qt::AlignLeft | Qt::AlignVCenter))
            headings.push_back(call);
    }
    ASSERT_EQ(headings.size(), 5u);
    const Qt::Alignment top = Qt::AlignHCenter | Qt::AlignTop;
    const CanvasFont text{"Courier", -30};
    const struct
    {
        QString text;
        QRect rect;
        Qt::Alignment alignment;
        CanvasFont font;
    } expected[] = {
        {"№", cornerRect(250, -240, 400, -270), top, text},
        {"Дата", cornerRect(400, -240, 650, -270), top, text},
        {"T °C", cornerRect(650, -240, 800, -270), top, text},
        // the emissivity heading is the symbol font's "e" (ε), raised by 0.5 mm
        {"e", cornerRect(800, -235, 900, -265), Qt::AlignCenter, {"Symbol", -39}},
        {"Режим", cornerRect(900, -240, 1100, -270), top, text},
    };
    for (std::size_t i = 0; i < headings.size(); ++i) {
        SCOPED_TRACE(expected[i].text.toStdString());
        EXPECT_EQ(headings[i].text, expected[i].text);
        EXPECT_EQ(headings[i].rect, expected[i].rect);
        EXPECT_EQ(headings[i].alignment, expected[i].alignment);
        EXPECT_EQ(headings[i].font, expected[i].font);
    }
}

TEST(TablePrintJob, CellsAreInsetInTheirRows)
{
    const FakePaper paper = print(2);
    ASSERT_EQ(paper.pages.size(), 1u);
    const std::vector<CanvasCall> cells = cellTexts(paper.pages[0]);
    ASSERT_EQ(cells.size(), 10u);
    const QStringList secondRow = {"2", "12:34:56.789", "-12", "0.95", "Сглаживание"};
    const int columnLefts[] = {250, 400, 650, 800, 900, 1100};
    for (int column = 0; column < 5; ++column) {
        const CanvasCall &first = cells[static_cast<std::size_t>(column)];
        const CanvasCall &second = cells[static_cast<std::size_t>(5 + column)];
        const int left = columnLefts[column] + 10;
        const int right = columnLefts[column + 1] - 10;
        EXPECT_EQ(first.rect, cornerRect(left, -272, right, -298)) << column;
        EXPECT_EQ(second.rect, cornerRect(left, -302, right, -328)) << column;
        EXPECT_EQ(second.text, secondRow[column]);
        EXPECT_EQ(second.font, (CanvasFont{"Courier", -30}));
    }
}

TEST(TablePrintJob, ATextWiderThanItsCellIsMadeSmallerToFit)
{
    // Characters as wide as the font is high: the mode name no longer fits its 18 mm.
    const auto squareCharacters = [](const CanvasFont &font, const QString &text) {
        const int height = std::abs(font.height);
        return QSize(static_cast<int>(text.size()) * height, height);
    };
    const FakePaper paper = print(1, A4, 0, squareCharacters);
    ASSERT_EQ(paper.pages.size(), 1u);
    const std::vector<CanvasCall> cells = cellTexts(paper.pages[0]);
    ASSERT_EQ(cells.size(), 5u);
    for (const CanvasCall &cell : cells) {
        SCOPED_TRACE(cell.text.toStdString());
        EXPECT_EQ(cell.font.face, "Courier");
        EXPECT_LE(squareCharacters(cell.font, cell.text).width(), cell.rect.width());
    }
    EXPECT_EQ(cells[2].font.height, -30) << "a text that fits keeps the text font";
    EXPECT_EQ(cells[4].font.height, -16) << "11 characters in 180 units";
    EXPECT_EQ(paper.pages[0].font(), CanvasFont{});
}

TEST(TablePrintJob, AFieldWithoutTerminatorIsReadOnlyToItsEnd)
{
    std::vector<TableRowText> rows = numberedRows(1);
    std::memset(rows[0].number, '7', sizeof rows[0].number);
    FakePaper paper;
    PrintTableThread(std::make_unique<CTablePrintJob>(std::make_unique<FakePrintDevice>(paper, A4),
                                                      std::move(rows)));
    ASSERT_EQ(paper.pages.size(), 1u);
    EXPECT_EQ(cellTexts(paper.pages[0]).front().text, "77777");
}

TEST(TablePrintJob, APageThatCannotStartAbortsTheDocument)
{
    for (const int failingPage : {1, 2}) {
        SCOPED_TRACE(failingPage);
        const FakePaper paper = print(200, A4, failingPage);
        EXPECT_EQ(paper.pages.size(), static_cast<std::size_t>(failingPage - 1));
        EXPECT_EQ(paper.pagesStarted, failingPage) << "no page is tried after it";
        EXPECT_EQ(paper.aborted, 1);
        EXPECT_EQ(paper.ended, 0);
        EXPECT_TRUE(paper.destroyed);
    }
}

TEST(TablePrintJob, NoJobIsRefused)
{
    EXPECT_EQ(PrintTableThread(nullptr), -1);
}

} // namespace
