#include "app/ThresholdAlarm.h"

#include "acquisition/AcquisitionControl.h"
#include "app/DesktopNotifier.h"
#include "graph/CGraphWnd.h"
#include "graph/GraphController.h"
#include "resources/SettingsKeys.h"
#include "tests/support/PseudoTerminal.h"
#include "tests/support/ScriptedPrompts.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

#include <fstream>

namespace {

class QuietView : public AcquisitionView
{
public:
    std::optional<double> enteredPeriod() const override { return 0.0; }
    void setProgress(int) override {}
    void setWaitCursor(bool) override {}
    void updateControls() override {}
};

class RecordingNotifier : public DesktopNotifier
{
public:
    void notify(const QString &summary, const QString &body) override
    {
        told << summary + QStringLiteral(" | ") + body;
    }
    QStringList told;
};

std::string numberedLine(int number, int temperature)
{
    char line[64];
    std::snprintf(line, sizeof line, "%4d 12:00:%02d:50 E=0.950 T=%4d TRC\r\n", number, number,
                  temperature);
    return line;
}

// Temperatures against the thresholds 865 and 100: the first reading is below, then two
// separate stays above (one two readings long), then below again.
const std::vector<int> Temperatures{50, 60, 200, 900, 950, 300, 870, 90};
const std::vector<int> RowsOutside{0, 1, 3, 4, 6, 7};

class ThresholdAlarmTest : public testing::Test
{
protected:
    // What a user set before: thresholds in the graph, and the alarm on.
    bool rememberAlarm()
    {
        m_settings.setValue(SettingsKeys::UpperThreshold, 865);
        m_settings.setValue(SettingsKeys::LowerThreshold, 100);
        m_settings.setValue(SettingsKeys::ThresholdAlarm, true);
        return true;
    }

    ThresholdAlarmTest()
    {
        AcquisitionTimings timings;
        timings.nextData = 300;
        m_acquisition.setTimings(timings);
        m_table.setModel(&m_acquisition.table());
        m_table.resize(400, 300);
        for (std::size_t i = 0; i < Temperatures.size(); ++i)
            m_lines += numberedLine(static_cast<int>(i) + 1, Temperatures[i]);
    }

    // A memory download from the instrument on a pseudo-terminal, as "Получить данные" runs it.
    void receiveFromPort()
    {
        m_prompts.onMessage = [this](const ScriptedPrompts::Shown &shown) {
            if (shown.caption == "Прием данных")
                m_instrument.write(m_lines);
        };
        m_acquisition.setSource(QString::fromStdString(m_instrument.slavePath()), false);
        m_acquisition.OnGetData();
        ASSERT_TRUE(QTest::qWaitFor(
            [this] { return m_acquisition.state() == AcquisitionState::DataReady; }, 8000));
        ASSERT_EQ(m_acquisition.table().rowCount(), static_cast<int>(Temperatures.size()));
    }

    std::vector<int> highlightedRows()
    {
        std::vector<int> rows;
        for (int row = 0; row < m_acquisition.table().rowCount(); ++row)
            if (m_alarm.highlights(row))
                rows.push_back(row);
        return rows;
    }

    QTemporaryDir m_dir;
    QSettings m_settings{m_dir.filePath("orma.conf"), QSettings::IniFormat};
    bool m_remembered = rememberAlarm();
    ScriptedPrompts m_prompts;
    QuietView m_view;
    AcquisitionControl m_acquisition{m_view, m_prompts};
    QTreeView m_table;
    GraphController m_graph{m_prompts, &m_settings};
    RecordingNotifier m_notifier;
    ThresholdAlarm m_alarm{m_acquisition, m_table, m_graph, m_notifier};
    PseudoTerminal m_instrument;
    std::string m_lines;
};

} // namespace

// A reception from a port tells each crossing once, shows the last one in the graph's status
// line (also in a window made afterwards) and highlights every row outside the thresholds; the
// same rows read back from a file are highlighted but tell nothing; switched off, the alarm
// does neither, and stays off in the settings.
TEST_F(ThresholdAlarmTest, TellsEachCrossingOfAReceptionFromAPortOnce)
{
    receiveFromPort();
    EXPECT_EQ(m_notifier.told,
              (QStringList{"ORMA: выход за порог | 12:00:01.500: 50 °C, ниже 100 °C",
                           "ORMA: выход за порог | 12:00:04.500: 900 °C, выше 865 °C",
                           "ORMA: выход за порог | 12:00:07.500: 870 °C, выше 865 °C",
                           "ORMA: выход за порог | 12:00:08.500: 90 °C, ниже 100 °C"}));
    EXPECT_EQ(highlightedRows(), RowsOutside);
    m_graph.OnGraph(m_acquisition.series(), m_acquisition.table(), {});
    ASSERT_NE(m_graph.graphWnd(), nullptr);
    EXPECT_EQ(m_graph.graphWnd()->alarmText(),
              QStringLiteral("Выход за порог в 12:00:08.500: 90 °C, ниже 100 °C"));

    // The highlight is painted: a row outside in the alarm's colour, one inside in the table's.
    m_table.show();
    const QImage painted = m_table.viewport()->grab().toImage();
    const auto colourOf = [&](int row) {
        // Right of the row's number, which is short and stands at the left.
        const QRect cell = m_table.visualRect(m_acquisition.table().index(row, 0));
        return painted.pixelColor(cell.right() - 2, cell.center().y());
    };
    EXPECT_EQ(colourOf(3), QColor(255, 176, 176));
    EXPECT_NE(colourOf(2), QColor(255, 176, 176));

    // Read back from a file: highlighted, never told.
    const QString path = m_dir.filePath("same.orm");
    std::ofstream(path.toStdString(), std::ios::binary) << m_lines;
    m_acquisition.readBack(path);
    ASSERT_TRUE(QTest::qWaitFor(
        [this] { return m_acquisition.state() == AcquisitionState::DataReady; }, 8000));
    EXPECT_EQ(m_notifier.told.size(), 4);
    EXPECT_EQ(highlightedRows(), RowsOutside);
    EXPECT_EQ(m_graph.graphWnd()->alarmText(), QString());

    // Switched off from the graph's menu: nothing highlighted, nothing told, and remembered.
    m_graph.graphWnd()->command(QStringLiteral("alarm"))->trigger();
    EXPECT_FALSE(m_graph.alarmOn());
    EXPECT_FALSE(m_settings.value(SettingsKeys::ThresholdAlarm).toBool());
    EXPECT_TRUE(highlightedRows().empty());
    receiveFromPort();
    EXPECT_EQ(m_notifier.told.size(), 4);
    EXPECT_EQ(m_graph.graphWnd()->alarmText(), QString());
}

// Where no session bus runs, the desktop is simply not told: nothing fails, nothing waits.
TEST(DesktopNotifier, WithoutASessionBusTellsNothing)
{
    QTemporaryDir dir;
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + dir.filePath("no-bus").toUtf8());
    DesktopNotifier().notify(QStringLiteral("ORMA: выход за порог"), QStringLiteral("—"));
    SUCCEED();
}
