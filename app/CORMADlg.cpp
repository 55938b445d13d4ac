#include "app/CORMADlg.h"

#include "acquisition/SourceList.h"
#include "app/CAboutDlg.h"
#include "app/TableCommands.h"
#include "app/ThresholdAlarm.h"
#include "companions/Prompts.h"
#include "companions/ReadDecimal.h"
#include "graph/CGraphWnd.h"
#include "outputs/ExcelTransfer.h"
#include "outputs/RowTexts.h"
#include "outputs/SaveMeasurements.h"
#include "outputs/TablePrinting.h"
#include "plot/PrintoutThreads.h"
#include "resources/ApplicationIcon.h"
#include "resources/MainDialogTemplate.h"
#include "resources/SettingsKeys.h"

#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QDeadlineTimer>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QShortcut>
#include <QStyle>
#include <QTreeView>
#include <QUrl>

#include <algorithm>

namespace {

const QString FileSource = QStringLiteral("file");
// The source list's items show a port's names; the one it is opened and remembered by is here.
constexpr int SourceNameRole = Qt::UserRole + 1;

// How long closing the window waits for the printouts it cancels.
constexpr int PrintoutCancelWaitMs = 500;

constexpr std::array OutputButtons{IDC_SAVE, IDC_PRINT, IDC_GRAPH, IDC_EXCEL, IDC_REPORT};
constexpr std::array ButtonColumn{IDCANCEL,   IDC_SAVE,  IDC_PRINT,      IDC_EXCEL,
                                  IDC_REPORT, IDC_GRAPH, IDC_HELP_BUTTON};

template <typename Widget> Widget *controlAs(const std::vector<BuiltControl> &controls, int id)
{
    return static_cast<Widget *>(FindControl(controls, id));
}

} // namespace

CORMADlg::CORMADlg(Prompts &prompts, QSettings &settings, SpreadsheetLauncher &spreadsheet,
                   QWidget *parent)
    : QDialog(parent, Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      m_prompts(prompts), m_settings(settings), m_spreadsheet(spreadsheet),
      m_acquisition(*this, prompts, this), m_graphController(prompts, &settings),
      m_noteEditing(prompts, m_acquisition, m_graphController),
      m_help([this](const QUrl &page) { return showHelpPage(page); }),
      m_controls(BuildDialog(MainDialogTemplate(), *this)),
      m_sourceList(controlAs<QComboBox>(m_controls, IDC_SOURCE)),
      m_list(controlAs<QTreeView>(m_controls, IDC_TABLE)),
      m_progress(controlAs<QProgressBar>(m_controls, IDC_PROGRESS)),
      m_periodEdit(controlAs<QLineEdit>(m_controls, IDC_PERIOD)),
      m_fromMemoryButton(controlAs<QRadioButton>(m_controls, IDC_FROM_MEMORY)),
      m_continuousButton(controlAs<QRadioButton>(m_controls, IDC_CONTINUOUS))
{
    setMinimumSize(size());
    setWindowIcon(ApplicationIcon());
    setAcceptDrops(true);
    m_portName = m_settings.value(SettingsKeys::Port, FileSource).toString();
    SetupTable();
    // The margins are those of the template's size; the remembered size is laid out with them.
    restoreGeometry(m_settings.value(SettingsKeys::MainWindow).toByteArray());
    LayoutControls();
    FillSourceList();
    connectControls();
    assignKeys();
    UpdateControls();
}

CORMADlg::~CORMADlg() = default;

QWidget *CORMADlg::control(int id) const
{
    return FindControl(m_controls, id);
}

void CORMADlg::SetupTable()
{
    m_list->setModel(&table());
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setAllColumnsShowFocus(true);
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionsMovable(false);
    // The fixed widths are the table's usual look; a column still grows until its widest
    // text shows whole, so that no desktop font cuts a time or a mode.
    const QFontMetrics metrics(m_list->font());
    const int cellPadding = 2 * m_list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 8;
    for (int column = 0; column < MeasurementTableModel::ColumnCount; ++column) {
        const int textWidth =
            metrics.horizontalAdvance(MeasurementTableModel::widestText(column)) + cellPadding;
        m_list->setColumnWidth(column,
                               std::max(MeasurementTableModel::columnWidth(column), textWidth));
    }

    // The selection stays visible while another control has the focus.
    QPalette palette = m_list->palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    m_list->setPalette(palette);

    new TableCommands(*m_list, table(), m_prompts,
                      {[this] { return selectedRows(); }, [this] { OnGraphOfReception(); },
                       [this](int row) { m_noteEditing.OnTableNote(row); }});
    m_graphController.setNotes(&m_acquisition.notes().notes());
    connect(&m_graphController, &GraphController::noteRequested, this,
            [this](std::int32_t time) { m_noteEditing.OnGraphNote(time); });
    connect(&table(), &QAbstractItemModel::rowsInserted, &m_graphController,
            &GraphController::receptionChanged);
    connect(&table(), &QAbstractItemModel::modelReset, &m_graphController,
            &GraphController::receptionReset);
    m_thresholdAlarm =
        std::make_unique<ThresholdAlarm>(m_acquisition, *m_list, m_graphController, m_notifier);

    m_progress->setRange(0, AcquisitionControl::ProgressRange);
    m_fromMemoryButton->setChecked(m_acquisition.mode() == PollMode::FromMemory);
    m_continuousButton->setChecked(m_acquisition.mode() == PollMode::Continuous);
    recordLayoutMargins();
}

void CORMADlg::recordLayoutMargins()
{
    const QWidget *closeButton = control(IDCANCEL);
    m_buttonColumnMargin = width() - (closeButton->geometry().right() + 1);
    m_listBottomMargin = height() - (m_list->geometry().bottom() + 1);
    m_listRightMargin = width() - (m_list->geometry().right() + 1);
}

void CORMADlg::FillSourceList()
{
    int selected = -1;
    for (const SourceEntry &entry : ListSources(m_portName)) {
        m_sourceList->addItem(SourceEntryText(entry), entry.isFile);
        const int index = m_sourceList->count() - 1;
        m_sourceList->setItemData(index, entry.name, SourceNameRole);
        if (!entry.description.isEmpty())
            m_sourceList->setItemData(index, entry.description, Qt::ToolTipRole);
        // A port remembered by its kernel name is remembered from now on by its stable one.
        if (entry.names(m_portName)) {
            selected = index;
            m_portName = entry.name;
            m_sourceIsFile = entry.isFile;
        }
    }
    m_sourceList->setCurrentIndex(selected);
    m_acquisition.setSource(m_portName, m_sourceIsFile);
}

// The usual keys of the commands, named in their buttons' tooltips. A key acts only while
// its button is shown and enabled. The keys are the window's, not the buttons': a button
// drops its key whenever its text changes, as "Получить данные" does to "Прервать".
void CORMADlg::assignKeys()
{
    struct CommandKey
    {
        int id;
        QKeySequence keys;
    };
    const std::array keys{CommandKey{IDC_GET_DATA, QKeySequence(Qt::Key_F5)},
                          CommandKey{IDC_SAVE, QKeySequence::Save},
                          CommandKey{IDC_PRINT, QKeySequence::Print},
                          CommandKey{IDC_EXCEL, QKeySequence(Qt::CTRL | Qt::Key_E)},
                          CommandKey{IDC_GRAPH, QKeySequence(Qt::CTRL | Qt::Key_G)}};
    for (const CommandKey &key : keys) {
        auto *button = static_cast<QPushButton *>(control(key.id));
        connect(new QShortcut(key.keys, this), &QShortcut::activated, button, [button] {
            if (button->isVisible() && button->isEnabled())
                button->animateClick();
        });
        button->setToolTip(QStringLiteral("Клавиши: ") +
                           key.keys.toString(QKeySequence::NativeText));
    }
}

void CORMADlg::connectControls()
{
    connect(m_sourceList, &QComboBox::activated, this, &CORMADlg::OnSourceSelected);
    connect(static_cast<QPushButton *>(control(IDC_GET_DATA)), &QPushButton::clicked, this,
            &CORMADlg::OnGetData);
    connect(static_cast<QPushButton *>(control(IDCANCEL)), &QPushButton::clicked, this,
            &CORMADlg::reject);
    connect(static_cast<QPushButton *>(control(IDC_SAVE)), &QPushButton::clicked, this,
            [this] { OnSave(); });
    connect(static_cast<QPushButton *>(control(IDC_EXCEL)), &QPushButton::clicked, this,
            &CORMADlg::OnExcel);
    connect(static_cast<QPushButton *>(control(IDC_GRAPH)), &QPushButton::clicked, this,
            &CORMADlg::OnGraph);
    connect(static_cast<QPushButton *>(control(IDC_PRINT)), &QPushButton::clicked, this,
            &CORMADlg::OnPrint);
    connect(static_cast<QPushButton *>(control(IDC_REPORT)), &QPushButton::clicked, this,
            &CORMADlg::OnReport);
    m_graphController.setReportSources([this] { return reportSources(); });
    connect(static_cast<QPushButton *>(control(IDC_HELP_BUTTON)), &QPushButton::clicked, this,
            [this] { m_help.showHelp(); });
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this,
            [this] { m_help.showHelp(); });
    // A note on the reading just received, also from the graph window that follows it.
    auto *noteNow = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_M), this);
    noteNow->setContext(Qt::ApplicationShortcut);
    connect(noteNow, &QShortcut::activated, this, [this] { m_noteEditing.OnNoteNow(); });
    connect(&m_graphController, &GraphController::helpRequested, this,
            [this] { m_help.showHelp(QStringLiteral("graph.html")); });
    // The window manager's menu is not the program's here: the About command lives in the
    // window's context menu and under Ctrl+I.
    AddAboutAction(*this);
    // Closing the graph window only hides it; it keeps its scales for the next launch.
    connect(&m_graphController, &GraphController::graphClosed, this,
            [this] { m_graphController.graphWnd()->hide(); });
    connect(m_fromMemoryButton, &QRadioButton::clicked, this,
            [this] { OnModeChosen(PollMode::FromMemory); });
    connect(m_continuousButton, &QRadioButton::clicked, this,
            [this] { OnModeChosen(PollMode::Continuous); });

    const auto selectionChanged = [this] { m_graphController.selectionChanged(); };
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            selectionChanged);
    connect(m_list->selectionModel(), &QItemSelectionModel::currentChanged, this, selectionChanged);
    connect(&table(), &QAbstractItemModel::dataChanged, this, selectionChanged);
}

void CORMADlg::OnSourceSelected(int index)
{
    if (index < 0)
        return;
    m_portName = m_sourceList->itemData(index, SourceNameRole).toString();
    m_sourceIsFile = m_sourceList->itemData(index).toBool();
    if (!m_sourceIsFile) {
        m_acquisition.setMode(PollMode::FromMemory);
        m_fromMemoryButton->setChecked(true);
    }
    m_acquisition.setSource(m_portName, m_sourceIsFile);
    UpdateControls();
}

void CORMADlg::OnGetData()
{
    const AcquisitionState state = m_acquisition.state();
    const bool starts = state == AcquisitionState::Idle || state == AcquisitionState::DataReady;
    if (starts && !mayDropReception())
        return;
    m_acquisition.OnGetData();
}

bool CORMADlg::mayDropReception()
{
    if (!m_acquisition.holdsUnsavedRows())
        return m_noteEditing.mayDropNotes();
    switch (m_prompts.message(QStringLiteral("Сохранить полученные данные?"),
                              QStringLiteral("ORMA"), Prompts::Icon::Question,
                              Prompts::Buttons::YesNoCancel)) {
    case Prompts::Answer::Yes:
        return OnSave();
    case Prompts::Answer::No:
        return true;
    default:
        return false;
    }
}

void CORMADlg::OpenDataFile(const QString &path)
{
    OpenDataFiles({path});
}

void CORMADlg::OpenDataFiles(const QStringList &paths)
{
    for (int index = 0; index < m_sourceList->count(); ++index) {
        if (m_sourceList->itemText(index) == FileSource && m_sourceList->itemData(index).toBool()) {
            m_sourceList->setCurrentIndex(index);
            OnSourceSelected(index);
            break;
        }
    }
    m_acquisition.readBack(paths);
}

void CORMADlg::dragEnterEvent(QDragEnterEvent *event)
{
    if (!droppedFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

// Files dropped on the window are read back as "file" reads them, several joined; rows not
// saved yet are offered for saving first, as before any reception.
void CORMADlg::dropEvent(QDropEvent *event)
{
    const QStringList paths = droppedFiles(event->mimeData());
    if (paths.isEmpty())
        return;
    event->acceptProposedAction();
    const AcquisitionState state = m_acquisition.state();
    if (state == AcquisitionState::Receiving || state == AcquisitionState::Stopping ||
        !mayDropReception())
        return;
    OpenDataFiles(paths);
}

QStringList CORMADlg::droppedFiles(const QMimeData *data)
{
    QStringList paths;
    if (data == nullptr)
        return paths;
    for (const QUrl &url : data->urls())
        if (url.isLocalFile())
            paths.push_back(url.toLocalFile());
    return paths;
}

void CORMADlg::OnModeChosen(PollMode mode)
{
    m_acquisition.setMode(mode);
    UpdateControls();
}

void CORMADlg::UpdateControls()
{
    const AcquisitionState state = m_acquisition.state();
    const bool receiving =
        state == AcquisitionState::Receiving || state == AcquisitionState::Stopping;
    m_progress->setVisible(receiving);
    static_cast<QPushButton *>(control(IDC_GET_DATA))
        ->setText(receiving ? QStringLiteral("Прервать") : QStringLiteral("Получить данные"));

    if (receiving) {
        m_periodEdit->setEnabled(false);
        return;
    }
    // The period follows the mode also once rows are shown, so that the next continuous
    // reception can be given one.
    const bool continuous = m_acquisition.mode() == PollMode::Continuous;
    control(IDC_PERIOD_LABEL)->setVisible(continuous);
    m_periodEdit->setVisible(continuous);
    m_periodEdit->setEnabled(true);
    const bool dataReady = state == AcquisitionState::DataReady;
    for (int id : OutputButtons)
        control(id)->setVisible(dataReady);
    if (!dataReady)
        m_continuousButton->setEnabled(!m_sourceIsFile);
}

std::vector<int> CORMADlg::selectedRows() const
{
    // From the selection's ranges: a selection of every row is one range, however long.
    std::vector<int> rows;
    for (const QItemSelectionRange &range : m_list->selectionModel()->selection()) {
        if (range.left() != 0 || range.right() != m_list->model()->columnCount() - 1)
            continue; // a row counts as selected when all its cells are
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.push_back(row);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

bool CORMADlg::OnSave()
{
    QString path;
    const bool saved =
        SaveMeasurements(m_prompts, table(), selectedRows(), m_acquisition.receivedBytes(), &path);
    if (saved)
        if (const QString notesError = m_acquisition.markSaved(path); !notesError.isEmpty())
            m_prompts.message(QStringLiteral("Ошибка записи заметок в файл.\n") + notesError,
                              ErrorCaption, Prompts::Icon::Exclamation);
    return saved;
}

void CORMADlg::OnExcel()
{
    TransferToSpreadsheet(m_prompts, GetRowTexts(table(), selectedRows()), m_spreadsheet);
}

void CORMADlg::OnPrint()
{
    PrintTable(m_prompts, table(), selectedRows(), *this);
}

void CORMADlg::OnReport()
{
    m_graphController.OnReport(m_acquisition.series(), table(), selectedRows());
}

ReportSources CORMADlg::reportSources() const
{
    ReportSources sources;
    const std::vector<TimelineFile> &files = m_acquisition.sourceFiles();
    for (const TimelineFile &file : files)
        sources.names << QFileInfo(file.path).fileName();
    if (files.empty())
        sources.names << m_portName;
    else
        sources.firstDay = files.front().day;
    // The notes as the window holds them, also those not saved yet.
    sources.notes = m_acquisition.notes().notes();
    return sources;
}

void CORMADlg::OnGraph()
{
    m_graphController.OnGraph(m_acquisition.series(), table(), selectedRows());
}

bool CORMADlg::showHelpPage(const QUrl &page)
{
    if (!m_helpWindow)
        m_helpWindow = std::make_unique<HelpWindow>();
    return m_helpWindow->showPage(page);
}

void CORMADlg::OfferInterruptedReception(const QString &journalFolder)
{
    const std::optional<InterruptedReception> found = ReceptionJournal::find(journalFolder);
    if (!found)
        return;
    const QString text = ReceptionJournal::offerText(*found, QDate::currentDate());
    const RecoveryChoice choice = RecoveryChoiceFor(
        m_prompts.message(text, QStringLiteral("Прием данных"), Prompts::Icon::Question,
                          Prompts::Buttons::YesNoCancel));
    if (choice == RecoveryChoice::Restore)
        (found->mode == PollMode::Continuous ? m_continuousButton : m_fromMemoryButton)
            ->setChecked(true);
    m_acquisition.settleInterruptedReception(*found, choice);
}

void CORMADlg::OnGraphOfReception()
{
    m_graphController.OnGraphOfReception(m_acquisition.series(), table());
}

void CORMADlg::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    if (m_buttonColumnMargin > 0)
        LayoutControls();
}

void CORMADlg::LayoutControls()
{
    const int shift = width() - m_buttonColumnMargin - (control(IDCANCEL)->geometry().right() + 1);
    for (int id : ButtonColumn)
        control(id)->move(control(id)->pos() + QPoint(shift, 0));

    const int right = width() - m_listRightMargin;
    QRect progress = m_progress->geometry();
    progress.setRight(right - 1);
    m_progress->setGeometry(progress);

    QRect list = m_list->geometry();
    list.setRight(right - 1);
    list.setBottom(height() - m_listBottomMargin - 1);
    m_list->setGeometry(list);
}

void CORMADlg::keyPressEvent(QKeyEvent *event)
{
    // Enter would end a QDialog; here it does nothing, so a stray key cannot close the window.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CORMADlg::reject()
{
    // A reception that runs is ended without a question, so that closing is never held up.
    if (!mayDropReception())
        return;
    // A long printout would hold the closing window for its whole length; it is dropped.
    const QDeadlineTimer printoutsEnd(PrintoutCancelWaitMs);
    CancelPrintouts(*this, printoutsEnd);
    m_graphController.cancelPrintout(printoutsEnd);
    m_acquisition.shutdown();
    m_graphController.destroyGraphWnd();
    m_helpWindow.reset();
    m_settings.setValue(SettingsKeys::Port, m_portName);
    m_settings.setValue(SettingsKeys::MainWindow, saveGeometry());
    m_settings.sync();
    QDialog::reject();
}

std::optional<double> CORMADlg::enteredPeriod() const
{
    return ReadDecimal(m_periodEdit->text());
}

void CORMADlg::setProgress(int position)
{
    // A progress bar repaints itself at once on a new value; here the new value waits for the
    // window's next paint, so that a fast reception is not held up by drawing.
    m_progress->setUpdatesEnabled(false);
    m_progress->setValue(position);
    m_progress->setUpdatesEnabled(true);
}

void CORMADlg::setWaitCursor(bool shown)
{
    if (shown)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}
