#include "outputs/TableExport.h"
#include "acquisition/MeasurementTableModel.h"
#include "outputs/ComparedRunRows.h"

#include "tests/support/ScriptedPrompts.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class TableExportTest : public testing::Test
{
protected:
    void SetUp() override
    {
        table.appendRow({5, 45296450, 856, 950, 0}, 0);
        table.appendRow({6, 45297000, -40, 1000, NoMeasureMode}, 1);
    }

    QByteArray fileBytes(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    MeasurementTableModel table;
    ScriptedPrompts prompts;
    QTemporaryDir dir;
};

TEST_F(TableExportTest, ClipboardTextHasTitlesThenTabbedRowsWithTheDesktopsDecimalPoint)
{
    EXPECT_EQ(RowsAsTabText(table, {0, 1}, QLatin1Char(',')),
              "№\tВремя\tT °C\tЕ\tРежим\n"
              "5\t12:34:56.450\t856\t0,950\tИзмерение\n"
              "6\t12:34:57.000\t-40\t1,000\t\n");
    EXPECT_EQ(RowsAsTabText(table, {1}, QLatin1Char('.')).split('\n')[1],
              "6\t12:34:57.000\t-40\t1.000\t");
}

TEST_F(TableExportTest, CsvIsUtf8WithMarkSemicolonsDecimalCommaAndQuotedFields)
{
    const QString path = dir.filePath(QStringLiteral("rows.csv"));
    ASSERT_TRUE(WriteCsvFile(path, table, {0, 1}, InPlaceWrites::Refused).isEmpty());
    EXPECT_EQ(fileBytes(path),
              QByteArray("\xEF\xBB\xBF") + QStringLiteral("№;Время;T °C;Е;Режим\r\n"
                                                          "5;12:34:56.450;856;0,950;Измерение\r\n"
                                                          "6;12:34:57.000;-40;1,000;\r\n")
                                               .toUtf8());

    // No reading holds a separator, but a field that did would stay one field.
    const std::vector<std::pair<QByteArray, QByteArray>> fields{
        {"a;b", "\"a;b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\r\nlines", "\"two\r\nlines\""}};
    for (const auto &[field, made] : fields) {
        QByteArray line = "1;" + field;
        MakeCsvField(line, 2);
        EXPECT_EQ(line, "1;" + made);
    }
}

TEST_F(TableExportTest, ExportWritesTheSelectionOrEverythingAndLeavesNoPartialFile)
{
    const QString path = dir.filePath(QStringLiteral("rows.csv"));
    prompts.paths = {path};
    ExportCsv(prompts, table, {1});
    EXPECT_EQ(fileBytes(path).count('\n'), 2);
    EXPECT_EQ(prompts.texts(), QStringList{"Данные успешно записаны в файл."});
    prompts.shown.clear();

    prompts.paths = {path};
    ExportCsv(prompts, table, {});
    EXPECT_EQ(fileBytes(path).count('\n'), 3);
    prompts.shown.clear();

    // A folder that is not there: the user is told, nothing is written.
    const QString nowhere = dir.filePath(QStringLiteral("missing/rows.csv"));
    prompts.paths = {nowhere};
    ExportCsv(prompts, table, {});
    EXPECT_EQ(prompts.texts(), QStringList{"Ошибка записи данных в файл."});
    EXPECT_FALSE(QFile::exists(nowhere));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"rows.csv"});

    // An empty table asks nothing.
    MeasurementTableModel empty;
    prompts.paths = {path};
    ExportCsv(prompts, empty, {});
    EXPECT_EQ(prompts.paths.size(), 1u);
}

// Runs compared with the graph: each row names its file, the table's by its own file where it
// knows one and by the name given where not; a run's rows keep what its table showed.
TEST_F(TableExportTest, NamedCsvEndsEachRowWithItsFile)
{
    MeasurementTableModel joined;
    joined.appendRow({1, 86'399'000, 700, 950, 0}, 0);
    joined.appendRow({2, 1'000, 710, 950, 0}, 1);
    joined.startFile(0, QStringLiteral("kiln-2026-12-08.orm"));
    joined.startFile(1, QStringLiteral("kiln;2026-12-09.orm"));
    const ComparedRunRows run(table, QStringLiteral("run.orm"));
    EXPECT_EQ(run.recordIndexAt(1), 1);
    EXPECT_EQ(run.recordIndexAt(2), -1);
    const std::vector<int> tableRows{1};
    const std::vector<int> joinedRows{0, 1};
    const std::vector<int> runRows{1, 0};

    const QString path = dir.filePath(QStringLiteral("named.csv"));
    ASSERT_TRUE(WriteNamedCsvFile(path,
                                  {{table, tableRows, QStringLiteral("Таблица")},
                                   {joined, joinedRows, QStringLiteral("Таблица")},
                                   {run, runRows, {}}},
                                  InPlaceWrites::Refused)
                    .isEmpty());
    EXPECT_EQ(fileBytes(path),
              QByteArray("\xEF\xBB\xBF") +
                  QStringLiteral("№;Время;T °C;Е;Режим;Файл\r\n"
                                 "6;12:34:57.000;-40;1,000;;Таблица\r\n"
                                 "1;23:59:59.000;700;0,950;Измерение;kiln-2026-12-08.orm\r\n"
                                 "2;00:00:01.000;710;0,950;Измерение;\"kiln;2026-12-09.orm\"\r\n"
                                 "6;12:34:57.000;-40;1,000;;run.orm\r\n"
                                 "5;12:34:56.450;856;0,950;Измерение;run.orm\r\n")
                      .toUtf8());
}

} // namespace
