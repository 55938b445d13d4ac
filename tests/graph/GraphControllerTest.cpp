#include "graph/GraphController.h"

#include "acquisition/MeasurementTableModel.h"
#include "companions/CRangeBar.h"
#include "graph/CGraphWnd.h"
#include "plot/CGraphView.h"
#include "plot/GraphPrintJob.h"
#include "resources/SettingsKeys.h"
#include "tests/support/ScriptedPrompts.h"

#include <QApplication>
#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

namespace {

const QString TwoPointsNeeded =
    QStringLiteral("Для построения графика необходимо выделить не менее 2-х измерений.");

class GraphControllerTest : public testing::Test
{
protected:
    void acquire(std::int32_t time, std::int32_t temperature)
    {
        const int index = m_series.count;
        m_series.Add(time, temperature, 950);
        m_table.appendRow({0, time, temperature, 950, 0}, index);
        m_controller.receptionChanged();
    }

    void click(std::vector<int> selectedRows = {})
    {
        m_controller.OnGraph(m_series, m_table, selectedRows);
    }

    ScriptedPrompts m_prompts;
    TermDataFile m_series;
    MeasurementTableModel m_table;
    GraphController m_controller{m_prompts};
};

TEST_F(GraphControllerTest, FewerThanTwoPointsMakeNoWindow)
{
    acquire(0, 20);
    click();
    EXPECT_EQ(m_prompts.shown.size(), 1u) << "one point at midnight: the user is told so";

    m_series.Clear();
    m_table.clear();
    acquire(1000, 20);
    click();
    ASSERT_EQ(m_prompts.shown.size(), 2u);
    EXPECT_EQ(m_prompts.shown[1].text, TwoPointsNeeded);
    EXPECT_EQ(m_prompts.shown[1].caption, QStringLiteral("График"));
    EXPECT_EQ(m_prompts.shown[1].icon, Prompts::Icon::Information);
    EXPECT_EQ(m_controller.graphWnd(), nullptr);
}

TEST_F(GraphControllerTest, HandsTheSeriesAndItsLimitsToANewWindow)
{
    acquire(1000, 820);
    acquire(2000, 900);
    acquire(5000, 850);
    click();

    CGraphWnd *window = m_controller.graphWnd();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->view()->series(), &m_controller.graphSeries());
    const CRangeBar *temperature = window->temperatureBar();
    EXPECT_EQ(temperature->GetMin(), 810);
    EXPECT_EQ(temperature->GetMax(), 910);
    EXPECT_EQ(temperature->GetWinMin(), 820);
    EXPECT_EQ(temperature->GetWinMax(), 900);
    const CRangeBar *time = window->timeBar();
    EXPECT_EQ(time->GetMin(), 1000);
    EXPECT_EQ(time->GetMax(), 5000);
    EXPECT_EQ(time->GetWinMin(), 1000);
    EXPECT_EQ(time->GetWinMax(), 5000);
    EXPECT_EQ(window->statusText(2), QStringLiteral("Min 810 °C - Max 910 °C"));
    EXPECT_EQ(window->statusText(3),
              QStringLiteral("Время от начала опроса 00:00:01.000 - 00:00:05.000"));
    EXPECT_TRUE(m_prompts.shown.empty());
}

TEST_F(GraphControllerTest, UpdatesAVisibleWindowInPlace)
{
    acquire(1000, 20);
    acquire(2000, 30);
    acquire(3000, 40);
    click();
    CGraphWnd *window = m_controller.graphWnd();
    ASSERT_NE(window, nullptr);

    m_controller.selectionChanged();
    click({1, 2});

    EXPECT_EQ(m_controller.graphWnd(), window);
    EXPECT_TRUE(window->isVisible());
    const QWidgetList windows = QApplication::topLevelWidgets();
    EXPECT_EQ(std::count_if(windows.begin(), windows.end(),
                            [](QWidget *w) { return qobject_cast<CGraphWnd *>(w) != nullptr; }),
              1);
    EXPECT_EQ(m_controller.graphSeries().count, 2);
    EXPECT_EQ(window->timeBar()->GetMin(), 2000);
    EXPECT_EQ(window->temperatureBar()->GetWinMin(), 30);

    // A window zoomed in past the end of the next selection shows that selection whole.
    window->timeBar()->SetWinMin(2900);
    m_controller.selectionChanged();
    click({0, 1});
    EXPECT_EQ(window->timeBar()->GetWinMin(), 1000);
    EXPECT_EQ(window->timeBar()->GetWinMax(), 2000);
}

TEST_F(GraphControllerTest, AClosedWindowIsShownAgainByTheNextLaunch)
{
    acquire(1000, 20);
    acquire(2000, 30);
    click();
    CGraphWnd *window = m_controller.graphWnd();
    QSignalSpy closed(&m_controller, &GraphController::graphClosed);
    QObject::connect(&m_controller, &GraphController::graphClosed, window, &QWidget::hide);

    window->close();
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(window->isVisible());

    click();
    EXPECT_EQ(m_controller.graphWnd(), window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(m_prompts.shown.empty()) << "the series was reused";

    m_controller.destroyGraphWnd();
    EXPECT_EQ(m_controller.graphWnd(), nullptr);
    click();
    EXPECT_NE(m_controller.graphWnd(), nullptr);
}

} // namespace

namespace {

// "Экспорт видимых данных в CSV...": the rows of the visible time window in the table's CSV
// form; once a new reception has replaced the table, the user is told instead.
TEST_F(GraphControllerTest, ExportsTheVisibleRowsUntilTheTableIsReplaced)
{
    for (int second = 1; second <= 5; ++second)
        acquire(second * 1000, 800 + second);
    click();
    CGraphWnd *window = m_controller.graphWnd();
    ASSERT_NE(window, nullptr);
    window->timeBar()->SetWinMin(2000);
    window->timeBar()->SetWinMax(3500);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("visible.csv"));
    m_prompts.paths = {path};
    window->command(QStringLiteral("exportCsv"))->trigger();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 4) << lines.join(u'|').toStdString();
    EXPECT_TRUE(lines[1].contains(QStringLiteral(";802;"))) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].contains(QStringLiteral(";803;"))) << lines[2].toStdString();

    m_table.clear();
    m_controller.receptionReset();
    window->command(QStringLiteral("exportCsv"))->trigger();
    EXPECT_TRUE(m_prompts.texts().last().startsWith(QStringLiteral("Таблица сменилась")));
}

// A graph with a run compared: the export of its visible data names each row's file, the
// table's rows first; the printout takes the run, its legend and its statistics line. Without
// the run the export is the graph's alone again, byte for byte.
TEST_F(GraphControllerTest, ARunComparedIsExportedAndPrintedWithTheGraph)
{
    // The graph starts at midnight, as a daily file does.
    for (int second = 0; second < 5; ++second)
        acquire(second * 1000, 800 + second);
    click();
    CGraphWnd *window = m_controller.graphWnd();
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(m_controller.graphSeries().count, 5);
    QTemporaryDir dir;
    const QString run = dir.filePath(QStringLiteral("kiln-after.orm"));
    {
        QFile file(run);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        for (int second = 0; second < 4; ++second)
            file.write(QStringLiteral("%1 10:00:%2:00 E=0.950 T= %3 TRC\r\n")
                           .arg(second + 1, 4)
                           .arg(second, 2, 10, QLatin1Char('0'))
                           .arg(500 + second)
                           .toLatin1());
    }
    const auto exported = [&](const QString &name) {
        m_prompts.paths = {dir.filePath(name)};
        window->command(QStringLiteral("exportCsv"))->trigger();
        QFile file(dir.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    window->timeBar()->SetWinMin(1000);
    window->timeBar()->SetWinMax(2500);
    const QByteArray alone = exported(QStringLiteral("alone.csv"));

    m_prompts.paths = {run};
    window->command(QStringLiteral("compare"))->trigger();
    ASSERT_EQ(window->view()->overlay()->entries().size(), 1u);
    window->timeBar()->SetWinMin(1000);
    window->timeBar()->SetWinMax(2500);
    const QStringList lines =
        QString::fromUtf8(exported(QStringLiteral("compared.csv"))).split(QStringLiteral("\r\n"));
    EXPECT_EQ(lines,
              QStringList({QStringLiteral("№;Время;T °C;Е;Режим;Файл"),
                           QStringLiteral("0;00:00:01.000;801;0,950;Измерение;Таблица"),
                           QStringLiteral("0;00:00:02.000;802;0,950;Измерение;Таблица"),
                           // Aligned at the start, the run's own times of day are written.
                           QStringLiteral("2;10:00:01.000;501;0,950;Измерение;kiln-after.orm"),
                           QStringLiteral("3;10:00:02.000;502;0,950;Измерение;kiln-after.orm"),
                           QString()}));

    window->view()->setStatisticsShown(true);
    window->view()->grab();
    const GraphPrintContext page = window->printContext();
    ASSERT_EQ(page.runs.size(), 1u);
    EXPECT_EQ(page.runs[0].name, QStringLiteral("kiln-after.orm"));
    EXPECT_EQ(page.seriesName, CGraphView::MainSeriesName);
    EXPECT_TRUE(page.statistics.last().startsWith(QStringLiteral("kiln-after.orm: 2 изм.")))
        << page.statistics.join(u'|').toStdString();

    window->command(QStringLiteral("removeCompare"))->trigger();
    window->timeBar()->SetWinMin(1000);
    window->timeBar()->SetWinMax(2500);
    EXPECT_EQ(exported(QStringLiteral("alone-again.csv")), alone);
    EXPECT_TRUE(window->printContext().runs.empty());
}

} // namespace

namespace {

// The graph window's commands ask over the graph window, also once their first dialog has
// closed and the desktop has not yet given the focus back to it; the main window's own
// commands leave the choice to the prompts.
TEST_F(GraphControllerTest, TheGraphWindowsCommandsAskOverIt)
{
    for (int second = 1; second <= 3; ++second)
        acquire(second * 1000, 800 + second);
    click();
    CGraphWnd *window = m_controller.graphWnd();
    ASSERT_NE(window, nullptr);
    QTemporaryDir dir;
    m_prompts.paths = {dir.filePath(QStringLiteral("visible.csv")),
                       dir.filePath(QStringLiteral("graph.png"))};
    m_prompts.textAnswers = {QStringLiteral("200 x 150")};
    window->command(QStringLiteral("exportCsv"))->trigger();
    window->command(QStringLiteral("saveImage"))->trigger();
    window->command(QStringLiteral("print"))->trigger();
    // The file, the message; the file, the size, the message; the print dialog.
    ASSERT_EQ(m_prompts.owners.size(), 6u);
    EXPECT_EQ(m_prompts.owners, std::vector<QWidget *>(6, window));
    EXPECT_EQ(m_prompts.askingWindow(), nullptr);

    m_table.clear();
    m_series.Clear();
    acquire(1000, 800);
    click();
    EXPECT_EQ(m_prompts.texts().last(), TwoPointsNeeded);
    EXPECT_EQ(m_prompts.owners.back(), nullptr);
}

// Stored thresholds pass the dialog's check: a pair edited by hand into one the dialog refuses
// is not drawn, a good pair is.
TEST(GraphControllerSettings, TakesStoredThresholdsOnlyAsTheDialogWould)
{
    QTemporaryDir dir;
    QSettings settings(dir.filePath(QStringLiteral("orma.ini")), QSettings::IniFormat);
    for (const auto &[upper, lower, shown] :
         {std::tuple{"700", "300", TemperatureThresholds{700, 300}},
          std::tuple{"300", "700", TemperatureThresholds{}},
          std::tuple{"70000", "", TemperatureThresholds{}},
          std::tuple{"", "-5", TemperatureThresholds{std::nullopt, -5}}}) {
        settings.setValue(SettingsKeys::UpperThreshold, upper);
        settings.setValue(SettingsKeys::LowerThreshold, lower);
        ScriptedPrompts prompts;
        TermDataFile series;
        MeasurementTableModel table;
        GraphController controller(prompts, &settings);
        for (int i = 0; i < 2; ++i) {
            series.Add((i + 1) * 1000, 300 + i, 950);
            table.appendRow({0, (i + 1) * 1000, 300 + i, 950, 0}, i);
        }
        controller.OnGraph(series, table, {});
        ASSERT_NE(controller.graphWnd(), nullptr);
        EXPECT_EQ(controller.graphWnd()->view()->thresholds(), shown) << upper << " " << lower;
    }
}

} // namespace
