#include "plot/GraphPrinting.h"

#include "companions/CRangeBar.h"
#include "companions/TermDataFile.h"
#include "graph/CGraphWnd.h"
#include "plot/CGraphView.h"
#include "tests/support/PdfFiles.h"
#include "tests/support/ScriptedPrompts.h"

#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

// Red pixels of the first page rendered at 50 dpi.
int redPixels(const QString &pdf)
{
    const QImage page = PdfPageImage(pdf, 50);
    int count = 0;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            const QColor pixel = page.pixelColor(x, y);
            if (pixel.red() > 200 && pixel.green() < 120 && pixel.blue() < 120)
                ++count;
        }
    }
    return count;
}

class GraphPrintingTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        // A reading a second from 10:00:00 warming from -20 °C, then a pause, then more.
        for (int i = 0; i < 60; ++i)
            m_series.Add(36'000'000 + i * 1000, -20 + i * 10, 950);
        for (int i = 0; i < 30; ++i)
            m_series.Add(36'200'000 + i * 1000, 500 - i * 5, 900);
        m_series.minTemperature = -20;
        m_series.maxTemperature = 570;
        m_frame = std::make_unique<CGraphWnd>();
        m_frame->resize(600, 400);
        m_frame->OnSetSeries(GraphSeriesLimits(-20, 570), &m_series);
        m_frame->temperatureBar()->SetWinMin(-20);
        m_frame->temperatureBar()->SetWinMax(570);
        m_frame->timeBar()->SetMin(36'000'000);
        m_frame->timeBar()->SetMax(36'229'000);
        m_frame->timeBar()->SetWinMin(36'000'000);
        m_frame->timeBar()->SetWinMax(36'229'000);
    }

    QString path(const QString &name) const { return m_dir.filePath(name); }

    bool waitUntilDone(const GraphPrinting &printing)
    {
        return QTest::qWaitFor([&] { return !printing.isPrinting(); }, 30000);
    }

    QTemporaryDir m_dir;
    ScriptedPrompts m_prompts;
    TermDataFile m_series;
    std::unique_ptr<CGraphWnd> m_frame;
};

TEST_F(GraphPrintingTest, PrintsTheVisibleGraphToAPdf)
{
    const QString pdf = path(QStringLiteral("graph.pdf"));
    m_prompts.onPrintDialog = AnswerWithPdf(pdf);
    GraphPrinting printing(m_prompts);
    printing.print([this] { return m_frame->printContext(); });
    ASSERT_TRUE(waitUntilDone(printing));
    EXPECT_TRUE(m_prompts.shown.empty());

    const QString text = PdfText(pdf);
    const QStringList expected = {
        QStringLiteral("Температурный\\s+диапазон\\s+-20\\.\\.\\.570 °C"),
        QStringLiteral("Интервал 10:0:0\\.000 - 10:3:49\\.000,\\s+"
                       "Степень черноты изменялась в пределах\\s+0\\.90\\.\\.\\.0\\.95"),
        QStringLiteral("Время"),
        QStringLiteral("Температура, °C"),
        QStringLiteral("10:00:00"),
    };
    for (const QString &pattern : expected)
        EXPECT_TRUE(text.contains(QRegularExpression(pattern))) << pattern.toStdString() << "\n"
                                                                << text.toStdString();
    EXPECT_EQ(PdfInfo(pdf, QStringLiteral("Title")), QStringLiteral("ELVA печать графика"));
    EXPECT_GT(redPixels(pdf), 100);
}

TEST_F(GraphPrintingTest, TheFrameMayChangeOrGoWhileThePrintoutRuns)
{
    const QString pdf = path(QStringLiteral("copied.pdf"));
    m_prompts.onPrintDialog = AnswerWithPdf(pdf);
    GraphPrinting printing(m_prompts);
    printing.print([this] { return m_frame->printContext(); });
    m_frame.reset();
    m_series.Clear();
    ASSERT_TRUE(waitUntilDone(printing));
    EXPECT_TRUE(PdfText(pdf).contains(QStringLiteral("-20...570")));
    EXPECT_GT(redPixels(pdf), 100);
}

TEST_F(GraphPrintingTest, OnePrintoutAtATime)
{
    m_prompts.onPrintDialog = AnswerWithPdf(path(QStringLiteral("first.pdf")));
    GraphPrinting printing(m_prompts);
    printing.print([this] { return m_frame->printContext(); });
    // The first printout's end is only seen once events are processed again.
    printing.print([this] { return m_frame->printContext(); });
    EXPECT_EQ(m_prompts.printDialogs, 1);
    ASSERT_EQ(m_prompts.shown.size(), 1u);
    EXPECT_EQ(m_prompts.shown[0].text, QStringLiteral("Печать графика ещё не закончена"));
    EXPECT_EQ(m_prompts.shown[0].caption, QStringLiteral("Ошибка"));
    ASSERT_TRUE(waitUntilDone(printing));

    const QString second = path(QStringLiteral("second.pdf"));
    m_prompts.onPrintDialog = AnswerWithPdf(second);
    printing.print([this] { return m_frame->printContext(); });
    ASSERT_TRUE(waitUntilDone(printing));
    EXPECT_EQ(m_prompts.printDialogs, 2);
    EXPECT_TRUE(QFile::exists(second));
}

TEST_F(GraphPrintingTest, NoPrinterIsToldAndACancelledDialogDoesNothing)
{
    GraphPrinting printing(m_prompts);
    m_prompts.onPrintDialog = [](QPrinter &) { return false; };
    printing.print([this] { return m_frame->printContext(); });
    EXPECT_TRUE(m_prompts.shown.empty());
    EXPECT_FALSE(printing.isPrinting());

    m_prompts.onPrintDialog = AnswerWithPdf(QString());
    printing.print([this] { return m_frame->printContext(); });
    EXPECT_FALSE(printing.isPrinting());
    ASSERT_EQ(m_prompts.shown.size(), 1u);
    EXPECT_EQ(m_prompts.shown[0].text, QStringLiteral("Не установлен принтер"));
    EXPECT_EQ(m_prompts.shown[0].caption, QStringLiteral("Ошибка"));
    EXPECT_EQ(m_prompts.shown[0].icon, Prompts::Icon::Exclamation);
}

} // namespace
