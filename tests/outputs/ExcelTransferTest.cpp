#include "outputs/ExcelTransfer.h"
#include "acquisition/MeasurementTableModel.h"
#include "outputs/XdgSpreadsheetLauncher.h"

#include "tests/outputs/XlsxReader.h"
#include "tests/support/FakeSpreadsheet.h"
#include "tests/support/ScriptedPrompts.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTime>

#include <gtest/gtest.h>

#include <ostream>

#include <cstring>

#include <sys/stat.h>

namespace {

// Points an environment variable elsewhere for the life of the object.
class ScopedEnvironment
{
public:
    ScopedEnvironment(const char *name, const QString &value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name))
    {
        qputenv(name, value.toUtf8());
    }
    ~ScopedEnvironment()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char *m_name;
    bool m_had;
    QByteArray m_old;
};

TableRowText rowText(const RowCells &cells)
{
    return MakeTableRowText(cells);
}

QString cellReference(std::size_t row, int column)
{
    return QChar('A' + column) + QString::number(row + 1);
}

// Every cell of A1:E<n> holds what a spreadsheet makes of the typed text, and nothing lies
// beyond.
void expectCellsOf(const Workbook &workbook, const std::vector<TableRowText> &rows)
{
    ASSERT_TRUE(workbook.readable);
    std::size_t filled = 0;
    for (std::size_t row = 0; row < rows.size(); ++row) {
        const TableRowText &text = rows[row];
        const char *fields[] = {text.number, text.time, text.temperature, text.emissivity,
                                text.mode};
        for (int column = 0; column < 5; ++column) {
            const QString reference = cellReference(row, column);
            const QString typed = QString::fromUtf8(fields[column]);
            const auto cell = workbook.cells.find(reference);
            if (typed.isEmpty()) {
                EXPECT_EQ(cell, workbook.cells.end()) << reference.toStdString();
                continue;
            }
            ++filled;
            ASSERT_NE(cell, workbook.cells.end()) << reference.toStdString();
            if (column == 4) {
                EXPECT_EQ(cell->second.type, "s") << reference.toStdString();
                EXPECT_EQ(cell->second.value, typed) << reference.toStdString();
            } else if (column == 1) {
                const QTime time = QTime::fromString(typed, QStringLiteral("hh:mm:ss.zzz"));
                EXPECT_EQ(cell->second.type, "n") << reference.toStdString();
                EXPECT_NEAR(cell->second.value.toDouble(), time.msecsSinceStartOfDay() / 864e5,
                            1e-12);
                EXPECT_EQ(workbook.styleFormats.value(cell->second.style), "hh:mm:ss.000");
            } else {
                EXPECT_EQ(cell->second.type, "n") << reference.toStdString();
                EXPECT_DOUBLE_EQ(cell->second.value.toDouble(), typed.toDouble());
            }
        }
    }
    EXPECT_EQ(workbook.cells.size(), filled);
}

class Transfer : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(cache.isValid());
        table.appendRow({1, 45296780, 856, 950, 0}, 0);
        table.appendRow({2, 0, -40, 1000, 5}, 1);
        table.appendRow({12345, 86399990, 1234, 950, NoMeasureMode}, 2);
        table.appendRow({4, 50, 20, 100, 1}, 3);
    }

    QString folder() const
    {
        return QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    }

    QTemporaryDir cache;
    ScopedEnvironment cacheHome{"XDG_CACHE_HOME", cache.path()};
    MeasurementTableModel table;
    ScriptedPrompts prompts;
    FakeSpreadsheet launcher;
};

TEST_F(Transfer, HandsAllOrTheSelectedRowsOverAsTypedCells)
{
    for (const std::vector<int> &selection : {std::vector<int>{}, std::vector<int>{3, 0, 2}}) {
        launcher.opened.clear();
        prompts.shown.clear();
        const std::vector<TableRowText> rows = GetRowTexts(table, selection);
        TransferToSpreadsheet(prompts, rows, launcher);

        ASSERT_EQ(launcher.opened.size(), 1);
        EXPECT_TRUE(launcher.opened.front().startsWith(folder() + '/'));
        EXPECT_TRUE(launcher.opened.front().endsWith(".xlsx"));
        expectCellsOf(ReadWorkbook(launcher.opened.front()), rows);
        ASSERT_EQ(prompts.shown.size(), 1u);
        EXPECT_EQ(prompts.shown[0].text, "Данные успешно перенесены в приложение MS Exel.");
        EXPECT_EQ(prompts.shown[0].caption, "Перенос данных в MS Exel");
        EXPECT_EQ(prompts.shown[0].icon, Prompts::Icon::Information);
    }
    // Each transfer is a workbook of its own.
    EXPECT_EQ(QDir(folder()).entryList(QDir::Files).size(), 2);
}

TEST_F(Transfer, TextsThatDoNotReadAsTheirKindStayText)
{
    const std::vector<TableRowText> rows{
        rowText({"12a", "24:00:00.000", "", "x", "TRC"}),
        rowText({"-", "1:02:03", "+7", ".5", ""}),
        rowText({"1e3", "12:60:00.000", "7 ", "0,95", "1"}),
    };
    const QString path = cache.filePath("cells.xlsx");
    ASSERT_EQ(WriteWorkbook(path, rows), QString());
    const Workbook workbook = ReadWorkbook(path);
    const std::map<QString, QString> expected{
        {"A1", "s:12a"},
        {"B1", "s:24:00:00.000"},
        {"D1", "s:x"},
        {"E1", "s:TRC"},
        {"A2", "s:-"},
        {"C2", "n:7"},
        {"D2", "n:0.5"},
        {"A3", "s:1e3"},
        {"B3", "s:12:60:00.000"},
        {"C3", "s:7 "},
        {"D3", "s:0,95"},
        {"E3", "s:1"},
        {"B2", "n:" + QString::number(3723 / 86400.0, 'g', 16)},
    };
    std::map<QString, QString> actual;
    for (const auto &[reference, cell] : workbook.cells)
        actual[reference] = cell.type + ':' + cell.value;
    EXPECT_EQ(actual, expected);
}

TEST_F(Transfer, AnEmptyTableIsNotHandedOver)
{
    TransferToSpreadsheet(prompts, GetRowTexts(MeasurementTableModel(), {}), launcher);
    EXPECT_TRUE(launcher.opened.isEmpty());
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, "Нет данных для переноса в MS Exel.");
    EXPECT_TRUE(QDir(folder()).entryList(QDir::Files).isEmpty());
}

struct LaunchCase
{
    const char *what;
    bool installed;
    bool starts;
    const char *text;
};

// Names the case in the test list.
void PrintTo(const LaunchCase &c, std::ostream *os)
{
    *os << c.what;
}

class TransferLaunch : public Transfer, public testing::WithParamInterface<LaunchCase>
{
};

const LaunchCase LaunchCases[] = {
    {"no application registered", false, true, "MS Exel не установлен на вашем компьютере."},
    {"the application fails to start", true, false,
     "MS Exel не корректно установлен на вашем компьютере."},
};

INSTANTIATE_TEST_SUITE_P(Cases, TransferLaunch, testing::ValuesIn(LaunchCases));

TEST_P(TransferLaunch, IsReportedAndLeavesNoWorkbookUnlessTheUserSavesOne)
{
    const LaunchCase &c = GetParam();
    launcher.installed = c.installed;
    launcher.starts = c.starts;
    const std::vector<TableRowText> rows = GetRowTexts(table, {});
    TransferToSpreadsheet(prompts, rows, launcher);
    ASSERT_EQ(prompts.shown.size(), 2u) << c.what;
    EXPECT_EQ(prompts.shown[0].text, QString::fromUtf8(c.text));
    EXPECT_EQ(prompts.shown[0].caption, "Ошибка запуска MS Exel");
    EXPECT_EQ(prompts.shown[0].icon, Prompts::Icon::Stop);
    EXPECT_EQ(prompts.shown[1].text, "Сохранить таблицу в файл .xlsx?");
    EXPECT_EQ(prompts.shown[1].buttons, Prompts::Buttons::YesNo);
    EXPECT_TRUE(QDir(folder()).entryList(QDir::Files).isEmpty()) << c.what;

    // Saved instead: the same workbook, in the file the user named, and nothing else left.
    QTemporaryDir saved;
    const QString path = saved.filePath("rows.xlsx");
    prompts.shown.clear();
    prompts.answers = {Prompts::Answer::Ok, Prompts::Answer::Yes};
    prompts.paths = {path};
    TransferToSpreadsheet(prompts, rows, launcher);
    EXPECT_EQ(prompts.fileRequests.back().defaultSuffix, "xlsx");
    EXPECT_EQ(prompts.texts().last(), "Данные успешно записаны в файл.");
    expectCellsOf(ReadWorkbook(path), rows);
    EXPECT_EQ(QDir(saved.path()).entryList(QDir::Files), QStringList{"rows.xlsx"});

    // A folder that is not there: reported, nothing written.
    prompts.shown.clear();
    prompts.answers = {Prompts::Answer::Ok, Prompts::Answer::Yes};
    prompts.paths = {saved.filePath("missing/rows.xlsx")};
    TransferToSpreadsheet(prompts, rows, launcher);
    EXPECT_EQ(prompts.texts().last(), "Ошибка записи данных в файл.");
}

TEST_F(Transfer, WorkbooksOlderThanAWeekLeaveTheCacheFolder)
{
    ASSERT_TRUE(QDir().mkpath(folder()));
    const auto workbookAged = [this](const QString &name, int days) {
        QFile file(QDir(folder()).filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        EXPECT_TRUE(file.setFileTime(QDateTime::currentDateTime().addDays(-days),
                                     QFileDevice::FileModificationTime));
    };
    workbookAged("ORMA-old111.xlsx", 8);
    workbookAged("ORMA-new111.xlsx", 6);
    workbookAged("other.xlsx", 30);
    TransferToSpreadsheet(prompts, GetRowTexts(table, {}), launcher);
    const QStringList left = QDir(folder()).entryList(QDir::Files);
    EXPECT_FALSE(left.contains("ORMA-old111.xlsx"));
    EXPECT_TRUE(left.contains("ORMA-new111.xlsx"));
    EXPECT_TRUE(left.contains("other.xlsx"));
    EXPECT_EQ(left.size(), 3);
}

TEST_F(Transfer, AFailingStepIsReportedAndAbandonsOnlyTheTransfer)
{
    QFile blocker(cache.filePath("blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    {
        const ScopedEnvironment unusable("XDG_CACHE_HOME", blocker.fileName());
        TransferToSpreadsheet(prompts, GetRowTexts(table, {}), launcher);
    }
    EXPECT_TRUE(launcher.opened.isEmpty());
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].caption, "AutoWrap()");
    EXPECT_EQ(prompts.shown[0].icon, Prompts::Icon::Stop);
    EXPECT_TRUE(prompts.shown[0].text.startsWith("QDir::mkpath(\"" + blocker.fileName()));

    // The next transfer goes through.
    TransferToSpreadsheet(prompts, GetRowTexts(table, {}), launcher);
    EXPECT_EQ(launcher.opened.size(), 1);
}

TEST_F(Transfer, AWorkbookThatCannotBeWrittenIsReported)
{
    const QString path = cache.filePath("no/such/folder/book.xlsx");
    const QString error = WriteWorkbook(path, GetRowTexts(table, {}));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(Transfer, ASavedWorkbookHasTheRightsOfEverySaveAndMoreRowsThanASheetAreRefusedFirst)
{
    const mode_t umaskBefore = umask(022);
    QTemporaryDir saved;
    QSaveFile other(saved.filePath("other.csv"));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly) && other.write("x") == 1 && other.commit());
    const QString path = saved.filePath("rows.xlsx");
    EXPECT_EQ(WriteWorkbookFile(path, GetRowTexts(table, {}), InPlaceWrites::Refused), "");
    EXPECT_EQ(QFile(path).permissions(), QFile(other.fileName()).permissions());
    EXPECT_TRUE(QFile(path).permissions() & QFileDevice::ReadGroup);
    umask(umaskBefore);

    // A row more than a worksheet holds: refused before the workbook is begun.
    const std::vector<TableRowText> rows(MaxWorkbookRows + 1, GetRowTexts(table, {})[0]);
    const QString big = saved.filePath("big.xlsx");
    EXPECT_FALSE(WriteWorkbookFile(big, rows, InPlaceWrites::Refused).isEmpty());
    EXPECT_FALSE(QFile::exists(big));
    prompts.shown.clear();
    TransferToSpreadsheet(prompts, rows, launcher);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_TRUE(prompts.shown[0].text.startsWith("Таблица не переносится"));
    EXPECT_TRUE(launcher.opened.isEmpty());
}

struct ExecCase
{
    const char *what;
    const char *exec;
    QStringList command;
};

// Names the case in the test list.
void PrintTo(const ExecCase &c, std::ostream *os)
{
    *os << c.what;
}

class DesktopExec : public testing::TestWithParam<ExecCase>
{
};

const ExecCase ExecCases[] = {
    {"a file code takes the path", "localc %U", {"localc", "/b.xlsx"}},
    {"no file code: the path goes last", "soffice --calc", {"soffice", "--calc", "/b.xlsx"}},
    {"quoted arguments keep blanks and escapes",
     R"("/opt/My App/calc" "say \"hi\"" %f)",
     {"/opt/My App/calc", "say \"hi\"", "/b.xlsx"}},
    {"other codes are dropped, %% is a percent sign",
     "app %i --zoom=100%% %c %k %f",
     {"app", "--zoom=100%", "/b.xlsx"}},
    {"an empty value gives no command", "", {}},
};

INSTANTIATE_TEST_SUITE_P(Cases, DesktopExec, testing::ValuesIn(ExecCases));

TEST_P(DesktopExec, GivesTheCommandLine)
{
    EXPECT_EQ(DesktopExecCommand(QString::fromUtf8(GetParam().exec), "/b.xlsx"), GetParam().command)
        << GetParam().what;
}

// The real launcher against freedesktop.org settings of our own making.
class RealLauncher : public testing::Test
{
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable(QStringLiteral("xdg-mime")).isEmpty())
            GTEST_SKIP() << "xdg-mime is not installed";
        ASSERT_TRUE(root.isValid());
        ASSERT_TRUE(QDir(root.path()).mkpath("data/applications"));
    }

    void registerApplication(const QByteArray &exec)
    {
        QFile list(root.filePath("config/mimeapps.list"));
        QDir(root.path()).mkpath("config");
        ASSERT_TRUE(list.open(QIODevice::WriteOnly));
        list.write("[Default Applications]\napplication/vnd.openxmlformats-officedocument."
                   "spreadsheetml.sheet=calc.desktop\n");
        QFile entry(root.filePath("data/applications/calc.desktop"));
        ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
        entry.write("[Desktop Entry]\nType=Application\nName=Calc\nExec=" + exec + "\n");
    }

    QTemporaryDir root;
    ScopedEnvironment desktop{"XDG_CURRENT_DESKTOP", "X-Generic"};
    ScopedEnvironment configHome{"XDG_CONFIG_HOME", root.filePath("config")};
    ScopedEnvironment configDirs{"XDG_CONFIG_DIRS", root.filePath("config")};
    ScopedEnvironment dataHome{"XDG_DATA_HOME", root.filePath("data")};
    ScopedEnvironment dataDirs{"XDG_DATA_DIRS", root.filePath("data")};
    XdgSpreadsheetLauncher launcher;
};

TEST_F(RealLauncher, FindsNoApplicationWhenNoneIsRegistered)
{
    EXPECT_FALSE(launcher.isInstalled());
}

TEST_F(RealLauncher, ReportsAnApplicationThatCannotStart)
{
    // Installed as far as the settings tell, but the system cannot run it.
    QFile program(root.filePath("calc"));
    ASSERT_TRUE(program.open(QIODevice::WriteOnly));
    program.write("#!/no/such/interpreter\n");
    program.setPermissions(program.permissions() | QFileDevice::ExeOwner);
    program.close();
    registerApplication(program.fileName().toUtf8() + " %f");
    EXPECT_TRUE(launcher.isInstalled());
    EXPECT_FALSE(launcher.open(root.filePath("book.xlsx")));
}

TEST_F(RealLauncher, StartsTheRegisteredApplicationOnTheWorkbook)
{
    registerApplication("/bin/sh -c \"cp \\\\\"\\\\$0\\\\\" " + root.filePath("seen").toUtf8() +
                        "\" %f");
    QFile book(root.filePath("my book.xlsx"));
    ASSERT_TRUE(book.open(QIODevice::WriteOnly));
    book.write("workbook");
    book.close();
    ASSERT_TRUE(launcher.open(book.fileName()));
    // The application runs on its own; give it a moment to do its copy.
    for (int wait = 0; wait < 100 && !QFile::exists(root.filePath("seen")); ++wait)
        QThread::msleep(50);
    QFile seen(root.filePath("seen"));
    ASSERT_TRUE(seen.open(QIODevice::ReadOnly));
    EXPECT_EQ(seen.readAll(), "workbook");
}

} // namespace
