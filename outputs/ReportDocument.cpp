#include "outputs/ReportDocument.h"

#include "acquisition/ReceivedRows.h"
#include "acquisition/RecordingNotes.h"
#include "companions/FormatOutTime.h"
#include "companions/ProgramVersion.h"
#include "companions/Prompts.h"
#include "companions/RussianCount.h"
#include "companions/TermDataFile.h"
#include "outputs/CTablePrintJob.h"
#include "outputs/SaveMeasurements.h"
#include "plot/NoteFlags.h"
#include "plot/PrintDevice.h"
#include "plot/ShiftedCanvas.h"

#include <QFileInfo>

#include <algorithm>
#include <optional>

namespace {

// Page geometry in 0.1 mm, y upward from the sheet's top-left corner.
constexpr int LeftMargin = 200;
constexpr int RightMargin = 150;
constexpr int TopMargin = 150;
constexpr int BottomMargin = 120;
// Room kept above the bottom margin for the footer line.
constexpr int FooterRoom = 80;
constexpr int TitleStep = 90;
constexpr int HeadingSpace = 50;
constexpr int HeadingStep = 65;
constexpr int LineStep = 45;
constexpr int NoteIndent = 60;
// The graph's share of the first page; its own page layout keeps a margin of 10 mm inside it.
constexpr int GraphHeight = 1150;

const CanvasFont TitleFont{QStringLiteral("Arial Cyr"), -60, 700};
const CanvasFont HeadingFont{QStringLiteral("Arial Cyr"), -40, 700};
const CanvasFont TextFont{QStringLiteral("Arial Cyr"), -32};
const CanvasFont FooterFont{QStringLiteral("Arial Cyr"), -26};

QString dateText(const QDate &day)
{
    return day.toString(QStringLiteral("dd.MM.yyyy"));
}

// A time of the recording: of several days with its date.
QString momentText(std::int32_t time, const QDate &firstDay, bool dated)
{
    if (!dated || !firstDay.isValid())
        return TimeText(time);
    return DatedTimeText(firstDay, time, QStringLiteral("dd.MM.yyyy"));
}

// One report being laid out: first only measured, to count its pages, then drawn.
class ReportLayout
{
public:
    ReportLayout(PrintDevice &device, const ReportContent &content)
        : m_device(device), m_content(content), m_size(device.printableSize() * 10)
    {}

    // The pages the report fills.
    int measure()
    {
        m_drawing = false;
        layOut();
        return m_page;
    }

    bool draw(int pages)
    {
        m_drawing = true;
        m_pages = pages;
        return layOut();
    }

private:
    bool layOut()
    {
        m_page = 0;
        m_failed = false;
        if (!newPage())
            return false;
        titleBlock();
        graph();
        statistics();
        notes();
        table();
        endPage();
        return !m_failed;
    }

    Canvas &canvas() { return m_device.canvas(); }
    int right() const { return m_size.width() - RightMargin; }
    int contentBottom() const { return -(m_size.height() - BottomMargin - FooterRoom); }

    // False, once a page could not be started: the document is given up.
    bool newPage()
    {
        if (m_failed)
            return false;
        if (m_page > 0)
            endPage();
        ++m_page;
        m_y = -TopMargin;
        if (m_drawing && !m_device.startPage()) {
            m_failed = true;
            return false;
        }
        return true;
    }

    void endPage()
    {
        if (!m_drawing || m_failed)
            return;
        const CanvasFont previous = canvas().selectFont(FooterFont);
        const int top = -(m_size.height() - BottomMargin) + LineStep;
        const QString version = FormatVersion(BuildVersion());
        canvas().textOut({LeftMargin, top}, QStringLiteral("ORMA %1").arg(version).trimmed());
        const QString number = QStringLiteral("стр. %1 из %2").arg(m_page).arg(m_pages);
        canvas().drawText(cornerRect(LeftMargin, top, right(), top - LineStep), number,
                          Qt::AlignRight | Qt::AlignTop);
        canvas().selectFont(previous);
        m_device.endPage();
    }

    // Makes room for height below the cursor, on a new page when this one has none left.
    bool room(int height)
    {
        if (m_y - height >= contentBottom() || m_y == -TopMargin)
            return true;
        return newPage();
    }

    void text(const QString &line, const CanvasFont &font, int step, int indent = 0)
    {
        if (!room(step))
            return;
        if (m_drawing) {
            const CanvasFont previous = canvas().selectFont(font);
            canvas().textOut({LeftMargin + indent, m_y}, line);
            canvas().selectFont(previous);
        }
        m_y -= step;
    }

    void heading(const QString &line)
    {
        if (m_y != -TopMargin)
            m_y -= HeadingSpace;
        // A heading stays with the first line under it.
        room(HeadingStep + LineStep);
        text(line, HeadingFont, HeadingStep);
    }

    // A text of the body font, broken between words into lines as wide as the page allows;
    // the lines after the first are indented by indent.
    void wrapped(const QString &line, int indent = 0)
    {
        const CanvasFont previous = canvas().selectFont(TextFont);
        const int width = right() - LeftMargin;
        QStringList lines;
        QString current;
        for (const QString &word : line.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QString joined = current.isEmpty() ? word : current + QLatin1Char(' ') + word;
            const int lineIndent = lines.isEmpty() ? 0 : indent;
            if (current.isEmpty() || canvas().textExtent(joined).width() + lineIndent <= width) {
                current = joined;
                continue;
            }
            lines << current;
            current = word;
        }
        lines << current;
        canvas().selectFont(previous);
        for (qsizetype i = 0; i < lines.size(); ++i)
            text(lines[i], TextFont, LineStep, i == 0 ? 0 : indent);
    }

    // Whether the times run past the first day, so that each is shown with its date.
    bool manyDays() const
    {
        return m_content.firstDay.isValid() && m_content.windowEnd >= MillisecondsPerDay;
    }

    void titleBlock()
    {
        const ReportContent &c = m_content;
        text(c.title.isEmpty() ? QStringLiteral("Отчет об измерениях") : c.title, TitleFont,
             TitleStep);
        if (!c.sources.isEmpty())
            wrapped(
                (c.sources.size() == 1 ? QStringLiteral("Источник: ") : QStringLiteral("Файлы: ")) +
                    c.sources.join(QStringLiteral(", ")),
                NoteIndent);
        if (c.firstDay.isValid()) {
            const QDate last = c.firstDay.addDays(c.windowEnd / MillisecondsPerDay);
            const QDate first = c.firstDay.addDays(c.windowStart / MillisecondsPerDay);
            wrapped(QStringLiteral("Дата измерений: ") + dateText(first) +
                    (last != first ? QStringLiteral(" - ") + dateText(last) : QString()));
        }
        const bool dated = manyDays();
        wrapped(QStringLiteral("Окно времени: %1 - %2")
                    .arg(momentText(c.windowStart, c.firstDay, dated),
                         momentText(c.windowEnd, c.firstDay, dated)));
        const QString emissivity = c.readings.emissivityText();
        if (!emissivity.isEmpty())
            wrapped(QStringLiteral("Степень черноты: ") + emissivity);
        if (!c.readings.modes().isEmpty())
            wrapped(QStringLiteral("Режимы: ") + c.readings.modes().join(QStringLiteral(", ")));
        QStringList limits;
        if (c.thresholds.upper)
            limits << QStringLiteral("верхний %1 °C").arg(*c.thresholds.upper);
        if (c.thresholds.lower)
            limits << QStringLiteral("нижний %1 °C").arg(*c.thresholds.lower);
        wrapped(limits.isEmpty() ? QStringLiteral("Пороги: не заданы")
                                 : QStringLiteral("Пороги: ") + limits.join(QStringLiteral(", ")));
        if (c.made.isValid())
            wrapped(QStringLiteral("Отчет составлен: ") +
                    c.made.toString(QStringLiteral("dd.MM.yyyy HH:mm")));
    }

    void graph()
    {
        m_y -= HeadingSpace;
        if (!room(GraphHeight))
            return;
        if (m_drawing) {
            GraphPrintContext page = m_content.graph;
            page.pageSize = QSize(m_size.width(), GraphHeight);
            page.thresholds = m_content.thresholds;
            // Numbered as in the report's own list of notes, which the graph does not repeat.
            page.notes = m_content.notes;
            page.listNotesUnderPlot = false;
            ShiftedCanvas area(canvas(), {0, m_y});
            DrawGraphPage(area, page);
        }
        m_y -= GraphHeight;
    }

    void statistics()
    {
        heading(QStringLiteral("Статистика"));
        std::vector<StatisticsFigure> figures = StatisticsFigures(
            m_content.statistics, m_content.thresholds, manyDays() ? m_content.firstDay : QDate());
        if (const std::optional<StatisticsFigure> within =
                WithinLimitsFigure(m_content.statistics, m_content.thresholds))
            figures.push_back(*within);
        for (const StatisticsFigure &figure : figures)
            wrapped(figure.label + QStringLiteral(": ") + figure.value, NoteIndent);
    }

    void notes()
    {
        heading(QStringLiteral("Заметки"));
        if (m_content.notes.empty())
            wrapped(QStringLiteral("Заметок нет"));
        const bool dated = manyDays();
        for (std::size_t i = 0; i < m_content.notes.size(); ++i) {
            const ReadingNote &note = m_content.notes[i];
            wrapped(QStringLiteral("%1. %2 %3")
                        .arg(i + 1)
                        .arg(momentText(note.time, m_content.firstDay, dated), note.text),
                    NoteIndent);
        }
    }

    void table()
    {
        const ReportReadings &readings = m_content.readings;
        heading(QStringLiteral("Таблица измерений"));
        if (readings.step() <= 1)
            wrapped(QStringLiteral("Все измерения окна: %1").arg(readings.count()));
        else
            wrapped(QStringLiteral("Каждое %1-е измерение из %2: %3")
                        .arg(readings.step())
                        .arg(readings.count())
                        .arg(RussianCount(static_cast<qint64>(readings.rows().size()),
                                          QStringLiteral("строка"), QStringLiteral("строки"),
                                          QStringLiteral("строк"))));
        const std::vector<TableRowText> &rows = readings.rows();
        // One part alone needs no heading of its own.
        const std::vector<ReportReadings::Section> sections =
            readings.sections().size() > 1 ? readings.sections()
                                           : std::vector<ReportReadings::Section>();
        std::size_t section = 0;
        for (std::size_t next = 0; next < rows.size() && !m_failed;) {
            if (section < sections.size() && sections[section].row == next) {
                // The part's name stays with its first rows, a little apart from the rows before.
                if (m_y != -TopMargin)
                    m_y -= HeadingSpace / 2;
                room(LineStep + 2 * TableRowHeight);
                text(sections[section++].name, HeadingFont, LineStep);
            }
            const int fit = (m_y - contentBottom()) / TableRowHeight - 1;
            if (fit < 1) {
                if (!newPage())
                    return;
                continue;
            }
            const std::size_t partEnd =
                section < sections.size() ? sections[section].row : rows.size();
            const std::size_t count = std::min(partEnd - next, static_cast<std::size_t>(fit));
            if (m_drawing) {
                DrawTableGrid(canvas(), LeftMargin, right(), m_y, count);
                for (std::size_t row = 0; row < count; ++row)
                    DrawTableRow(canvas(), LeftMargin,
                                 m_y - TableRowHeight * static_cast<int>(row + 1),
                                 rows[next + row]);
            }
            m_y = TableRowsBottom(m_y, count);
            next += count;
        }
    }

    PrintDevice &m_device;
    const ReportContent &m_content;
    QSize m_size;
    bool m_drawing = false;
    bool m_failed = false;
    int m_page = 0;
    int m_pages = 0;
    int m_y = 0;
};

} // namespace

ReportReadings::ReportReadings(std::size_t rowLimit) : m_limit(std::max<std::size_t>(rowLimit, 2))
{}

void ReportReadings::add(const RowCells &cells, const QString &section)
{
    const std::size_t index = m_count++;
    const QString &emissivity = cells[ReceivedRows::EmissivityColumn];
    bool read = false;
    const double value = emissivity.toDouble(&read);
    if (read) {
        if (m_lowestEmissivity.isEmpty() || value < m_lowest) {
            m_lowest = value;
            m_lowestEmissivity = emissivity;
        }
        if (m_highestEmissivity.isEmpty() || value > m_highest) {
            m_highest = value;
            m_highestEmissivity = emissivity;
        }
    }
    const QString &mode = cells[ReceivedRows::ModeColumn];
    if (!mode.isEmpty() && !m_modes.contains(mode))
        m_modes << mode;
    if (index % m_step != 0)
        return;
    m_rows.push_back(MakeTableRowText(cells));
    if (m_sections.empty() || m_sections.back().name != section)
        m_sections.push_back({m_rows.size() - 1, section});
    if (m_rows.size() <= m_limit)
        return;
    // Every other row kept stays: those of the doubled step.
    std::size_t kept = 0;
    for (std::size_t i = 0; i < m_rows.size(); i += 2)
        m_rows[kept++] = m_rows[i];
    m_rows.resize(kept);
    m_step *= 2;
    // A section begins at its first row that stays, the row after a dropped one; a section
    // left without a row gives way to the next.
    std::vector<Section> sections;
    for (Section &part : m_sections) {
        part.row = (part.row + 1) / 2;
        if (part.row >= m_rows.size())
            continue;
        if (!sections.empty() && sections.back().row == part.row)
            sections.pop_back();
        sections.push_back(std::move(part));
    }
    m_sections = std::move(sections);
}

QString ReportReadings::emissivityText() const
{
    if (m_lowestEmissivity == m_highestEmissivity)
        return m_lowestEmissivity;
    return m_lowestEmissivity + QStringLiteral("...") + m_highestEmissivity;
}

ReadingNotes TimelineNotes(const std::vector<TimelineFile> &files, QStringList &problems)
{
    std::vector<RecordingNotes::File> noted;
    for (const TimelineFile &file : files)
        noted.push_back({file.path, file.offset});
    RecordingNotes notes;
    problems << notes.load(std::move(noted));
    return notes.notes();
}

bool DrawReport(PrintDevice &device, const ReportContent &content)
{
    ReportLayout layout(device, content);
    const int pages = layout.measure();
    if (!layout.draw(pages)) {
        device.abortDocument();
        return false;
    }
    device.endDocument();
    return true;
}

QString WriteReportFile(const QString &path, InPlaceWrites inPlace, const ReportContent &content,
                        PaperSize paper)
{
    return WriteOutputFile(path, inPlace, [&](QIODevice &file) {
        PdfDevice device(file, paper,
                         content.title.isEmpty() ? QStringLiteral("ORMA") : content.title);
        return DrawReport(device, content) && device.written();
    });
}

QString ReportSection(const QDate &firstDay, std::int32_t time)
{
    return firstDay.isValid() ? dateText(firstDay.addDays(time / MillisecondsPerDay)) : QString();
}

ReportContent ReportOfRows(const ReceivedRows &table, const TermDataFile &series,
                           const std::vector<int> &rows, TermDataFile &graphSeries,
                           std::int32_t start, std::int32_t end,
                           const TemperatureThresholds &thresholds, const ReportSources &sources)
{
    ReportContent content;
    content.firstDay = sources.firstDay.isValid() ? sources.firstDay : graphSeries.date;
    for (const int row : rows) {
        const int record = table.recordIndexAt(row);
        const std::int32_t time =
            record >= 0 && record < series.count ? series.records[record].time : 0;
        content.readings.add(GetRowCells(table, row), ReportSection(content.firstDay, time));
    }
    content.sources = sources.names;
    content.windowStart = start;
    content.windowEnd = end;
    content.thresholds = thresholds;
    content.statistics = ComputeReadingStatistics(graphSeries, start, end, thresholds);
    content.notes = NotesOfWindow(sources.notes, start, end);
    content.made = QDateTime::currentDateTime();
    return content;
}

void SaveReport(Prompts &prompts, const ReportContent &content)
{
    const Prompts::FileRequest request{QStringLiteral("Отчет PDF (*.pdf)"), QStringLiteral("pdf"),
                                       QStringLiteral("report.pdf")};
    const QString path = prompts.saveFileName(request);
    if (path.isEmpty() || !AcceptSaveTarget(prompts, path))
        return;
    const QString failed =
        WriteReportFile(path, InPlaceWrites::Refused, content, LocalePaperSize());
    if (failed.isEmpty())
        prompts.message(QStringLiteral("Отчет записан в файл."), QStringLiteral("Отчет"),
                        Prompts::Icon::Information);
    else
        prompts.message(QStringLiteral("Ошибка записи отчета: %1").arg(failed), ErrorCaption,
                        Prompts::Icon::Exclamation);
}
