#include "outputs/TablePrinting.h"

#include "acquisition/DeviceParser.h"
#include "acquisition/MeasurementTableModel.h"
#include "outputs/CTablePrintJob.h"
#include "plot/PrinterDevice.h"
#include "plot/PrintoutThreads.h"
#include "tests/support/PdfFiles.h"
#include "tests/support/ScriptedPrompts.h"

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

const QString NoPrinter = QStringLiteral("Не установлен принтер");
const QString NoSnapshot = QStringLiteral("Ошибка получения данных");

class TablePrintingTest : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString path(const QString &name) const { return m_dir.filePath(name); }

    void appendRows(int count)
    {
        for (int i = 0; i < count; ++i) {
            const DeviceReading reading{static_cast<std::int16_t>(i + 1), 45296780 + i * 1000,
                                        20 + i, 950, 1};
            m_table.appendRow(reading, i);
        }
    }

    // Prints selectedRows of the table to a PDF at path and waits until the printout is done.
    void printTable(const QString &pdf, std::vector<int> selectedRows = {})
    {
        m_prompts.onPrintDialog = AnswerWithPdf(pdf);
        QObject owner;
        PrintTable(m_prompts, m_table, std::move(selectedRows), owner);
    }

    // Runs PrintTable with a snapshot that counts how often it is taken.
    void printSnapshot(std::optional<std::vector<TableRowText>> rows)
    {
        QObject owner;
        PrintTable(
            m_prompts,
            [this, rows] {
                ++m_snapshotsTaken;
                return rows;
            },
            owner);
    }

    QTemporaryDir m_dir;
    ScriptedPrompts m_prompts;
    MeasurementTableModel m_table;
    int m_snapshotsTaken = 0;
};

TEST_F(TablePrintingTest, ASmallTablePrintsToAPdfFile)
{
    appendRows(3);
    const QString pdf = path(QStringLiteral("table.pdf"));
    printTable(pdf);

    EXPECT_EQ(m_prompts.printDialogs, 1);
    EXPECT_TRUE(m_prompts.shown.empty());
    EXPECT_EQ(PdfInfo(pdf, QStringLiteral("Pages")), QStringLiteral("1"));
    EXPECT_EQ(PdfInfo(pdf, QStringLiteral("Title")),
              QStringLiteral("ORMA печать таблицы измерений"));

    const QString text = PdfText(pdf, PdfTextOrder::Layout);
    EXPECT_TRUE(text.contains(QStringLiteral("ORMA. Печать результатов измерений. стр. № 1 из 1")))
        << text.toStdString();
    const QRegularExpression headings(QStringLiteral("№\\s+Дата\\s+T °C\\s+ε\\s+Режим"));
    EXPECT_TRUE(text.contains(headings)) << text.toStdString();
    for (int i = 0; i < 3; ++i) {
        const QString row = QStringLiteral("%1\\s+12:34:%2\\.780\\s+%3\\s+0\\.95\\s+%4")
                                .arg(i + 1)
                                .arg(56 + i)
                                .arg(20 + i)
                                .arg(QString::fromUtf8(MeasureModeName(1)));
        EXPECT_TRUE(text.contains(QRegularExpression(row))) << row.toStdString();
    }
}

TEST_F(TablePrintingTest, TheSelectionAloneIsPrinted)
{
    appendRows(5);
    const QString pdf = path(QStringLiteral("selection.pdf"));
    printTable(pdf, {3, 1});
    const QString text = PdfText(pdf, PdfTextOrder::Layout);
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("\\n\\s*2\\s+12:34:57"))));
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("\\n\\s*4\\s+12:34:59"))));
    EXPECT_FALSE(text.contains(QStringLiteral("12:34:56"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("12:34:58")));
}

TEST_F(TablePrintingTest, ALongTableFillsAsManyPagesAsItNeeds)
{
    appendRows(86);
    const QString pdf = path(QStringLiteral("long.pdf"));
    printTable(pdf);
    EXPECT_EQ(PdfInfo(pdf, QStringLiteral("Pages")), QStringLiteral("2"));
    const QString text = PdfText(pdf, PdfTextOrder::Layout);
    EXPECT_TRUE(text.contains(QStringLiteral("стр. № 1 из 2")));
    EXPECT_TRUE(text.contains(QStringLiteral("стр. № 2 из 2")));
    const QString lastPage = text.section(QChar('\f'), 1, 1);
    EXPECT_TRUE(lastPage.contains(QRegularExpression(QStringLiteral("\\n\\s*86\\s+"))))
        << lastPage.toStdString();
    EXPECT_FALSE(lastPage.contains(QRegularExpression(QStringLiteral("\\n\\s*85\\s+"))));
}

TEST_F(TablePrintingTest, SeveralPrintoutsRunAtOnce)
{
    appendRows(200);
    const QStringList pdfs = {path(QStringLiteral("a.pdf")), path(QStringLiteral("b.pdf"))};
    {
        QObject owner;
        for (const QString &pdf : pdfs) {
            m_prompts.onPrintDialog = AnswerWithPdf(pdf);
            PrintTable(m_prompts, m_table, {}, owner);
        }
    }
    for (const QString &pdf : pdfs)
        EXPECT_EQ(PdfInfo(pdf, QStringLiteral("Pages")), QStringLiteral("3")) << pdf.toStdString();
}

TEST_F(TablePrintingTest, ACancelledDialogDoesNothing)
{
    m_prompts.onPrintDialog = [](QPrinter &) { return false; };
    printSnapshot(std::vector<TableRowText>(3));
    EXPECT_EQ(m_prompts.printDialogs, 1);
    EXPECT_TRUE(m_prompts.shown.empty());
    EXPECT_EQ(m_snapshotsTaken, 0);
}

TEST_F(TablePrintingTest, WhatCannotBePrintedIsToldAndNothingIsPrinted)
{
    const struct
    {
        const char *what;
        QString file;
        QSizeF pageMm;
        bool snapshotAvailable;
        QString text;
        Prompts::Icon icon;
        int snapshotsTaken;
    } cases[] = {
        {"neither a printer nor a file",
         {},
         {210, 297},
         true,
         NoPrinter,
         Prompts::Icon::Exclamation,
         0},
        {"no snapshot", "none.pdf", {210, 297}, false, NoSnapshot, Prompts::Icon::Stop, 1},
        {"a page too low for one row",
         "low.pdf",
         {210, 40},
         true,
         QStringLiteral("Печатная область страницы слишком мала для таблицы"),
         Prompts::Icon::Exclamation,
         1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        m_prompts.shown.clear();
        m_snapshotsTaken = 0;
        const QString pdf = c.file.isEmpty() ? QString() : path(c.file);
        m_prompts.onPrintDialog = AnswerWithPdf(pdf, c.pageMm);
        printSnapshot(c.snapshotAvailable ? std::optional(std::vector<TableRowText>(3))
                                          : std::nullopt);
        EXPECT_EQ(m_snapshotsTaken, c.snapshotsTaken);
        ASSERT_EQ(m_prompts.shown.size(), 1u);
        EXPECT_EQ(m_prompts.shown[0].text, c.text);
        EXPECT_EQ(m_prompts.shown[0].caption, QStringLiteral("Ошибка"));
        EXPECT_EQ(m_prompts.shown[0].icon, c.icon);
        EXPECT_TRUE(pdf.isEmpty() || !QFile::exists(pdf));
    }
}

TEST_F(TablePrintingTest, ADocumentThatCannotStartPrintsNothingAndSaysNothing)
{
    const QString pdf = path(QStringLiteral("missing/folder/table.pdf"));
    m_prompts.onPrintDialog = AnswerWithPdf(pdf);
    printSnapshot(std::vector<TableRowText>(3));
    EXPECT_TRUE(m_prompts.shown.empty());
    EXPECT_FALSE(QFile::exists(pdf));
}

TEST_F(TablePrintingTest, AnEmptyTableLeavesNoFile)
{
    const QString pdf = path(QStringLiteral("empty.pdf"));
    printTable(pdf);
    EXPECT_TRUE(m_prompts.shown.empty());
    EXPECT_FALSE(QFile::exists(pdf));
}

TEST_F(TablePrintingTest, AnAbortedDocumentLeavesNoFile)
{
    const QString pdf = path(QStringLiteral("aborted.pdf"));
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    PrintToPdf(*printer, pdf);
    PrinterDevice device(std::move(printer));
    ASSERT_TRUE(device.startPage());
    ASSERT_TRUE(device.startPage());
    device.abortDocument();
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_FALSE(device.startPage()) << "an aborted document takes no more pages";
}

// A printer's device that tells how its document ended and when it is gone.
class WatchedDevice : public PrintDevice
{
public:
    struct Watch
    {
        std::atomic<int> ended = 0;
        std::atomic<int> aborted = 0;
        std::atomic<bool> destroyed = false;
    };

    WatchedDevice(std::unique_ptr<PrintDevice> inner, Watch &watch)
        : m_inner(std::move(inner)), m_watch(watch)
    {}
    ~WatchedDevice() override
    {
        m_inner.reset();
        m_watch.destroyed = true;
    }

    QSize printableSize() const override { return m_inner->printableSize(); }
    bool startPage() override { return m_inner->startPage(); }
    Canvas &canvas() override { return m_inner->canvas(); }
    void endPage() override { m_inner->endPage(); }
    void endDocument() override
    {
        ++m_watch.ended;
        m_inner->endDocument();
    }
    void abortDocument() override
    {
        ++m_watch.aborted;
        m_inner->abortDocument();
    }

private:
    std::unique_ptr<PrintDevice> m_inner;
    Watch &m_watch;
};

// Closing the window cancels a long printout through CancelPrintouts: by its return the
// worker has ended, and the dropped document has left no part of itself as a file.
TEST_F(TablePrintingTest, ACancelledPrintoutEndsAndLeavesNoFile)
{
    const QString pdf = path(QStringLiteral("cancelled.pdf"));
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    PrintToPdf(*printer, pdf);
    WatchedDevice::Watch watch;
    TableRowText row{"1", "12:34:56.780", "20", "0.95", "Норма"};
    auto job = std::make_shared<std::unique_ptr<CTablePrintJob>>(std::make_unique<CTablePrintJob>(
        std::make_unique<WatchedDevice>(std::make_unique<PrinterDevice>(std::move(printer)), watch),
        std::vector<TableRowText>(200'000, row)));
    ASSERT_GT((*job)->pageCount(), 1000u);

    QObject owner;
    StartPrintoutThread(owner, MakePrintoutThread(owner, [job](const std::atomic<bool> &cancelled) {
                            PrintTableThread(std::move(*job), &cancelled);
                        }));
    // Under way: the printer has opened its file.
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(pdf); }, 10000));
    CancelPrintouts(owner, QDeadlineTimer(QDeadlineTimer::Forever));

    EXPECT_TRUE(watch.destroyed);
    EXPECT_EQ(watch.aborted, 1);
    EXPECT_EQ(watch.ended, 0);
    EXPECT_FALSE(QFile::exists(pdf));
}

TEST(PrintoutThreads, TheOwnerWaitsForPrintoutsStillRunning)
{
    std::atomic<bool> release = false;
    std::atomic<int> finished = 0;
    {
        QObject owner;
        for (int i = 0; i < 2; ++i) {
            StartPrintoutThread(owner, std::unique_ptr<QThread>(QThread::create([&] {
                                    while (!release)
                                        std::this_thread::yield();
                                    std::this_thread::sleep_for(std::chrono::milliseconds(50));
                                    ++finished;
                                })));
        }
        // Both are under way while the caller goes on.
        EXPECT_EQ(finished, 0);
        release = true;
    }
    EXPECT_EQ(finished, 2);
}

TEST(PrintoutThreads, AFinishedPrintoutIsForgotten)
{
    QObject owner;
    auto thread = std::unique_ptr<QThread>(QThread::create([] {}));
    const QPointer<QThread> watched = thread.get();
    StartPrintoutThread(owner, std::move(thread));
    EXPECT_TRUE(QTest::qWaitFor([&] { return watched.isNull(); }, 10000));
}

} // namespace
