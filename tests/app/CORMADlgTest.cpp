#include "app/CORMADlg.h"
#include "acquisition/MeasurementTableModel.h"

#include "graph/CGraphWnd.h"

#include "acquisition/Reception.h"
#include "acquisition/SerialPort.h"
#include "companions/RussianCount.h"
#include "resources/MainDialogTemplate.h"
#include "resources/SettingsKeys.h"
#include "tests/support/FakeSpreadsheet.h"
#include "tests/support/PdfFiles.h"
#include "tests/support/PseudoTerminal.h"
#include "tests/support/ScriptedPrompts.h"

#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

#include <fstream>

#include <sys/stat.h>

namespace {

const QString ErrorCaptionText = "Ошибка";
const QString NoData = "Данные не получены.";

std::string numberedLine(int number, int second, int temperature)
{
    char line[64];
    std::snprintf(line, sizeof line, "%4d 12:00:%02d:50 E=0.950 T=%4d TRC\r\n", number, second % 60,
                  temperature);
    return line;
}

std::string timedLine(int second, int temperature)
{
    char line[64];
    std::snprintf(line, sizeof line, "10:00:%02d:00 E=0.950 T=%4d\r\n", second % 60, temperature);
    return line;
}

class MainDialogTest : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_configDir.isValid()); }

    void TearDown() override
    {
        if (m_dialog && m_dialog->isVisible())
            m_dialog->reject();
        m_dialog.reset();
    }

    void openDialog(const QString &rememberedPort)
    {
        if (!rememberedPort.isNull())
            m_settings.setValue(SettingsKeys::Port, rememberedPort);
        m_dialog = std::make_unique<CORMADlg>(m_prompts, m_settings, m_spreadsheet);
        AcquisitionTimings timings;
        timings.firstDataFromMemory = 4000;
        timings.firstDataContinuous = 4000;
        timings.nextData = 400;
        timings.nextDataPolled = 3000;
        m_dialog->acquisition().setTimings(timings);
        m_dialog->show();
    }

    template <typename Widget = QWidget> Widget *control(int id)
    {
        return static_cast<Widget *>(m_dialog->control(id));
    }

    void click(int id) { QTest::mouseClick(control(id), Qt::LeftButton); }

    void chooseSource(const QString &name)
    {
        auto *sources = control<QComboBox>(IDC_SOURCE);
        const int index = sources->findText(name);
        ASSERT_GE(index, 0) << name.toStdString();
        sources->setCurrentIndex(index);
        emit sources->activated(index);
    }

    bool waitForState(AcquisitionState state, int timeoutMs = 8000)
    {
        return QTest::qWaitFor([&] { return m_dialog->acquisition().state() == state; }, timeoutMs);
    }

    QString cell(int row, int column)
    {
        return m_dialog->table().index(row, column).data().toString();
    }

    int rows() { return m_dialog->table().rowCount(); }

    std::size_t receivedLength() { return m_dialog->acquisition().receivedBytes().size(); }

    // Once the reception prompt is on screen, the instrument sends these bytes.
    void sendWhenPrompted(PseudoTerminal &instrument, std::string bytes)
    {
        m_prompts.onMessage = [&instrument, bytes](const ScriptedPrompts::Shown &shown) {
            if (shown.caption == "Прием данных")
                instrument.write(bytes);
        };
    }

    QString writeFile(const std::string &name, const std::string &bytes)
    {
        const QString path = m_configDir.filePath(QString::fromStdString(name));
        std::ofstream(path.toStdString(), std::ios::binary) << bytes;
        return path;
    }

    QTemporaryDir m_configDir;
    QSettings m_settings{m_configDir.filePath("orma.conf"), QSettings::IniFormat};
    ScriptedPrompts m_prompts;
    FakeSpreadsheet m_spreadsheet;
    std::unique_ptr<CORMADlg> m_dialog;
};

} // namespace

TEST_F(MainDialogTest, FirstRunSelectsFileSource)
{
    openDialog(QString());
    EXPECT_EQ(control<QComboBox>(IDC_SOURCE)->currentText(), "file");
    EXPECT_TRUE(m_dialog->sourceIsFile());
    EXPECT_EQ(m_dialog->windowTitle(), "ORMA");
}

TEST_F(MainDialogTest, RememberedPortIsListedAndSelectedOnlyWhenItMatchesExactly)
{
    PseudoTerminal instrument;
    const QString path = QString::fromStdString(instrument.slavePath());

    openDialog(path);
    EXPECT_EQ(control<QComboBox>(IDC_SOURCE)->currentText(), path);
    EXPECT_FALSE(m_dialog->sourceIsFile());
    m_dialog->reject();

    openDialog("FILE");
    EXPECT_EQ(control<QComboBox>(IDC_SOURCE)->currentIndex(), -1);
    m_dialog->reject();

    // A path that does not exist is not offered.
    QString otherCase = path;
    otherCase.replace("pts", "PTS");
    openDialog(otherCase);
    EXPECT_EQ(control<QComboBox>(IDC_SOURCE)->currentIndex(), -1);
    EXPECT_EQ(control<QComboBox>(IDC_SOURCE)->findText(otherCase), -1);
}

// A port remembered by its kernel name is listed, chosen and from then on remembered by its
// stable name, the kernel name shown beside it; a replug elsewhere keeps the choice.
TEST_F(MainDialogTest, APortIsListedAndRememberedByItsStableName)
{
    PseudoTerminal instrument;
    const QString path = QString::fromStdString(instrument.slavePath());
    QTemporaryDir serial;
    ASSERT_TRUE(QDir(serial.path()).mkpath("by-id"));
    const QString link = serial.filePath("by-id/usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0");
    ASSERT_TRUE(QFile::link(path, link));
    qputenv("ORMA_SERIAL_DIR", QFile::encodeName(serial.path()));

    openDialog(path);
    EXPECT_EQ(control<QComboBox>(IDC_SOURCE)->currentText(), link + " (" + path + ")");
    EXPECT_EQ(control<QComboBox>(IDC_SOURCE)->findText(path), -1);
    EXPECT_FALSE(m_dialog->sourceIsFile());
    m_dialog->reject();
    EXPECT_EQ(m_settings.value(SettingsKeys::Port).toString(), link);

    PseudoTerminal replugged;
    const QString elsewhere = QString::fromStdString(replugged.slavePath());
    ASSERT_TRUE(QFile::remove(link));
    ASSERT_TRUE(QFile::link(elsewhere, link));
    openDialog(QString());
    EXPECT_EQ(control<QComboBox>(IDC_SOURCE)->currentText(), link + " (" + elsewhere + ")");
    chooseSource("file");
    chooseSource(link + " (" + elsewhere + ")");
    m_dialog->reject();
    EXPECT_EQ(m_settings.value(SettingsKeys::Port).toString(), link);
    qunsetenv("ORMA_SERIAL_DIR");
}

TEST_F(MainDialogTest, ControlsFollowSourceModeAndState)
{
    PseudoTerminal instrument;
    const QString path = QString::fromStdString(instrument.slavePath());
    openDialog(path);

    EXPECT_FALSE(control(IDC_PERIOD)->isVisible());
    EXPECT_FALSE(control(IDC_PROGRESS)->isVisible());
    for (int id : {IDC_SAVE, IDC_PRINT, IDC_EXCEL, IDC_GRAPH})
        EXPECT_FALSE(control(id)->isVisible()) << id;
    EXPECT_TRUE(control(IDC_HELP_BUTTON)->isVisible());
    EXPECT_TRUE(control(IDC_CONTINUOUS)->isEnabled());

    click(IDC_CONTINUOUS);
    EXPECT_EQ(m_dialog->acquisition().mode(), PollMode::Continuous);
    EXPECT_TRUE(control(IDC_PERIOD)->isVisible());
    EXPECT_TRUE(control(IDC_PERIOD_LABEL)->isVisible());

    // Going to "file" keeps the mode, only the button is disabled.
    chooseSource("file");
    EXPECT_EQ(m_dialog->acquisition().mode(), PollMode::Continuous);
    EXPECT_FALSE(control(IDC_CONTINUOUS)->isEnabled());

    // A port always switches back to a memory download.
    chooseSource(path);
    EXPECT_EQ(m_dialog->acquisition().mode(), PollMode::FromMemory);
    EXPECT_TRUE(control<QRadioButton>(IDC_FROM_MEMORY)->isChecked());
    EXPECT_TRUE(control(IDC_CONTINUOUS)->isEnabled());
    EXPECT_FALSE(control(IDC_PERIOD)->isVisible());
}

TEST_F(MainDialogTest, ResizeKeepsButtonColumnAndStretchesTable)
{
    openDialog("file");
    const QSize before = m_dialog->size();
    const auto rightGap = [&](int id) {
        return m_dialog->width() - control(id)->geometry().right();
    };
    const auto bottomGap = [&](int id) {
        return m_dialog->height() - control(id)->geometry().bottom();
    };
    const int closeGap = rightGap(IDCANCEL);
    const int helpGap = rightGap(IDC_HELP_BUTTON);
    const int tableGap = rightGap(IDC_TABLE);
    const int tableBottomGap = bottomGap(IDC_TABLE);
    const int progressGap = rightGap(IDC_PROGRESS);
    const QRect help = control(IDC_HELP_BUTTON)->geometry();
    const QRect source = control(IDC_SOURCE)->geometry();

    m_dialog->resize(before + QSize(200, 120));
    QTest::qWait(20);

    EXPECT_EQ(rightGap(IDCANCEL), closeGap);
    EXPECT_EQ(rightGap(IDC_HELP_BUTTON), helpGap);
    EXPECT_EQ(control(IDC_HELP_BUTTON)->geometry().top(), help.top());
    EXPECT_EQ(rightGap(IDC_TABLE), tableGap);
    EXPECT_EQ(bottomGap(IDC_TABLE), tableBottomGap);
    EXPECT_EQ(rightGap(IDC_PROGRESS), progressGap);
    EXPECT_EQ(control(IDC_SOURCE)->geometry(), source);
}

TEST_F(MainDialogTest, EnterDoesNotCloseButEscapeClosesAndSavesPort)
{
    openDialog("file");
    QTest::keyClick(m_dialog.get(), Qt::Key_Return);
    EXPECT_TRUE(m_dialog->isVisible());
    QTest::keyClick(m_dialog.get(), Qt::Key_Escape);
    EXPECT_FALSE(m_dialog->isVisible());
    EXPECT_EQ(m_settings.value(SettingsKeys::Port).toString(), "file");
}

TEST_F(MainDialogTest, MemoryDownloadFillsTableAndEndsAfterSilence)
{
    PseudoTerminal instrument;
    openDialog(QString::fromStdString(instrument.slavePath()));
    std::string download;
    for (int i = 1; i <= 5; ++i)
        download += numberedLine(i, i, 100 * i);
    download += "  77 12:00:59:50 E=0.900 T= -12 XYZ\r\n";
    sendWhenPrompted(instrument, download);

    click(IDC_GET_DATA);
    EXPECT_EQ(control<QPushButton>(IDC_GET_DATA)->text(), "Прервать");
    EXPECT_TRUE(control(IDC_PROGRESS)->isVisible());
    ASSERT_TRUE(waitForState(AcquisitionState::DataReady));

    ASSERT_EQ(m_prompts.shown.size(), 1u);
    EXPECT_EQ(m_prompts.shown[0].text, "Подключите прибор к компьютеру.\nНажмите ОК и запустите "
                                       "передачу данных с прибора в течение 3 минут.");
    ASSERT_EQ(rows(), 6);
    EXPECT_EQ(cell(0, 0), "1");
    EXPECT_EQ(cell(0, 1), "12:00:01.500");
    EXPECT_EQ(cell(0, 2), "100");
    EXPECT_EQ(cell(0, 3), "0.950");
    EXPECT_EQ(cell(0, 4), "Измерение");
    EXPECT_EQ(cell(5, 0), "77");
    EXPECT_EQ(cell(5, 2), "-12");
    EXPECT_EQ(cell(5, 4), "");
    for (int row = 0; row < rows(); ++row)
        EXPECT_EQ(m_dialog->table().index(row, 0).data(Qt::UserRole).toInt(), row);
    EXPECT_EQ(m_dialog->acquisition().series().count, 6);
    EXPECT_EQ(m_dialog->acquisition().series().records[5].temperature, -12);
    EXPECT_EQ(receivedLength(), download.size());

    EXPECT_EQ(control<QPushButton>(IDC_GET_DATA)->text(), "Получить данные");
    EXPECT_FALSE(control(IDC_PROGRESS)->isVisible());
    for (int id : {IDC_SAVE, IDC_PRINT, IDC_EXCEL, IDC_GRAPH})
        EXPECT_TRUE(control(id)->isVisible()) << id;
}

TEST_F(MainDialogTest, ShortLineIsStoredButNotShownAndTheNextLineIsKept)
{
    PseudoTerminal instrument;
    openDialog(QString::fromStdString(instrument.slavePath()));
    const std::string shortLine = "12:00:00:00 E=0.95\r\n";
    sendWhenPrompted(instrument, numberedLine(1, 1, 100) + shortLine + numberedLine(2, 2, 200) +
                                     numberedLine(3, 3, 300));

    click(IDC_GET_DATA);
    ASSERT_TRUE(waitForState(AcquisitionState::DataReady));
    ASSERT_EQ(rows(), 3);
    EXPECT_EQ(cell(0, 0), "1");
    EXPECT_EQ(cell(1, 0), "2");
    EXPECT_EQ(cell(2, 0), "3");
    EXPECT_EQ(receivedLength(), 3 * numberedLine(1, 1, 100).size() + shortLine.size());
}

TEST_F(MainDialogTest, ContinuousModeNumbersByLineCounterUntilInterrupted)
{
    PseudoTerminal instrument;
    openDialog(QString::fromStdString(instrument.slavePath()));
    click(IDC_CONTINUOUS);
    sendWhenPrompted(instrument, timedLine(1, 500) + timedLine(2, 510) + timedLine(3, 520));

    click(IDC_GET_DATA);
    EXPECT_EQ(m_prompts.shown.at(0).text,
              "Подключите прибор к компьютеру.\nПереведите прибор в режим \"сбор данных\".");
    EXPECT_FALSE(control(IDC_PERIOD)->isEnabled());
    ASSERT_TRUE(QTest::qWaitFor([&] { return rows() == 3; }, 5000));

    click(IDC_GET_DATA); // "Прервать"
    ASSERT_TRUE(waitForState(AcquisitionState::DataReady));
    EXPECT_EQ(cell(0, 0), "1");
    EXPECT_EQ(cell(1, 0), "2");
    EXPECT_EQ(cell(2, 0), "3");
    EXPECT_EQ(cell(2, 4), "Сбор данных");
    EXPECT_EQ(m_prompts.shown.size(), 1u);

    // With the rows shown, the period still comes and goes with the mode.
    EXPECT_TRUE(control(IDC_PERIOD)->isEnabled());
    EXPECT_TRUE(control(IDC_PERIOD)->isVisible());
    click(IDC_FROM_MEMORY);
    EXPECT_FALSE(control(IDC_PERIOD)->isVisible());
    EXPECT_FALSE(control(IDC_PERIOD_LABEL)->isVisible());
    click(IDC_CONTINUOUS);
    EXPECT_TRUE(control(IDC_PERIOD)->isVisible());
    EXPECT_TRUE(control(IDC_SAVE)->isVisible());
}

TEST_F(MainDialogTest, PollPeriodKeepsOneLinePerPeriod)
{
    PseudoTerminal instrument;
    openDialog(QString::fromStdString(instrument.slavePath()));
    click(IDC_CONTINUOUS);
    control<QLineEdit>(IDC_PERIOD)->setText("0,3");

    click(IDC_GET_DATA);
    EXPECT_EQ(m_dialog->acquisition().reception().pollPeriodMs(), 300u);
    int sent = 0;
    for (; sent < 30; ++sent) {
        instrument.write(timedLine(sent, 600 + sent));
        QTest::qWait(50);
    }
    click(IDC_GET_DATA);
    ASSERT_TRUE(waitForState(AcquisitionState::DataReady));
    EXPECT_GE(rows(), 2);
    EXPECT_LE(rows(), sent / 3);
    // The numbers are the reader's passes, one per kept line.
    for (int row = 0; row < rows(); ++row)
        EXPECT_EQ(cell(row, 0), QString::number(row + 1));
}

// The wait for the next line outlasts the period, however long the period is.
TEST_F(MainDialogTest, PollPeriodLongerThanTheSilenceWaitKeepsTheReceptionGoing)
{
    PseudoTerminal instrument;
    openDialog(QString::fromStdString(instrument.slavePath()));
    AcquisitionTimings timings;
    timings.nextData = 300;
    timings.nextDataPolled = 300;
    m_dialog->acquisition().setTimings(timings);
    click(IDC_CONTINUOUS);
    control<QLineEdit>(IDC_PERIOD)->setText("0.8");

    click(IDC_GET_DATA);
    for (int sent = 0; sent < 30; ++sent) {
        instrument.write(timedLine(sent, 600));
        QTest::qWait(100);
    }
    EXPECT_EQ(m_dialog->acquisition().state(), AcquisitionState::Receiving);
    EXPECT_GE(rows(), 3);
    click(IDC_GET_DATA);
    ASSERT_TRUE(waitForState(AcquisitionState::DataReady));
}

TEST_F(MainDialogTest, PollPeriodThatIsNotASecondCountIsRefused)
{
    PseudoTerminal instrument;
    openDialog(QString::fromStdString(instrument.slavePath()));
    click(IDC_CONTINUOUS);
    for (const char *text : {"-1", "abc", "1e10", ""}) {
        m_prompts.shown.clear();
        control<QLineEdit>(IDC_PERIOD)->setText(text);
        click(IDC_GET_DATA);
        EXPECT_EQ(m_dialog->acquisition().state(), AcquisitionState::Idle) << text;
        ASSERT_EQ(m_prompts.shown.size(), 1u) << text;
        EXPECT_EQ(m_prompts.shown[0].caption, ErrorCaptionText);
    }
}

TEST_F(MainDialogTest, SilentInstrumentTimesOutWithNoData)
{
    PseudoTerminal instrument;
    openDialog(QString::fromStdString(instrument.slavePath()));
    AcquisitionTimings timings;
    timings.firstDataFromMemory = 200;
    m_dialog->acquisition().setTimings(timings);

    click(IDC_GET_DATA);
    ASSERT_TRUE(waitForState(AcquisitionState::Idle));
    EXPECT_EQ(m_prompts.texts(), (QStringList{m_prompts.shown.at(0).text,
                                              "Истек тайм-аут ожидания передачи данных.", NoData}));
    EXPECT_EQ(m_prompts.shown.at(1).caption, "Тайм-аут");
    EXPECT_EQ(m_prompts.shown.at(2).caption, ErrorCaptionText);
    EXPECT_FALSE(control(IDC_SAVE)->isVisible());
}

TEST_F(MainDialogTest, PortHeldByAnotherProgramFailsToOpen)
{
    PseudoTerminal instrument;
    PortOpenResult holder = OpenPort(instrument.slavePath());
    ASSERT_TRUE(holder.port);
    openDialog(QString::fromStdString(instrument.slavePath()));

    click(IDC_GET_DATA);
    EXPECT_EQ(m_dialog->acquisition().state(), AcquisitionState::Idle);
    ASSERT_EQ(m_prompts.shown.size(), 1u);
    EXPECT_TRUE(m_prompts.shown[0].text.startsWith("Ошибка открытия порта\n"));
    EXPECT_EQ(m_prompts.shown[0].caption, ErrorCaptionText);
}

TEST_F(MainDialogTest, LostDeviceEndsReceptionAndKeepsData)
{
    PseudoTerminal instrument;
    openDialog(QString::fromStdString(instrument.slavePath()));
    sendWhenPrompted(instrument, numberedLine(1, 1, 100) + numberedLine(2, 2, 200));

    click(IDC_GET_DATA);
    ASSERT_TRUE(QTest::qWaitFor([&] { return rows() == 2; }, 5000));
    instrument.closeMaster();
    ASSERT_TRUE(waitForState(AcquisitionState::DataReady));
    EXPECT_EQ(rows(), 2);
    EXPECT_TRUE(m_prompts.texts().last().contains("Полученные данные сохранены"));
}

TEST_F(MainDialogTest, ClosingDuringReceptionStopsReaderAndSavesPort)
{
    PseudoTerminal instrument;
    const QString path = QString::fromStdString(instrument.slavePath());
    openDialog(path);
    sendWhenPrompted(instrument, numberedLine(1, 1, 100));

    click(IDC_GET_DATA);
    ASSERT_TRUE(QTest::qWaitFor([&] { return rows() == 1; }, 5000));
    m_dialog->reject();
    EXPECT_FALSE(m_dialog->isVisible());
    EXPECT_EQ(m_dialog->acquisition().reception().source(), nullptr);
    EXPECT_EQ(m_settings.value(SettingsKeys::Port).toString(), path);
    QTest::qWait(100);
    EXPECT_EQ(m_prompts.shown.size(), 1u);
}

TEST_F(MainDialogTest, DataFileReadsBackToTheSameRowsAndEndsAtItsEnd)
{
    std::string data;
    for (int i = 1; i <= 40; ++i)
        data += numberedLine(i, i, 300 + i);
    m_prompts.paths = {writeFile("data.orm", data)};
    openDialog("file");
    // The file's end, not the silence timer, ends the reception.
    AcquisitionTimings timings;
    m_dialog->acquisition().setTimings(timings);

    click(IDC_GET_DATA);
    ASSERT_TRUE(waitForState(AcquisitionState::DataReady, 4000));
    EXPECT_TRUE(m_prompts.shown.empty());
    ASSERT_EQ(m_prompts.fileRequests.size(), 1u);
    EXPECT_EQ(m_prompts.fileRequests[0].defaultSuffix, "orm");
    EXPECT_EQ(m_prompts.fileRequests[0].defaultName, "data");
    ASSERT_EQ(rows(), 40);
    EXPECT_EQ(cell(39, 0), "40");
    EXPECT_EQ(cell(39, 2), "340");

    // A second reading whose file dialog is cancelled, or whose file cannot be opened, keeps
    // the rows that are there and the means to save them.
    m_prompts.paths = {QString(), m_configDir.filePath("missing.orm")};
    for (int attempt = 0; attempt < 2; ++attempt) {
        click(IDC_GET_DATA);
        EXPECT_EQ(m_dialog->acquisition().state(), AcquisitionState::DataReady) << attempt;
        EXPECT_EQ(rows(), 40) << attempt;
        EXPECT_EQ(m_dialog->acquisition().receivedBytes().size(), data.size()) << attempt;
        EXPECT_TRUE(control(IDC_SAVE)->isVisible()) << attempt;
    }
}

TEST_F(MainDialogTest, KeysActOnlyThroughButtonsThatAreShown)
{
    std::string data;
    for (int i = 1; i <= 3; ++i)
        data += numberedLine(i, i, 300 + i);
    m_prompts.paths = {writeFile("data.orm", data)};
    openDialog("file");
    AcquisitionTimings timings;
    m_dialog->acquisition().setTimings(timings);
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_dialog.get()));

    // Before a reception the outputs are hidden: their keys do nothing. A key clicks its
    // button the way a pointer does, a moment later.
    QTest::keyClick(m_dialog.get(), Qt::Key_S, Qt::ControlModifier);
    QTest::keyClick(m_dialog.get(), Qt::Key_G, Qt::ControlModifier);
    QTest::qWait(300);
    EXPECT_TRUE(m_prompts.fileRequests.empty());
    EXPECT_EQ(m_dialog->graphController().graphWnd(), nullptr);

    QTest::keyClick(m_dialog.get(), Qt::Key_F5);
    ASSERT_TRUE(waitForState(AcquisitionState::DataReady, 4000));
    EXPECT_EQ(rows(), 3);
    // The button's text went to "Прервать" and back: its key still acts.
    m_prompts.paths = {writeFile("data.orm", data)};
    QTest::keyClick(m_dialog.get(), Qt::Key_F5);
    EXPECT_TRUE(QTest::qWaitFor([this] { return m_prompts.fileRequests.size() == 2; }));
    ASSERT_TRUE(waitForState(AcquisitionState::DataReady, 4000));
    QTest::keyClick(m_dialog.get(), Qt::Key_G, Qt::ControlModifier);
    EXPECT_TRUE(QTest::qWaitFor([this] {
        return m_dialog->graphController().graphWnd() != nullptr &&
               m_dialog->graphController().graphWnd()->isVisible();
    }));
    EXPECT_EQ(control(IDC_SAVE)->toolTip(), "Клавиши: Ctrl+S");
}

TEST_F(MainDialogTest, BothWindowsComeBackAtTheSizeTheyWereClosedAt)
{
    std::string data;
    for (int i = 1; i <= 3; ++i)
        data += numberedLine(i, i, 300 + i);
    const QString path = writeFile("data.orm", data);
    const auto readAndGraph = [&] {
        m_prompts.paths = {path};
        openDialog("file");
        m_dialog->acquisition().setTimings({});
        click(IDC_GET_DATA);
        EXPECT_TRUE(waitForState(AcquisitionState::DataReady, 4000));
        m_dialog->OnGraph();
        return m_dialog->graphController().graphWnd();
    };

    CGraphWnd *graph = readAndGraph();
    // The first show ever keeps the graph window's own size.
    EXPECT_EQ(graph->size(), QSize(300, 200));
    const QSize mainSize = m_dialog->size() + QSize(120, 80);
    m_dialog->resize(mainSize);
    graph->resize(640, 420);
    m_dialog->reject();

    graph = readAndGraph();
    EXPECT_EQ(m_dialog->size(), mainSize);
    EXPECT_EQ(graph->size(), QSize(640, 420));
}

TEST_F(MainDialogTest, EmptyOrMissingDataFile)
{
    m_prompts.paths = {writeFile("empty.orm", ""), m_configDir.filePath("missing.orm")};
    openDialog("file");

    click(IDC_GET_DATA);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_prompts.shown.empty(); }, 4000));
    EXPECT_EQ(m_prompts.texts(), QStringList{NoData});
    EXPECT_EQ(m_dialog->acquisition().state(), AcquisitionState::Idle);

    click(IDC_GET_DATA);
    EXPECT_EQ(m_prompts.texts().last(), "Ошибка открытия файла\n" +
                                            m_configDir.filePath("missing.orm") +
                                            "\nФайл не найден.");

    // A cancelled dialog says nothing.
    click(IDC_GET_DATA);
    EXPECT_EQ(m_prompts.shown.size(), 2u);
    EXPECT_EQ(m_dialog->acquisition().state(), AcquisitionState::Idle);
}

// The buffer's ceiling is a port's: a data file is read whole, however large. "Прервать" ends a
// long read at the rows the table holds, says how much was read, and a save writes those rows.
TEST_F(MainDialogTest, DataFileLargerThanTheBufferIsReadWholeAndAnInterruptedReadKeepsItsRows)
{
    const std::size_t lineSize = numberedLine(1, 1, 100).size();
    const int count = static_cast<int>(8 * ReceiveBufferSize / lineSize);
    std::string data;
    for (int i = 1; i <= count; ++i)
        data += numberedLine(i % 10000, i, 100 + i % 900);
    const QString path = writeFile("large.orm", data);
    m_prompts.paths = {path, path};
    openDialog("file");

    click(IDC_GET_DATA);
    ASSERT_TRUE(waitForState(AcquisitionState::DataReady, 60000));
    EXPECT_EQ(rows(), count);
    EXPECT_EQ(receivedLength(), data.size());
    EXPECT_EQ(cell(count - 1, 1), QString("12:00:%1.500").arg(count % 60, 2, 10, QChar('0')));
    EXPECT_TRUE(m_prompts.shown.empty()) << m_prompts.texts().join('|').toStdString();

    click(IDC_GET_DATA);
    ASSERT_TRUE(QTest::qWaitFor([&] { return rows() > 0; }, 20000));
    ASSERT_EQ(m_dialog->acquisition().state(), AcquisitionState::Receiving);
    // The message comes once the window shows the read ended.
    QString buttonWhenTold;
    m_prompts.onMessage = [&](const ScriptedPrompts::Shown &) {
        buttonWhenTold = control<QPushButton>(IDC_GET_DATA)->text();
    };
    click(IDC_GET_DATA);
    m_prompts.onMessage = nullptr;
    ASSERT_EQ(m_dialog->acquisition().state(), AcquisitionState::DataReady);
    EXPECT_EQ(buttonWhenTold, "Получить данные");
    const int kept = rows();
    ASSERT_LT(kept, count);
    // The bytes end where the rows do, every row with its record.
    EXPECT_EQ(receivedLength(), kept * lineSize);
    EXPECT_EQ(m_dialog->acquisition().series().count, kept);
    EXPECT_EQ(cell(kept - 1, 1), QString("12:00:%1.500").arg(kept % 60, 2, 10, QChar('0')));
    EXPECT_FALSE(control(IDC_PROGRESS)->isVisible());
    EXPECT_EQ(m_prompts.texts(),
              QStringList{QString("Чтение файла прервано.\nПрочитано %1% файла, в таблице %2.")
                              .arg(kept * lineSize * 100 / data.size())
                              .arg(RussianCount(kept, "строка", "строки", "строк"))});

    const QString saved = m_configDir.filePath("kept.orm");
    m_prompts.paths = {saved};
    click(IDC_SAVE);
    std::ifstream savedFile(saved.toStdString(), std::ios::binary);
    const std::string savedBytes((std::istreambuf_iterator<char>(savedFile)),
                                 std::istreambuf_iterator<char>());
    EXPECT_EQ(savedBytes, data.substr(0, kept * lineSize));
}

namespace {

class SavedDataTest : public MainDialogTest
{
protected:
    // A memory download of `count` lines through the simulated instrument, journalled into
    // journalFolder when one is named.
    void download(int count, const QString &journalFolder = {})
    {
        m_instrument = std::make_unique<PseudoTerminal>();
        m_port = QString::fromStdString(m_instrument->slavePath());
        openDialog(m_port);
        m_dialog->acquisition().setJournalFolder(journalFolder);
        std::string lines;
        for (int i = 1; i <= count; ++i)
            lines += numberedLine(i + 10, i, 200 + 3 * i);
        sendWhenPrompted(*m_instrument, lines);
        click(IDC_GET_DATA);
        ASSERT_TRUE(waitForState(AcquisitionState::DataReady));
        ASSERT_EQ(rows(), count);
        m_prompts.onMessage = nullptr;
        m_prompts.shown.clear();
    }

    QStringList rowTexts()
    {
        QStringList texts;
        for (int row = 0; row < rows(); ++row) {
            QStringList cells;
            for (int column = 1; column < MeasurementTableModel::ColumnCount; ++column)
                cells << cell(row, column);
            texts << cells.join('|');
        }
        return texts;
    }

    void selectRows(const std::vector<int> &selected)
    {
        auto *list = control<QTreeView>(IDC_TABLE);
        for (int row : selected)
            list->selectionModel()->select(m_dialog->table().index(row, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    // Reads `path` back through the source "file" and the reader.
    void readBack(const QString &path)
    {
        chooseSource("file");
        m_prompts.paths = {path};
        click(IDC_GET_DATA);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return m_dialog->acquisition().state() != AcquisitionState::Receiving; }, 5000));
    }

    std::unique_ptr<PseudoTerminal> m_instrument;
    QString m_port;
};

} // namespace

TEST_F(SavedDataTest, DataFileReadsBackToTheSameTable)
{
    download(5);
    const QStringList downloaded = rowTexts();
    const QString path = m_configDir.filePath("saved.orm");
    m_prompts.paths = {path};

    click(IDC_SAVE);
    ASSERT_EQ(m_prompts.texts(), QStringList{"Данные успешно записаны в файл."});

    readBack(path);
    EXPECT_EQ(m_dialog->acquisition().state(), AcquisitionState::DataReady);
    EXPECT_EQ(rowTexts(), downloaded);
    EXPECT_EQ(cell(0, 0), "11");
}

TEST_F(SavedDataTest, SelectedRowsAsTextReadBackNumberedFromZero)
{
    download(6);
    const QStringList downloaded = rowTexts();
    selectRows({1, 3, 4});
    const QString path = m_configDir.filePath("selected.txt");
    m_prompts.paths = {path};
    m_prompts.answers = {Prompts::Answer::Yes};

    click(IDC_SAVE);
    ASSERT_EQ(m_prompts.shown.size(), 2u);
    EXPECT_EQ(m_prompts.shown[0].text, "Сохранять только выделенные данные?");

    readBack(path);
    ASSERT_EQ(rows(), 3);
    EXPECT_EQ(rowTexts(), (QStringList{downloaded[1], downloaded[3], downloaded[4]}));
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(cell(row, 0), QString::number(row));

    // The same file read as continuous data has no timed line in it.
    chooseSource(m_port);
    click(IDC_CONTINUOUS);
    readBack(path);
    EXPECT_EQ(m_dialog->acquisition().mode(), PollMode::Continuous);
    EXPECT_EQ(rows(), 0);
    EXPECT_EQ(m_dialog->acquisition().state(), AcquisitionState::DataReady);
}

TEST_F(SavedDataTest, SpreadsheetReceivesTheWorkbook)
{
    download(3);
    click(IDC_EXCEL);
    ASSERT_EQ(m_spreadsheet.opened.size(), 1);
    EXPECT_TRUE(m_spreadsheet.opened[0].endsWith(".xlsx"));
    EXPECT_EQ(m_prompts.texts(), QStringList{"Данные успешно перенесены в приложение MS Exel."});
}

TEST_F(SavedDataTest, OutputButtonsStayWhileANewReceptionRuns)
{
    download(2);
    sendWhenPrompted(*m_instrument, numberedLine(1, 1, 100));
    m_prompts.answers = {Prompts::Answer::No};
    click(IDC_GET_DATA);
    EXPECT_EQ(m_dialog->acquisition().state(), AcquisitionState::Receiving);
    EXPECT_TRUE(control(IDC_SAVE)->isVisible());
    ASSERT_TRUE(waitForState(AcquisitionState::DataReady));
    EXPECT_EQ(rows(), 1);
}

TEST_F(SavedDataTest, GraphWindowShowsTheDownloadAndOnlyHidesOnClose)
{
    download(4);
    click(IDC_GRAPH);
    CGraphWnd *graph = m_dialog->graphController().graphWnd();
    ASSERT_NE(graph, nullptr);
    EXPECT_TRUE(graph->isVisible());
    EXPECT_EQ(m_dialog->graphController().graphSeries().count, 4);

    graph->close();
    EXPECT_EQ(m_dialog->graphController().graphWnd(), graph);
    EXPECT_FALSE(graph->isVisible());

    click(IDC_GRAPH);
    EXPECT_EQ(m_dialog->graphController().graphWnd(), graph);
    EXPECT_TRUE(graph->isVisible());

    m_prompts.answers = {Prompts::Answer::No};
    m_dialog->reject();
    EXPECT_EQ(m_dialog->graphController().graphWnd(), nullptr);
}

TEST_F(SavedDataTest, PrintingTheTableWritesAPdfWhileTheWindowGoesOn)
{
    download(3);
    const QString pdf = m_configDir.filePath("table.pdf");
    m_prompts.onPrintDialog = AnswerWithPdf(pdf);
    click(IDC_PRINT);
    EXPECT_EQ(m_prompts.printDialogs, 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo(pdf).size() > 0; }, 10000));
    EXPECT_TRUE(m_prompts.shown.empty());
}

TEST_F(SavedDataTest, GraphMenuPrintWritesAPdf)
{
    download(4);
    click(IDC_GRAPH);
    CGraphWnd *graph = m_dialog->graphController().graphWnd();
    ASSERT_NE(graph, nullptr);
    const QString pdf = m_configDir.filePath("graph.pdf");
    m_prompts.onPrintDialog = AnswerWithPdf(pdf);
    graph->command(QStringLiteral("print"))->trigger();
    EXPECT_EQ(m_prompts.printDialogs, 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo(pdf).size() > 0; }, 10000));
}

TEST_F(SavedDataTest, ClosingOrANewReceptionAsksToSaveRowsThatAreOnDiskNowhere)
{
    const QString journalFolder = m_configDir.filePath("journals");
    const auto journals = [&] { return QDir(journalFolder).entryList(QDir::Files).size(); };
    download(3, journalFolder);
    // Until the rows are saved, their journal stays too: a kill now would not take them.
    EXPECT_EQ(journals(), 1);
    const QString question = "Сохранить полученные данные?";
    const auto asked = [&] {
        const bool once = m_prompts.shown.size() == 1 && m_prompts.shown[0].text == question &&
                          m_prompts.shown[0].buttons == Prompts::Buttons::YesNoCancel;
        m_prompts.shown.clear();
        return once;
    };

    // Cancel, and a save whose dialog is cancelled, keep the window and its rows.
    m_prompts.answers = {Prompts::Answer::Cancel};
    QTest::keyClick(m_dialog.get(), Qt::Key_Escape);
    EXPECT_TRUE(asked());
    m_prompts.answers = {Prompts::Answer::Yes};
    m_dialog->close();
    EXPECT_TRUE(m_dialog->isVisible());
    EXPECT_EQ(m_prompts.fileRequests.size(), 1u);
    EXPECT_TRUE(asked());
    // A new reception would replace the rows: the same question, and the port stays closed.
    m_prompts.answers = {Prompts::Answer::Cancel};
    click(IDC_GET_DATA);
    EXPECT_TRUE(asked());
    EXPECT_EQ(m_dialog->acquisition().state(), AcquisitionState::DataReady);
    EXPECT_EQ(rows(), 3);

    // Yes saves the data file and closes.
    const QString path = m_configDir.filePath("kept.orm");
    m_prompts.answers = {Prompts::Answer::Yes};
    m_prompts.paths = {path};
    m_dialog->reject();
    EXPECT_FALSE(m_dialog->isVisible());
    EXPECT_EQ(m_prompts.texts(), (QStringList{question, "Данные успешно записаны в файл."}));
    EXPECT_EQ(journals(), 0);
    m_prompts.shown.clear();

    // Rows read back from a file, and rows saved, are on disk: closing asks nothing.
    openDialog(m_port);
    readBack(path);
    ASSERT_EQ(rows(), 3);
    m_dialog->reject();
    EXPECT_FALSE(m_dialog->isVisible());
    download(2);
    m_prompts.paths = {m_configDir.filePath("second.orm")};
    click(IDC_SAVE);
    m_prompts.shown.clear();
    m_dialog->reject();
    EXPECT_FALSE(m_dialog->isVisible());
    EXPECT_TRUE(m_prompts.shown.empty());
}

TEST_F(MainDialogTest, ARestoredJournalGoesOnlyOnceItsRowsWereReadWholeAndLeftTheTable)
{
    const QString folder = m_configDir.filePath("journals");
    ASSERT_TRUE(QDir().mkpath(folder));
    const auto leaveJournal = [&](const std::string &bytes) {
        // Its writer, process 1, is no copy of this program.
        std::ofstream(QDir(folder).filePath("reception-memory-20261208-080000-1.orm").toStdString(),
                      std::ios::binary)
            << bytes;
    };
    const auto journals = [&] { return QDir(folder).entryList(QDir::Files); };
    const auto restore = [&] {
        openDialog("file");
        m_prompts.answers = {Prompts::Answer::Yes};
        m_dialog->OfferInterruptedReception(folder);
        EXPECT_TRUE(waitForState(AcquisitionState::DataReady, 20000));
    };

    std::string lines;
    for (int i = 1; i <= 4; ++i)
        lines += numberedLine(i, i, 500 + i);
    leaveJournal(lines);
    // Cancel, as Escape, decides nothing: the journal waits for the next start.
    openDialog("file");
    m_prompts.answers = {Prompts::Answer::Cancel};
    m_dialog->OfferInterruptedReception(folder);
    EXPECT_EQ(rows(), 0);
    ASSERT_EQ(journals().size(), 1);
    m_dialog->reject();
    restore();
    EXPECT_EQ(rows(), 4);
    ASSERT_EQ(journals().size(), 1);
    // The restored rows are on disk only in the journal: closing asks, and No lets them go.
    m_prompts.shown.clear();
    m_prompts.answers = {Prompts::Answer::No};
    m_dialog->reject();
    EXPECT_EQ(m_prompts.texts(), QStringList{"Сохранить полученные данные?"});
    EXPECT_TRUE(journals().isEmpty());

    // Restored and saved, the journal goes with the save.
    leaveJournal(lines);
    restore();
    m_prompts.paths = {m_configDir.filePath("restored.orm")};
    click(IDC_SAVE);
    EXPECT_TRUE(journals().isEmpty());
    m_dialog->reject();

    // A journal larger than the buffer is restored whole, and goes as a small one does.
    std::string large;
    while (large.size() <= ReceiveBufferSize)
        large += lines;
    leaveJournal(large);
    restore();
    EXPECT_EQ(receivedLength(), large.size());
    m_prompts.answers = {Prompts::Answer::No};
    m_dialog->reject();
    EXPECT_TRUE(journals().isEmpty());

    // Its reading interrupted before a row reached the table, it stays after the window.
    leaveJournal(large);
    openDialog("file");
    m_prompts.answers = {Prompts::Answer::Yes};
    m_dialog->OfferInterruptedReception(folder);
    click(IDC_GET_DATA);
    EXPECT_EQ(rows(), 0);
    m_dialog->reject();
    EXPECT_FALSE(m_dialog->isVisible());
    ASSERT_EQ(journals().size(), 1);
    EXPECT_EQ(QFileInfo(QDir(folder).filePath(journals()[0])).size(),
              static_cast<qint64>(large.size()));
}

TEST_F(MainDialogTest, AFileNamedAtTheStartIsReadFromTheSourceFileAndAPipeIsRefusedAtOnce)
{
    PseudoTerminal instrument;
    openDialog(QString::fromStdString(instrument.slavePath()));
    const QString fifo = m_configDir.filePath("pipe.orm");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

    // No writer ever comes: opening it would wait forever.
    m_dialog->OpenDataFile(fifo);
    EXPECT_EQ(m_dialog->acquisition().state(), AcquisitionState::Idle);
    ASSERT_EQ(m_prompts.shown.size(), 1u);
    EXPECT_EQ(m_prompts.shown[0].text, "Ошибка открытия файла\n" + fifo +
                                           "\nЭто не обычный файл, а папка, устройство или канал.");
    // The source is "file" now: the next reception asks for a file, not for the instrument.
    EXPECT_EQ(control<QComboBox>(IDC_SOURCE)->currentText(), "file");
    EXPECT_TRUE(m_dialog->sourceIsFile());
}

TEST_F(MainDialogTest, DroppedDailyFilesBecomeOneTimelineAndTooLongASpanIsRefused)
{
    openDialog("file");
    const auto write = [this](const QString &name, const QByteArray &bytes) {
        const QString path = m_configDir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    };
    // The later day comes first, and the earlier day's file lacks its last line feed.
    const QByteArray second = "   1 00:00:05:00 E=0.950 T= 500 TRC\r\n";
    const QByteArray first = "   1 23:59:50:00 E=0.950 T= 400 TRC\r\n"
                             "   2 23:59:55:00 E=0.950 T= 450 TRC";
    const QString secondPath = write("kiln-2026-12-09.orm", second);
    const QString firstPath = write("kiln-2026-12-08.orm", first);
    const auto drop = [this](const QStringList &paths) {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString &path : paths)
            urls.push_back(QUrl::fromLocalFile(path));
        data.setUrls(urls);
        QDropEvent event(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        // Straight to the window: the application passes a drop on only during a drag.
        static_cast<QObject *>(m_dialog.get())->event(&event);
    };

    drop({secondPath, firstPath});
    ASSERT_TRUE(waitForState(AcquisitionState::DataReady));
    ASSERT_EQ(rows(), 3);
    MeasurementTableModel &table = m_dialog->table();
    EXPECT_EQ(table.columnCount(), MeasurementTableModel::FileColumn + 1);
    EXPECT_EQ(table.fileOf(1), "kiln-2026-12-08.orm");
    EXPECT_EQ(table.fileOf(2), "kiln-2026-12-09.orm");
    // The table keeps the times of day; the series runs on past midnight.
    EXPECT_EQ(table.cellTextAt(2, ReceivedRows::TimeColumn), "00:00:05.000");
    const TermDataFile &series = m_dialog->acquisition().series();
    EXPECT_EQ(series.date, QDate(2026, 12, 8));
    EXPECT_EQ(series.records[2].time, 24 * 3600 * 1000 + 5000);
    // A save writes the files' lines in order, each line whole.
    const std::span<const char> bytes = m_dialog->acquisition().receivedBytes();
    EXPECT_EQ(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())),
              first + "\n" + second);

    // A month does not fit one timeline: said, and the rows stay.
    m_prompts.shown.clear();
    const QString later = write("kiln-2027-01-08.orm", second);
    drop({firstPath, later});
    EXPECT_EQ(m_dialog->acquisition().state(), AcquisitionState::DataReady);
    ASSERT_EQ(m_prompts.shown.size(), 1u);
    EXPECT_TRUE(m_prompts.shown[0].text.contains("не больше 24 дней"));
    EXPECT_EQ(rows(), 3);

    // One file read after them is read as before, without the file column.
    drop({secondPath});
    ASSERT_TRUE(waitForState(AcquisitionState::DataReady));
    EXPECT_EQ(rows(), 1);
    EXPECT_EQ(table.columnCount(), ReceivedRows::ColumnCount);
}

// The first note brings the note column; the rows selected before stay selected with it, so
// that the outputs still take them.
TEST_F(SavedDataTest, TheNoteColumnKeepsTheSelection)
{
    download(6);
    selectRows({1, 3, 4});
    AcquisitionControl &acquisition = m_dialog->acquisition();
    acquisition.setNote(acquisition.rowTime(3), QStringLiteral("образец 3"), true);
    ASSERT_EQ(m_dialog->table().noteColumn(), MeasurementTableModel::ColumnCount);
    EXPECT_EQ(cell(3, MeasurementTableModel::ColumnCount), QStringLiteral("образец 3"));
    EXPECT_EQ(m_dialog->selectedRows(), (std::vector<int>{1, 3, 4}));
}

// Daily files joined: each one's notes show on its own rows; a note added to the first day and
// let go by closing is asked about and written back beside that day's file alone.
TEST_F(MainDialogTest, JoinedFilesShowTheirOwnNotesAndGetTheirNotesBack)
{
    openDialog("file");
    const auto write = [this](const QString &name, const QByteArray &bytes) {
        const QString path = m_configDir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    };
    const QString second = write("kiln-2026-12-09.orm", "   1 00:00:05:00 E=0.950 T= 500 TRC\r\n");
    const QString first = write("kiln-2026-12-08.orm", "   1 23:59:50:00 E=0.950 T= 400 TRC\r\n"
                                                       "   2 23:59:55:00 E=0.950 T= 450 TRC\r\n");
    write("kiln-2026-12-09.orm.notes", "00:00:05.000\tзавтра\n");
    write("kiln-2026-12-08.orm.notes", "23:59:55.000\tвчера\n");

    m_dialog->OpenDataFiles({second, first});
    ASSERT_TRUE(waitForState(AcquisitionState::DataReady));
    MeasurementTableModel &table = m_dialog->table();
    ASSERT_EQ(table.noteColumn(), MeasurementTableModel::FileColumn + 1);
    const auto noteOf = [&](int row) { return table.index(row, table.noteColumn()).data(); };
    EXPECT_EQ(noteOf(0), QString());
    EXPECT_EQ(noteOf(1), QStringLiteral("вчера"));
    EXPECT_EQ(noteOf(2), QStringLiteral("завтра"));

    AcquisitionControl &acquisition = m_dialog->acquisition();
    acquisition.setNote(acquisition.rowTime(0), QStringLiteral("печь включена"), true);
    m_prompts.answers = {Prompts::Answer::Yes};
    m_dialog->reject();
    ASSERT_EQ(m_prompts.texts(), QStringList{"Сохранить заметки?"});
    const auto contents = [](const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    EXPECT_EQ(contents(first + ".notes"), "23:59:50.000\tпечь включена\n23:59:55.000\tвчера\n");
    EXPECT_EQ(contents(second + ".notes"), "00:00:05.000\tзавтра\n");
}
