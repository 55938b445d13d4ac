#include "graph/GraphController.h"

#include "acquisition/ReadBack.h"
#include "companions/CRangeBar.h"
#include "companions/Prompts.h"
#include "graph/CGraphWnd.h"
#include "graph/CLimitDlg.h"
#include "graph/GraphPicture.h"
#include "graph/HeldCloseRequests.h"
#include "graph/ThresholdsDialog.h"
#include "outputs/ComparedRunRows.h"
#include "outputs/GraphSeries.h"
#include "outputs/SaveMeasurements.h"
#include "outputs/TableExport.h"
#include "plot/CGraphView.h"
#include "plot/TemperatureThresholds.h"
#include "resources/SettingsKeys.h"

#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QSettings>

#include <algorithm>
#include <vector>

namespace {

// About 30 updates a second at most, and a new reading on the plot within 0.2 s.
constexpr int FollowIntervalMs = 33;

// The stored thresholds through the dialog's own check, so that a pair edited by hand into
// something the dialog refuses is dropped rather than drawn.
TemperatureThresholds storedThresholds(const QSettings &settings)
{
    TemperatureThresholds thresholds;
    if (ReadThresholds(settings.value(SettingsKeys::UpperThreshold).toString(),
                       settings.value(SettingsKeys::LowerThreshold).toString(),
                       thresholds) != ThresholdsFault::None)
        return {};
    return thresholds;
}

void writeThreshold(QSettings &settings, const QString &key,
                    const std::optional<std::int32_t> &threshold)
{
    if (threshold)
        settings.setValue(key, *threshold);
    else
        settings.remove(key);
}

const Prompts::FileRequest GraphPictureRequest{
    QStringLiteral("Рисунок PNG (*.png);;Рисунок SVG (*.svg);;Документ PDF (*.pdf)"),
    QStringLiteral("png"), QStringLiteral("graph")};
const QString PictureCaption = QStringLiteral("Сохранить изображение");

// The size of the picture, offered as the window's; asked again after a size that will not
// do, with what the user typed.
std::optional<QSize> askPictureSize(Prompts &prompts, QSize windowSize)
{
    QString text = PictureSizeText(windowSize);
    for (;;) {
        const std::optional<QString> answer = prompts.askText(
            QStringLiteral("Размер изображения в точках (ширина x высота):"), PictureCaption, text);
        if (!answer)
            return std::nullopt;
        if (const std::optional<QSize> size = ParsePictureSize(*answer))
            return size;
        prompts.message(QStringLiteral("Размер задается двумя целыми числами от %1 до %2, "
                                       "например %3.")
                            .arg(MinPictureSide)
                            .arg(MaxPictureSide)
                            .arg(PictureSizeText(windowSize)),
                        PictureCaption, Prompts::Icon::Exclamation);
        text = *answer;
    }
}

} // namespace

GraphController::GraphController(Prompts &prompts, QSettings *settings, QObject *parent)
    : QObject(parent), m_prompts(prompts), m_settings(settings), m_graphPrinting(prompts),
      m_alarmOn(settings != nullptr && settings->value(SettingsKeys::ThresholdAlarm).toBool())
{
    m_followTimer.setSingleShot(true);
    m_followTimer.setInterval(FollowIntervalMs);
    connect(&m_followTimer, &QTimer::timeout, this, &GraphController::followReception);
}

GraphController::~GraphController() = default;

void GraphController::OnGraph(const TermDataFile &series, const ReceivedRows &table,
                              const std::vector<int> &selectedRows)
{
    m_reception = &series;
    m_receptionRows = &table;
    if (m_graphOfReception) {
        // The series holds the reception, not the selection.
        m_seriesStale = true;
        m_graphOfReception = false;
    }
    const int count = BuildGraphSeries(m_graphSeries, series, table, selectedRows, m_seriesStale,
                                       true, m_prompts);
    m_graphedRows = selectedRows;
    if (count == 0)
        return;
    if (count == 1) {
        m_prompts.message(
            QStringLiteral("Для построения графика необходимо выделить не менее 2-х измерений."),
            QStringLiteral("График"), Prompts::Icon::Information);
        return;
    }
    if (!m_graphWnd)
        createGraphWnd();
    m_graphWnd->setFollowing(false);
    showGraphSeries(true);
}

TemperatureThresholds GraphController::thresholds() const
{
    if (m_graphWnd)
        return m_graphWnd->view()->thresholds();
    return m_settings != nullptr ? storedThresholds(*m_settings) : TemperatureThresholds{};
}

void GraphController::OnGraphOfReception(const TermDataFile &series, const ReceivedRows &table)
{
    m_reception = &series;
    m_receptionRows = &table;
    // The table's command is off until the reception has two rows.
    if (series.count < 2)
        return;
    if (!m_graphWnd)
        createGraphWnd();
    setFollowing(true);
    showGraphSeries(true);
}

void GraphController::setNotes(const ReadingNotes *notes)
{
    m_notes = notes;
    if (m_graphWnd)
        m_graphWnd->view()->setNotes(notes);
}

void GraphController::notesChanged()
{
    if (m_graphWnd)
        m_graphWnd->view()->notesChanged();
}

void GraphController::receptionChanged()
{
    m_seriesStale = true;
    if (m_graphWnd && m_graphWnd->following() && !m_followTimer.isActive())
        m_followTimer.start();
}

void GraphController::receptionReset()
{
    // The graph keeps its copy of the old rows until it is built again.
    m_graphedRows.reset();
    receptionChanged();
}

void GraphController::setFollowing(bool on)
{
    m_graphWnd->setFollowing(on);
    if (!on || m_reception == nullptr)
        return;
    bool rebuild = true;
    const int count = BuildGraphSeries(m_graphSeries, *m_reception, *m_receptionRows, {}, rebuild,
                                       true, m_prompts);
    m_graphOfReception = true;
    m_graphedRows = std::vector<int>{};
    // A reception already broken in time cannot be followed past its break.
    if (count < m_reception->count)
        m_graphWnd->setFollowing(false);
}

void GraphController::followReception()
{
    if (!m_graphWnd || !m_graphWnd->following() || m_reception == nullptr)
        return;
    const int before = m_graphSeries.count;
    const std::uint32_t limitsBefore = graphLimits();
    // A new reception (the rows were cleared) is built from its start.
    const bool rebuilt = !m_graphOfReception || m_reception->count < before;
    if (rebuilt)
        setFollowing(true);
    else if (!ExtendGraphSeries(m_graphSeries, *m_reception, m_prompts))
        m_graphWnd->setFollowing(false);
    // A graph needs two points; the window keeps its picture until then.
    if (m_graphSeries.count < 2)
        return;
    if (rebuilt || before < 2)
        showGraphSeries(false);
    else if (m_graphSeries.count != before)
        m_graphWnd->OnSeriesGrew(limitsBefore, graphLimits());
}

std::uint32_t GraphController::graphLimits() const
{
    return GraphSeriesLimits(static_cast<std::int16_t>(m_graphSeries.minTemperature),
                             static_cast<std::int16_t>(m_graphSeries.maxTemperature));
}

void GraphController::showGraphSeries(bool activate)
{
    const int count = m_graphSeries.count;
    m_overlay.realign(m_graphSeries);
    // The ranges take in every run compared, so none is cut off at the series' ends.
    std::int32_t first = m_graphSeries.records[0].time;
    std::int32_t last = m_graphSeries.records[count - 1].time;
    std::int32_t lowest = m_graphSeries.minTemperature;
    std::int32_t highest = m_graphSeries.maxTemperature;
    if (const std::optional<SeriesOverlay::Extent> extent = m_overlay.extent()) {
        first = std::min(first, extent->firstTime);
        last = std::max(last, extent->lastTime);
        lowest = std::min(lowest, extent->minTemperature);
        highest = std::max(highest, extent->maxTemperature);
    }
    const std::int32_t keptStart =
        m_graphWnd->timeBar() != nullptr ? m_graphWnd->timeBar()->GetWinMin() : first;
    m_graphWnd->OnSetSeries(
        GraphSeriesLimits(static_cast<std::int16_t>(lowest), static_cast<std::int16_t>(highest)),
        &m_graphSeries);
    if (CRangeBar *bar = m_graphWnd->temperatureBar()) {
        bar->SetWinMin(lowest);
        bar->SetWinMax(highest);
    }
    if (CRangeBar *bar = m_graphWnd->timeBar()) {
        bar->SetMin(first);
        bar->SetMax(last);
        bar->SetWinMax(last);
        // The time window keeps the start the user left it at; a start at or past the new
        // series' end would leave the plot empty, so the window then shows the whole series.
        if (keptStart >= last)
            bar->SetWinMin(first);
    }
    if (!activate)
        return;
    if (!m_graphWnd->isVisible())
        m_graphWnd->show();
    // Brought to the front and made active, so that it answers the pointer (tooltips) at once.
    m_graphWnd->raise();
    m_graphWnd->activateWindow();
}

void GraphController::createGraphWnd()
{
    m_graphWnd = std::make_unique<CGraphWnd>();
    CGraphWnd *frame = m_graphWnd.get();
    if (m_settings != nullptr) {
        frame->restoreGeometry(m_settings->value(SettingsKeys::GraphWindow).toByteArray());
        frame->view()->setThresholds(storedThresholds(*m_settings));
        frame->view()->setStatisticsShown(
            m_settings->value(SettingsKeys::Statistics, false).toBool());
        connect(frame, &CGraphWnd::statisticsToggled, this,
                [this](bool shown) { m_settings->setValue(SettingsKeys::Statistics, shown); });
    }
    frame->view()->setOverlay(&m_overlay);
    frame->view()->setNotes(m_notes);
    connect(frame, &CGraphWnd::graphClosed, this, &GraphController::graphClosed);
    connect(frame, &CGraphWnd::helpRequested, this, &GraphController::helpRequested);
    connect(frame, &CGraphWnd::followingToggled, this, [this](bool on) {
        setFollowing(on);
        if (on && m_graphSeries.count >= 2)
            showGraphSeries(false);
    });
    const auto print = [this, frame] {
        const PromptsOwner owner(m_prompts, frame);
        m_graphPrinting.print([frame] { return frame->printContext(); });
    };
    const auto limits = [this, frame] {
        const PromptsOwner owner(m_prompts, frame);
        EditLimits(frame->temperatureBar(), frame, m_prompts);
    };
    for (GraphCommand &command : std::vector<GraphCommand>{
             {QStringLiteral("print"), QStringLiteral("Печать..."), print},
             {QStringLiteral("report"), QStringLiteral("Отчет..."),
              [this] { reportVisibleWindow(); }},
             {QStringLiteral("saveImage"), QStringLiteral("Сохранить изображение..."),
              [this] { saveGraphPicture(); }},
             {QStringLiteral("copyImage"), QStringLiteral("Копировать изображение"),
              [frame] {
                  QGuiApplication::clipboard()->setImage(GraphImage(*frame, frame->size()));
              }},
             {QStringLiteral("exportCsv"), QStringLiteral("Экспорт видимых данных в CSV..."),
              [this] { exportVisibleRows(); }},
             {QStringLiteral("compare"),
              QStringLiteral("Сравнить..."),
              [this] { compareWithFile(); },
              {},
              [this] { return !m_overlay.full(); }},
             {QStringLiteral("alignStart"), QStringLiteral("Выравнивать по началу"),
              [this] {
                  m_overlay.setAlignment(m_overlay.alignment() == OverlayAlignment::Start
                                             ? OverlayAlignment::ClockTime
                                             : OverlayAlignment::Start,
                                         m_graphSeries);
                  overlayChanged();
              },
              [this] { return m_overlay.alignment() == OverlayAlignment::Start; }},
             {QStringLiteral("removeCompare"),
              QStringLiteral("Убрать сравнение"),
              [this] {
                  m_overlay.clear();
                  overlayChanged();
              },
              {},
              [this] { return !m_overlay.empty(); }},
             {QStringLiteral("limits"), QStringLiteral("Пределы по шкале температуры"), limits},
             {QStringLiteral("thresholds"), QStringLiteral("Пороги..."),
              [this] { editThresholds(); }},
             {QStringLiteral("note"),
              QStringLiteral("Заметка..."),
              [this, frame] {
                  const PromptsOwner owner(m_prompts, frame);
                  emit noteRequested(frame->view()->pointerTime());
              },
              {},
              [this] { return m_notes != nullptr; }},
         })
        frame->addCommand(std::move(command));
    // One run taken away: a submenu of the files compared, made anew each time it opens.
    QAction *removeRun = frame->addCommand({QStringLiteral("removeRun"),
                                            QStringLiteral("Убрать из сравнения"),
                                            [] {},
                                            {},
                                            [this] { return !m_overlay.empty(); }});
    auto *runs = new QMenu(frame);
    removeRun->setMenu(runs);
    connect(runs, &QMenu::aboutToShow, this, [this, runs] {
        runs->clear();
        for (std::size_t i = 0; i < m_overlay.entries().size(); ++i)
            runs->addAction(m_overlay.entries()[i].name, this, [this, i] {
                m_overlay.remove(static_cast<int>(i));
                overlayChanged();
            });
    });
    frame->addCommand({QStringLiteral("alarm"), QStringLiteral("Сигнал при выходе за пороги"),
                       [this] { setAlarmOn(!m_alarmOn); }, [this] { return m_alarmOn; }});
    frame->setAlarmText(m_crossing);
}

void GraphController::setAlarmOn(bool on)
{
    m_alarmOn = on;
    if (m_settings != nullptr)
        m_settings->setValue(SettingsKeys::ThresholdAlarm, on);
    emit alarmToggled(on);
}

void GraphController::showCrossing(const QString &text)
{
    m_crossing = text;
    if (m_graphWnd)
        m_graphWnd->setAlarmText(text);
}

void GraphController::saveGraphPicture()
{
    const PromptsOwner owner(m_prompts, m_graphWnd.get());
    QString path = m_prompts.saveFileName(GraphPictureRequest);
    // A name of another form is asked again: its bytes would not be what the name promises.
    while (!path.isEmpty() && !PictureFormOf(path)) {
        m_prompts.message(QStringLiteral("Изображение записывается в файл PNG, SVG или PDF: "
                                         "имя файла должно оканчиваться на .png, .svg или .pdf."),
                          PictureCaption, Prompts::Icon::Exclamation);
        path = m_prompts.saveFileName(GraphPictureRequest);
    }
    if (path.isEmpty() || !AcceptSaveTarget(m_prompts, path))
        return;
    const std::optional<QSize> size = askPictureSize(m_prompts, m_graphWnd->size());
    if (!size)
        return;
    // A close asked for during the work or its message comes after them; the window and this
    // launch stay until then.
    const HeldCloseRequests heldCloses;
    switch (SaveGraphPicture(*m_graphWnd, *size, path, m_graphWnd.get())) {
    case PictureSaving::Written:
        m_prompts.message(QStringLiteral("Изображение графика записано в файл."), PictureCaption,
                          Prompts::Icon::Information);
        break;
    case PictureSaving::Failed:
        m_prompts.message(QStringLiteral("Ошибка записи изображения в файл."), ErrorCaption,
                          Prompts::Icon::Exclamation);
        break;
    case PictureSaving::Cancelled:
        break;
    }
}

void GraphController::editThresholds()
{
    const PromptsOwner owner(m_prompts, m_graphWnd.get());
    ThresholdsDialog dialog(m_prompts, m_graphWnd->view()->thresholds(), m_graphWnd.get());
    if (dialog.exec() != QDialog::Accepted || !m_graphWnd)
        return;
    m_graphWnd->view()->setThresholds(dialog.thresholds());
    if (m_settings != nullptr) {
        writeThreshold(*m_settings, SettingsKeys::UpperThreshold, dialog.thresholds().upper);
        writeThreshold(*m_settings, SettingsKeys::LowerThreshold, dialog.thresholds().lower);
    }
    emit thresholdsChanged();
}

void GraphController::exportVisibleRows()
{
    const PromptsOwner owner(m_prompts, m_graphWnd.get());
    const auto tell = [this](const QString &text) {
        m_prompts.message(text, QStringLiteral("График"), Prompts::Icon::Information);
    };
    if (!m_graphedRows || m_reception == nullptr) {
        tell(QStringLiteral("Таблица сменилась после построения графика: постройте график "
                            "заново, чтобы сохранить его видимые данные."));
        return;
    }
    const CRangeBar *time = m_graphWnd->timeBar();
    const std::vector<int> rows =
        GraphedRowsInTimeWindow(m_graphSeries, *m_reception, *m_receptionRows, *m_graphedRows,
                                time->GetWinMin(), time->GetWinMax());
    // With runs compared each row is named by its file, the runs' rows after the table's.
    std::vector<std::vector<int>> runRows;
    std::vector<CsvRowsOf> parts{{*m_receptionRows, rows, CGraphView::MainSeriesName}};
    runRows.reserve(m_runRows.size());
    for (const auto &[series, table] : m_runRows) {
        runRows.push_back(GraphedRowsInTimeWindow(*series, *series, *table, {}, time->GetWinMin(),
                                                  time->GetWinMax()));
        parts.push_back({*table, runRows.back(), {}});
    }
    if (std::all_of(parts.begin(), parts.end(),
                    [](const CsvRowsOf &part) { return part.rows.empty(); }))
        tell(QStringLiteral("В видимой части графика нет измерений."));
    else if (m_runRows.empty())
        ExportCsv(m_prompts, *m_receptionRows, rows);
    else
        ExportNamedCsv(m_prompts, parts);
}

void GraphController::compareWithFile()
{
    const PromptsOwner owner(m_prompts, m_graphWnd.get());
    const QString caption = QStringLiteral("Сравнить");
    const QString path = m_prompts.openFileName(DataFileRequest);
    if (path.isEmpty() || !m_graphWnd)
        return;
    ReadBack read;
    if (!read.read(QFile::encodeName(path).toStdString(), PollMode::FromMemory)) {
        m_prompts.message(QStringLiteral("Не удалось открыть файл \"%1\".").arg(path), ErrorCaption,
                          Prompts::Icon::Exclamation);
        return;
    }
    if (read.series().count < 2) {
        m_prompts.message(
            QStringLiteral("В файле \"%1\" меньше двух измерений: сравнивать не с чем.").arg(path),
            caption, Prompts::Icon::Information);
        return;
    }
    // What was read before a failure is compared all the same; the user is told it is not all.
    if (read.endReason() == ReaderEndReason::LinkLost)
        m_prompts.message(
            QStringLiteral("Ошибка чтения файла \"%1\": показана прочитанная часть.").arg(path),
            ErrorCaption, Prompts::Icon::Exclamation);
    const QString name = QFileInfo(path).fileName();
    if (m_overlay.add(name, read.series(), m_graphSeries))
        m_runRows.emplace_back(m_overlay.entries().back().series.get(),
                               std::make_unique<ComparedRunRows>(read.table(), name));
    overlayChanged();
}

void GraphController::overlayChanged()
{
    // The rows of a run taken away go with it.
    std::erase_if(m_runRows, [this](const auto &run) {
        return std::none_of(
            m_overlay.entries().begin(), m_overlay.entries().end(),
            [&run](const SeriesOverlay::Entry &entry) { return entry.series.get() == run.first; });
    });
    if (!m_graphWnd)
        return;
    m_graphWnd->view()->overlayChanged();
    if (m_graphSeries.count >= 2)
        showGraphSeries(false);
}

void GraphController::destroyGraphWnd()
{
    if (m_graphWnd && m_settings != nullptr)
        m_settings->setValue(SettingsKeys::GraphWindow, m_graphWnd->saveGeometry());
    m_graphWnd.reset();
}
