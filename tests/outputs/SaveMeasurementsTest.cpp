#include "outputs/SaveMeasurements.h"
#include "acquisition/MeasurementTableModel.h"

#include "tests/support/ScriptedPrompts.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

struct LineCase
{
    const char *what;
    unsigned lineNumber;
    RowCells cells;
    const char *line;
};

// Names the case in the test list.
void PrintTo(const LineCase &c, std::ostream *os)
{
    *os << c.what;
}

class TextFormLineBytes : public testing::TestWithParam<LineCase>
{
};

const LineCase LineCases[] = {
    {"the first line is numbered 0, whatever the table says",
     0,
     {"17", "12:34:56.450", "856", "0.950", "Измерение"},
     "   0 12:34:56:45 E=0.950 T= 856 TRC\r\n"},
    {"a five-digit counter is written whole",
     10000,
     {"1", "23:59:59.990", "1234", "1.000", "Сбор данных"},
     "10000 23:59:59:99 E=1.000 T=1234 SB\r\n"},
    {"an empty mode cell leaves the bare line end",
     3,
     {"1", "00:00:00.050", "-40", "0.950", ""},
     "   3 00:00:00:05 E=0.950 T= -40 \r\n"},
    {"a mode text that names no mode is written unchanged",
     1,
     {"1", "00:00:01.000", "12345", "0.95", "измерение"},
     "   1 00:00:01:00 E=0.95 T=12345 измерение\r\n"},
    {"the temperature is read as a leading integer",
     2,
     {"1", "01:02:03.040", " +85°", "0.950", "Размах"},
     "   2 01:02:03:04 E=0.950 T=  85 DIF\r\n"},
    {"a short time has no fraction to change",
     2,
     {"1", "01:02", "x", "0.950", "Минимум"},
     "   2 01:02 E=0.950 T=   0 MIN\r\n"},
};

INSTANTIATE_TEST_SUITE_P(Cases, TextFormLineBytes, testing::ValuesIn(LineCases));

TEST_P(TextFormLineBytes, AreTheInstrumentsNumberedLine)
{
    const LineCase &c = GetParam();
    EXPECT_EQ(TextFormLine(c.lineNumber, c.cells), QByteArray(c.line)) << c.what;
}

// Makes every write that would grow a file beyond `limit` bytes fail, as a full disk does.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t limit)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_savedHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = m_saved;
        limited.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_savedHandler);
    }

private:
    rlimit m_saved{};
    void (*m_savedHandler)(int);
};

class SaveFlow : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(directory.isValid());
        table.appendRow({5, 45296450, 856, 950, 0}, 0);
        table.appendRow({6, 45297000, 901, 950, 1}, 1);
        table.appendRow({7, 45298000, 1234, 1000, NoMeasureMode}, 2);
    }

    QString path(const char *name) const { return directory.filePath(QString::fromUtf8(name)); }

    void save(const QString &chosen, const std::vector<int> &selection,
              std::deque<Prompts::Answer> answers = {})
    {
        prompts.paths = {chosen};
        prompts.answers = std::move(answers);
        SaveMeasurements(prompts, table, selection, received);
    }

    static QByteArray contents(const QString &file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    void expectShown(const char *text, const char *caption, Prompts::Icon icon) const
    {
        ASSERT_FALSE(prompts.shown.empty());
        EXPECT_EQ(prompts.shown.back().text, QString::fromUtf8(text));
        EXPECT_EQ(prompts.shown.back().caption, QString::fromUtf8(caption));
        EXPECT_EQ(prompts.shown.back().icon, icon);
    }

    QTemporaryDir directory;
    MeasurementTableModel table;
    ScriptedPrompts prompts;
    // A last line cut short stays as received.
    QByteArray received{"   1 12:34:56:45 E=0.950 T= 856 TRC\r\n   2 12:34:57:00 E=0.95"};
};

TEST_F(SaveFlow, AnEmptyReceiveBufferDoesNothing)
{
    prompts.paths = {path("data.orm")};
    SaveMeasurements(prompts, table, {0}, {});
    EXPECT_TRUE(prompts.fileRequests.empty());
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(SaveFlow, OffersDataFilesFirstAndCancellingDoesNothing)
{
    SaveMeasurements(prompts, table, {0}, received);
    ASSERT_EQ(prompts.fileRequests.size(), 1u);
    const Prompts::FileRequest &request = prompts.fileRequests.front();
    EXPECT_EQ(request.filter, "Файлы данных ORMA (*.orm);;Текстовые файлы (*.txt);;Все файлы (*)");
    EXPECT_EQ(request.defaultSuffix, "orm");
    EXPECT_EQ(request.defaultName, "data");
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_TRUE(QDir(directory.path()).isEmpty());
}

TEST_F(SaveFlow, ADeviceOrAPipeIsNeverWrittenFromTheWindow)
{
    const QString pipe = path("pipe.orm");
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    for (const QString &target : {QStringLiteral("/dev/null"), pipe}) {
        prompts.shown.clear();
        save(target, {});
        ASSERT_EQ(prompts.shown.size(), 1u);
        EXPECT_TRUE(prompts.shown[0].text.startsWith("«" + target + "» не обычный файл"));
        EXPECT_EQ(prompts.shown[0].caption, "Ошибка");
    }
    struct stat kept = {};
    EXPECT_TRUE(stat("/dev/null", &kept) == 0 && S_ISCHR(kept.st_mode));
    EXPECT_TRUE(stat(QFile::encodeName(pipe).constData(), &kept) == 0 && S_ISFIFO(kept.st_mode));
}

struct FormCase
{
    const char *what;
    const char *name;
    std::vector<int> selection;
    std::deque<Prompts::Answer> answers;
    bool asked;
    bool textForm;
};

// Names the case in the test list.
void PrintTo(const FormCase &c, std::ostream *os)
{
    *os << c.what;
}

class SaveForm : public SaveFlow, public testing::WithParamInterface<FormCase>
{
};

const FormCase FormCases[] = {
    {"no selection: no question, the data file", "a.txt", {}, {}, false, false},
    {"No writes the whole data file", "b.orm", {0, 2}, {Prompts::Answer::No}, true, false},
    {"Yes writes the selection as text, whatever the name",
     "c.orm",
     {2, 0},
     {Prompts::Answer::Yes},
     true,
     true},
};

INSTANTIATE_TEST_SUITE_P(Cases, SaveForm, testing::ValuesIn(FormCases));

TEST_P(SaveForm, TheAnswerDecidesTheForm)
{
    const FormCase &c = GetParam();
    save(path(c.name), c.selection, c.answers);

    ASSERT_EQ(prompts.shown.size(), c.asked ? 2u : 1u) << c.what;
    if (c.asked) {
        EXPECT_EQ(prompts.shown[0].text, "Сохранять только выделенные данные?");
        EXPECT_EQ(prompts.shown[0].caption, "Сохранение");
        EXPECT_EQ(prompts.shown[0].icon, Prompts::Icon::Question);
        EXPECT_EQ(prompts.shown[0].buttons, Prompts::Buttons::YesNo);
    }
    expectShown("Данные успешно записаны в файл.", "Сохранение данных", Prompts::Icon::Information);
    const QByteArray expected = c.textForm ? QByteArray("   0 12:34:56:45 E=0.950 T= 856 TRC\r\n"
                                                        "   1 12:34:58:00 E=1.000 T=1234 \r\n")
                                           : received;
    EXPECT_EQ(contents(path(c.name)), expected) << c.what;
    EXPECT_EQ(table.rowCount(), 3);
}

TEST_F(SaveFlow, ReplacesAnExistingFileWhenTheSaveSucceeds)
{
    QFile old(path("data.orm"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(500, 'x'));
    old.close();
    save(path("data.orm"), {});
    EXPECT_EQ(contents(path("data.orm")), received);
}

TEST_F(SaveFlow, AFileThatCannotBeCreatedIsReported)
{
    save(path("missing/data.orm"), {});
    ASSERT_EQ(prompts.shown.size(), 1u);
    expectShown("Ошибка открытия файла", "Ошибка", Prompts::Icon::Exclamation);
}

TEST_F(SaveFlow, AFailedWriteIsReportedAndLeavesTheFileThatWasThere)
{
    const QByteArray previous("an earlier save\r\n");
    QFile old(path("data.orm"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(previous);
    old.close();
    received = QByteArray(64 * 1024, 'x');
    {
        const FileSizeLimit full(1024);
        save(path("data.orm"), {});
    }
    ASSERT_EQ(prompts.shown.size(), 1u);
    expectShown("Ошибка записи данных в файл.", "Ошибка", Prompts::Icon::Exclamation);
    EXPECT_EQ(contents(path("data.orm")), previous);
    EXPECT_EQ(QDir(directory.path()).entryList(QDir::Files), QStringList{"data.orm"});
}

} // namespace
