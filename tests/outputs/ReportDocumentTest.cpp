#include "outputs/ReportDocument.h"
#include "plot/NoteFlags.h"

#include "companions/FormatOutTime.h"
#include "plot/RecordingCanvas.h"
#include "tests/support/FakePrintDevice.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

RowCells cells(int number, const QString &emissivity = QStringLiteral("0.950"),
               const QString &mode = QStringLiteral("Обычный"))
{
    return {QString::number(number), TimeText(36'000'000 + number * 1000),
            QString::number(500 + number), emissivity, mode};
}

QStringList allTexts(const FakePaper &paper)
{
    QStringList texts;
    for (const RecordingCanvas &page : paper.pages)
        texts << page.texts();
    return texts;
}

TEST(ReportReadings, ALongRecordingKeepsEveryStepthRowAndSaysWhichStep)
{
    ReportReadings readings(4);
    for (int number = 0; number < 10; ++number)
        readings.add(cells(number, number == 3 ? QStringLiteral("0.900") : QStringLiteral("0.950"),
                           number == 5 ? QStringLiteral("Максимум") : QStringLiteral("Обычный")));
    // 0..4 overflow the four rows: every 2nd stays; 0, 2, 4, 6, 8 overflow again: every 4th.
    EXPECT_EQ(readings.count(), 10u);
    EXPECT_EQ(readings.step(), 4u);
    ASSERT_EQ(readings.rows().size(), 3u);
    EXPECT_STREQ(readings.rows()[0].number, "0");
    EXPECT_STREQ(readings.rows()[1].number, "4");
    EXPECT_STREQ(readings.rows()[2].number, "8");
    // The title block's facts count every reading, kept in the table or not.
    EXPECT_EQ(readings.emissivityText(), "0.900...0.950");
    EXPECT_EQ(readings.modes(), (QStringList{"Обычный", "Максимум"}));

    // The parts of a recording (its days) start where their first kept row is; a part left
    // without a kept row goes.
    ReportReadings days(4);
    const QStringList parts{"07.12", "07.12", "07.12", "08.12", "09.12",
                            "09.12", "09.12", "09.12", "10.12", "10.12"};
    for (int number = 0; number < 10; ++number)
        days.add(cells(number), parts[number]);
    // Rows 0, 4 and 8 stay: of 07.12, 09.12 and 10.12; 08.12 had row 3 only.
    EXPECT_EQ(days.sections(),
              (std::vector<ReportReadings::Section>{{0, "07.12"}, {1, "09.12"}, {2, "10.12"}}));

    ReportReadings few;
    for (int number = 0; number < 3; ++number)
        few.add(cells(number));
    EXPECT_EQ(few.step(), 1u);
    EXPECT_EQ(few.rows().size(), 3u);
    EXPECT_EQ(few.emissivityText(), "0.950");
}

// A report of 300 readings with notes and thresholds, laid out on A4: every page numbered of
// the right total with the version at its foot, the title block, the figures, the notes
// numbered in time order, and every row once, in order.
TEST(DrawReport, EveryPartOnNumberedPagesAndEveryRowOnce)
{
    ReportContent content;
    content.title = QStringLiteral("Печь 2, садка 14");
    content.sources = {QStringLiteral("run.orm")};
    content.firstDay = QDate(2026, 3, 14);
    content.windowStart = 36'000'000;
    content.windowEnd = 36'000'000 + 299'000;
    content.thresholds = {.upper = 700, .lower = 520};
    content.statistics.count = 300;
    content.statistics.withinLimits = 180;
    content.notes = {{36'010'000, QStringLiteral("дверь печи открыта")},
                     {36'200'000, QStringLiteral("образец 3")}};
    for (int number = 0; number < 300; ++number)
        content.readings.add(cells(number));
    content.graph.timeWindowStart = content.windowStart;
    content.graph.timeWindowEnd = content.windowEnd;
    content.graph.temperatureWindowEnd = 900;

    FakePaper paper;
    FakePrintDevice device(paper);
    ASSERT_TRUE(DrawReport(device, content));
    EXPECT_EQ(paper.ended, 1);
    EXPECT_EQ(paper.aborted, 0);
    const int pages = paper.pagesStarted;
    ASSERT_GE(pages, 4);
    EXPECT_EQ(paper.pagesEnded, pages);
    for (int page = 0; page < pages; ++page) {
        const QStringList texts = paper.pages[static_cast<std::size_t>(page)].texts();
        EXPECT_TRUE(texts.contains(QStringLiteral("стр. %1 из %2").arg(page + 1).arg(pages)))
            << "page " << page + 1;
        EXPECT_TRUE(texts.filter(QStringLiteral("ORMA")).size() >= 1) << "page " << page + 1;
    }

    const QStringList texts = allTexts(paper);
    for (const QString &expected :
         {QStringLiteral("Печь 2, садка 14"), QStringLiteral("Источник: run.orm"),
          QStringLiteral("Дата измерений: 14.03.2026"),
          QStringLiteral("Окно времени: 10:00:00.000 - 10:04:59.000"),
          QStringLiteral("Степень черноты: 0.950"), QStringLiteral("Режимы: Обычный"),
          QStringLiteral("Пороги: верхний 700 °C, нижний 520 °C"), QStringLiteral("Измерений: 300"),
          QStringLiteral("В пределах порогов: 60.0 % (180 из 300)"),
          QStringLiteral("1. 10:00:10.000 дверь печи открыта"),
          QStringLiteral("2. 10:03:20.000 образец 3"), QStringLiteral("Все измерения окна: 300")})
        EXPECT_TRUE(texts.contains(expected)) << expected.toStdString();
    // The table's cells, five a row: every row once, in order.
    QStringList numbers;
    for (const RecordingCanvas &page : paper.pages) {
        std::size_t cell = 0;
        for (const CanvasCall &call : page.callsOf(CanvasCall::Kind::DrawText)) {
            if (call.alignment == (Qt::AlignLeft | Qt::AlignVCenter) && cell++ % 5 == 0)
                numbers << call.text;
        }
    }
    QStringList every;
    for (int number = 0; number < 300; ++number)
        every << QString::number(number);
    EXPECT_EQ(numbers, every);
}

TEST(DrawReport, ALongRecordingsTableSaysWhichRowsItHolds)
{
    ReportContent content;
    content.readings = ReportReadings(100);
    for (int number = 0; number < 1000; ++number)
        content.readings.add(cells(number));
    FakePaper paper;
    FakePrintDevice device(paper, {216, 279});
    ASSERT_TRUE(DrawReport(device, content));
    EXPECT_TRUE(
        allTexts(paper).contains(QStringLiteral("Каждое 16-е измерение из 1000: 63 строки")))
        << allTexts(paper).filter(QStringLiteral("измерени")).join(QLatin1Char('|')).toStdString();
}

TEST(DrawReport, APageThatCannotStartDropsTheDocument)
{
    ReportContent content;
    for (int number = 0; number < 300; ++number)
        content.readings.add(cells(number));
    FakePaper paper;
    paper.failingPage = 2;
    FakePrintDevice device(paper);
    EXPECT_FALSE(DrawReport(device, content));
    EXPECT_EQ(paper.aborted, 1);
    EXPECT_EQ(paper.ended, 0);
    // Nothing more is asked of the paper once a page would not start.
    EXPECT_EQ(paper.pagesStarted, 2);
    EXPECT_EQ(paper.pagesEnded, 1);
}

// The notes of a timeline's files, each moved by its file's offset; a sidecar that cannot be
// read is named and costs only its own notes. A whole PDF lands in the file.
TEST(ReportFiles, NotesOfEveryFileOnTheTimelineAndAWholePdf)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString first = folder.filePath(QStringLiteral("a.orm"));
    const QString second = folder.filePath(QStringLiteral("b.orm"));
    const QString third = folder.filePath(QStringLiteral("c.orm"));
    ASSERT_TRUE(WriteNotesFile(NotesFilePath(first), {{1000, QStringLiteral("пуск")}}).isEmpty());
    ASSERT_TRUE(
        WriteNotesFile(NotesFilePath(second), {{500, QStringLiteral("образец 3")}}).isEmpty());
    ASSERT_TRUE(QDir().mkdir(NotesFilePath(third)));
    QStringList problems;
    const ReadingNotes notes = TimelineNotes(
        {{first, {}, 0}, {second, {}, 86'400'000}, {third, {}, 2 * 86'400'000}}, problems);
    EXPECT_EQ(notes, (ReadingNotes{{1000, QStringLiteral("пуск")},
                                   {86'400'500, QStringLiteral("образец 3")}}));
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems[0].contains(NotesFilePath(third)));
    EXPECT_EQ(NotesOfWindow(notes, 0, 86'400'000), (ReadingNotes{notes[0]}));

    ReportContent content;
    content.readings.add(cells(1));
    const QString pdf = folder.filePath(QStringLiteral("report.pdf"));
    ASSERT_EQ(WriteReportFile(pdf, InPlaceWrites::Refused, content, PaperSize::Letter), QString());
    QFile written(pdf);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray bytes = written.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_TRUE(bytes.trimmed().endsWith("%%EOF"));
    // Nothing is written where a report cannot go.
    EXPECT_FALSE(
        WriteReportFile(folder.path(), InPlaceWrites::Refused, content, PaperSize::A4).isEmpty());
}

} // namespace
