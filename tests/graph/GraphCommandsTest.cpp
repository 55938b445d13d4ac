#include "companions/CRangeBar.h"
#include "companions/TermDataFile.h"
#include "graph/CGraphWnd.h"
#include "plot/CGraphView.h"
#include "resources/GraphMenu.h"
#include "tests/support/LaunchedGraph.h"
#include "tests/support/ScriptedPrompts.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

struct Window
{
    std::int32_t start, end;
    bool operator==(const Window &) const = default;
};

std::ostream &operator<<(std::ostream &out, const Window &w)
{
    return out << w.start << ".." << w.end;
}

Window windowOf(const CRangeBar *bar)
{
    return {bar->GetWinMin(), bar->GetWinMax()};
}

QAction *actionFor(QMenu &menu, const char *name)
{
    for (QAction *action : menu.actions()) {
        if (action->objectName() == QLatin1String(name))
            return action;
        if (action->menu() != nullptr)
            if (QAction *inner = actionFor(*action->menu(), name))
                return inner;
    }
    return nullptr;
}

// A frame showing a series: 0 °C at the start (skipped by the automatic limits), then a
// stretch of 800-950 °C and a stretch of 300-400 °C.
class GraphCommandsTest : public testing::Test
{
protected:
    void SetUp() override
    {
        const std::vector<std::pair<int, int>> readings{{1000, 0},   {2000, 800}, {3000, 950},
                                                        {4000, 870}, {5000, 300}, {6000, 400}};
        for (const auto &[time, temperature] : readings)
            series.Add(time, temperature, 950);
        series.minTemperature = 0;
        series.maxTemperature = 950;
        frame.OnSetSeries(GraphSeriesLimits(0, 950), &series);
        frame.temperatureBar()->SetWinMin(0);
        frame.temperatureBar()->SetWinMax(950);
        frame.timeBar()->SetMin(1000);
        frame.timeBar()->SetMax(6000);
    }

    void showTime(std::int32_t start, std::int32_t end)
    {
        frame.timeBar()->SetWinMin(start);
        frame.timeBar()->SetWinMax(end);
    }

    TermDataFile series;
    CGraphWnd frame;
};

} // namespace

// The menu as the window's controller completes it: the items in order with their check
// marks, each reaching what carries it out.
TEST(GraphMenu, HoldsTheItemsInOrderWithTheirCheckMarks)
{
    ScriptedPrompts prompts;
    const LaunchedGraph graph(prompts);
    ASSERT_NE(graph.controller.graphWnd(), nullptr);
    CGraphWnd &frame = *graph.controller.graphWnd();
    // No entry of the list names a command nobody adds.
    for (const GraphMenuEntry &entry : GraphMenuEntries) {
        if (entry.command != nullptr) {
            EXPECT_NE(frame.command(QString::fromUtf8(entry.command)), nullptr) << entry.command;
        }
    }
    QMenu *menu = frame.contextMenu();

    QStringList items;
    for (QAction *action : menu->actions())
        items << action->text();
    EXPECT_EQ(items, (QStringList{"Печать...", "Сохранить изображение...", "Копировать изображение",
                                  "Экспорт видимых данных в CSV...", "Сравнить...",
                                  "Выравнивать по началу", "Убрать сравнение",
                                  "Убрать из сравнения", "Просмотр", "Следить за приемом",
                                  "Убрать маркер", "Заметка...", "Отчет..."}));
    QMenu *view = menu->actions()[8]->menu();
    ASSERT_NE(view, nullptr);
    QStringList texts;
    for (QAction *action : view->actions())
        texts << action->text();
    EXPECT_EQ(texts,
              (QStringList{"Весь график", "Автоматический выбор пределов температуры",
                           "Пределы по шкале температуры", "Не отображать разрывы в измерениях",
                           "Пороги...", "Статистика", "Сигнал при выходе за пороги"}));
    EXPECT_FALSE(actionFor(*menu, "autoLimits")->isChecked());
    EXPECT_FALSE(actionFor(*menu, "noGaps")->isChecked());
    EXPECT_FALSE(actionFor(*menu, "follow")->isChecked());
    EXPECT_FALSE(actionFor(*menu, "statistics")->isChecked());
    EXPECT_FALSE(actionFor(*menu, "alarm")->isChecked());
    // Nothing to remove before a marker is set.
    EXPECT_FALSE(actionFor(*menu, "removeMarker")->isEnabled());
    // Runs are compared aligned at their starts; there is none to remove yet.
    EXPECT_TRUE(actionFor(*menu, "alignStart")->isChecked());
    EXPECT_FALSE(actionFor(*menu, "removeCompare")->isEnabled());
    EXPECT_FALSE(actionFor(*menu, "removeRun")->isEnabled());

    // The print dialog, the limits dialog (closed at once), the picture's file and the
    // export's file (both cancelled), the clipboard.
    QGuiApplication::clipboard()->clear();
    const auto closeDialog = [] {
        QTimer::singleShot(0, [] {
            if (QWidget *dialog = QApplication::activeModalWidget())
                dialog->close();
        });
    };
    actionFor(*menu, "print")->trigger();
    closeDialog();
    actionFor(*menu, "limits")->trigger();
    actionFor(*menu, "saveImage")->trigger();
    actionFor(*menu, "copyImage")->trigger();
    actionFor(*menu, "exportCsv")->trigger();
    EXPECT_EQ(prompts.printDialogs, 1);
    ASSERT_EQ(prompts.fileRequests.size(), 2u);
    EXPECT_EQ(prompts.fileRequests[0].defaultSuffix, "png");
    EXPECT_EQ(prompts.fileRequests[1].defaultSuffix, "csv");
    EXPECT_FALSE(QGuiApplication::clipboard()->image().isNull());

    actionFor(*menu, "noGaps")->trigger();
    actionFor(*menu, "autoLimits")->trigger();
    QSignalSpy following(&frame, &CGraphWnd::followingToggled);
    actionFor(*menu, "follow")->trigger();
    EXPECT_TRUE(frame.view()->breakAtGaps());
    EXPECT_TRUE(frame.automaticLimits());
    EXPECT_TRUE(frame.following());
    ASSERT_EQ(following.count(), 1);

    // The marks are read again each time the menu opens.
    QMenu *again = frame.contextMenu();
    EXPECT_TRUE(actionFor(*again, "autoLimits")->isChecked());
    EXPECT_TRUE(actionFor(*again, "noGaps")->isChecked());
    EXPECT_TRUE(actionFor(*again, "follow")->isChecked());
}

// A window without an owner offers its own commands only; commands added later join the
// menu at their places in the list.
TEST(GraphMenu, CommandsAddedLaterTakeTheirPlaces)
{
    CGraphWnd frame;
    QStringList items;
    for (QAction *action : frame.contextMenu()->actions())
        items << action->text();
    EXPECT_EQ(items, (QStringList{"Просмотр", "Следить за приемом", "Убрать маркер"}));

    int printed = 0;
    frame.addCommand({QStringLiteral("print"), QStringLiteral("Печать..."), [&] { ++printed; }});
    items.clear();
    for (QAction *action : frame.contextMenu()->actions())
        items << action->text();
    EXPECT_EQ(items, (QStringList{"Печать...", "Просмотр", "Следить за приемом", "Убрать маркер"}));
    frame.contextMenu()->actions()[0]->trigger();
    EXPECT_EQ(printed, 1);
    EXPECT_EQ(frame.contextMenu()->actions()[1]->menu()->actions().size(), 4);
}

TEST_F(GraphCommandsTest, WholeGraphWithoutAutomaticLimitsShowsBothRanges)
{
    showTime(2000, 3000);
    frame.temperatureBar()->SetWinMin(500);
    frame.temperatureBar()->SetWinMax(600);

    frame.ShowWholeGraph();
    EXPECT_EQ(windowOf(frame.timeBar()), (Window{1000, 6000}));
    EXPECT_EQ(windowOf(frame.temperatureBar()),
              (Window{frame.temperatureBar()->GetMin(), frame.temperatureBar()->GetMax()}));
}

TEST_F(GraphCommandsTest, WholeGraphWithAutomaticLimitsFitsTheNonZeroReadings)
{
    showTime(2000, 3000);
    frame.ToggleAutoLimits();
    EXPECT_EQ(windowOf(frame.temperatureBar()), (Window{800, 950}));

    frame.ShowWholeGraph();
    EXPECT_EQ(windowOf(frame.timeBar()), (Window{1000, 6000}));
    EXPECT_EQ(windowOf(frame.temperatureBar()), (Window{300, 950}));
}

TEST_F(GraphCommandsTest, SwitchingAutomaticLimitsOffKeepsTheWindow)
{
    showTime(5000, 6000);
    frame.ToggleAutoLimits();
    EXPECT_EQ(windowOf(frame.temperatureBar()), (Window{300, 400}));
    frame.ToggleAutoLimits();
    EXPECT_FALSE(frame.automaticLimits());
    EXPECT_EQ(windowOf(frame.temperatureBar()), (Window{300, 400}));
    showTime(2000, 3000);
    EXPECT_EQ(windowOf(frame.temperatureBar()), (Window{300, 400}));
}

TEST_F(GraphCommandsTest, TypedWindowLastsUntilTheTimeWindowMovesUnderAutomaticLimits)
{
    frame.ToggleAutoLimits();
    frame.temperatureBar()->SetWinMin(100);
    frame.temperatureBar()->SetWinMax(200);
    EXPECT_EQ(windowOf(frame.temperatureBar()), (Window{100, 200}));

    showTime(2000, 3000);
    EXPECT_EQ(windowOf(frame.temperatureBar()), (Window{800, 950}));
}

TEST(GraphCommands, GapsNeedAView)
{
    CGraphWnd frame;
    frame.ToggleGaps();
    EXPECT_TRUE(frame.view()->breakAtGaps());
    frame.ToggleGaps();
    EXPECT_FALSE(frame.view()->breakAtGaps());
}

TEST_F(GraphCommandsTest, PointerOverThePlotWritesTheReadoutPanes)
{
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    const QString before = frame.statusText(0);
    QTest::mouseMove(frame.view(), QPoint(40, 30));
    QTRY_VERIFY(frame.statusText(0) != before);
    EXPECT_TRUE(frame.statusText(0).startsWith("Температура "));
    EXPECT_TRUE(frame.statusText(1).startsWith("Время "));
}

// Escape answers to the enabling rule as it stands at the press, not as the menu last showed
// it; the menu shows no shortcut.
TEST_F(GraphCommandsTest, EscapeFollowsTheMarkerAndTheMenuShowsNoShortcut)
{
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    QAction *remove = frame.command(QStringLiteral("removeMarker"));
    EXPECT_FALSE(frame.contextMenu() == nullptr || remove->isEnabled());
    frame.view()->setMarker(series.records[2]);
    QTest::keyClick(&frame, Qt::Key_Escape);
    EXPECT_FALSE(frame.view()->marker().has_value());
    for (QAction *action : frame.contextMenu()->findChildren<QAction *>())
        EXPECT_TRUE(action->shortcut().isEmpty()) << action->text().toStdString();
}
