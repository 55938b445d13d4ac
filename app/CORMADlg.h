#pragma once

#include "acquisition/AcquisitionControl.h"
#include "app/DesktopNotifier.h"
#include "app/HelpLauncher.h"
#include "app/HelpWindow.h"
#include "app/NoteEditing.h"
#include "graph/GraphController.h"
#include "resources/DialogTemplate.h"

#include <QDialog>

#include <memory>

class Prompts;
class SpreadsheetLauncher;
class ThresholdAlarm;
class QComboBox;
class QLineEdit;
class QMimeData;
class QProgressBar;
class QRadioButton;
class QSettings;
class QTreeView;

// The program's main window: the source, the polling mode, the measurement table and the
// output buttons. It owns the reception and everything it produces.
class CORMADlg : public QDialog, private AcquisitionView
{
    Q_OBJECT
public:
    // The "Port" setting is read from and written back to settings; the spreadsheet
    // application receives the "в  Exel" transfers.
    CORMADlg(Prompts &prompts, QSettings &settings, SpreadsheetLauncher &spreadsheet,
             QWidget *parent = nullptr);
    ~CORMADlg() override;

    QWidget *control(int id) const;
    AcquisitionControl &acquisition() { return m_acquisition; }
    MeasurementTableModel &table() { return m_acquisition.table(); }
    const QString &portName() const { return m_portName; }
    bool sourceIsFile() const { return m_sourceIsFile; }

    void UpdateControls();
    void LayoutControls();

    // The selected rows in ascending order.
    std::vector<int> selectedRows() const;
    // "Сохранить..."; true when a file was written.
    bool OnSave();
    void OnExcel();
    void OnGraph();
    // "График приема": the graph window on every row of the current reception, also while it
    // runs.
    void OnGraphOfReception();
    // Asks whether to read back the reception a journal in journalFolder kept when the
    // program ended during it; removes the journal when the user declines.
    void OfferInterruptedReception(const QString &journalFolder);
    // Reads the data file at path back, as a double click on it in the file manager asks, and
    // makes "file" the source of the next reception.
    void OpenDataFile(const QString &path);
    // Several data files, read back joined into one timeline; one as OpenDataFile reads it.
    void OpenDataFiles(const QStringList &paths);
    void OnPrint();
    // "Отчет...": one PDF of the selected rows (all when none is selected).
    void OnReport();
    GraphController &graphController() { return m_graphController; }

public slots:
    // Closing by "Завершить", the close box or Escape: ends a reception first.
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    // The local files among dropped data.
    static QStringList droppedFiles(const QMimeData *data);
    void SetupTable();
    void FillSourceList();
    void OnSourceSelected(int index);
    void OnGetData();
    // Before rows of a reception that are on disk nowhere else leave the table, asks whether
    // to save them; false when they must stay (the user cancelled, or the save did not go
    // through).
    bool mayDropReception();
    void OnModeChosen(PollMode mode);
    void recordLayoutMargins();
    void connectControls();
    void assignKeys();
    bool showHelpPage(const QUrl &page);
    // The files (or the port) of the current rows and their notes, for a report.
    ReportSources reportSources() const;

    // AcquisitionView
    std::optional<double> enteredPeriod() const override;
    void setProgress(int position) override;
    void setWaitCursor(bool shown) override;
    void updateControls() override { UpdateControls(); }

    Prompts &m_prompts;
    QSettings &m_settings;
    SpreadsheetLauncher &m_spreadsheet;
    AcquisitionControl m_acquisition;
    GraphController m_graphController;
    NoteEditing m_noteEditing;
    // The manual in the program's own help window, made on first use.
    HelpLauncher m_help;
    std::unique_ptr<HelpWindow> m_helpWindow;
    // The alarm on the thresholds over the table and the graph: declared after them, so
    // that it goes first.
    DesktopNotifier m_notifier;
    std::unique_ptr<ThresholdAlarm> m_thresholdAlarm;
    std::vector<BuiltControl> m_controls;
    QString m_portName;
    QComboBox *m_sourceList;
    QTreeView *m_list;
    bool m_sourceIsFile = false;
    QProgressBar *m_progress;
    QLineEdit *m_periodEdit;
    QRadioButton *m_fromMemoryButton;
    QRadioButton *m_continuousButton;
    int m_buttonColumnMargin = 0;
    int m_listBottomMargin = 0;
    int m_listRightMargin = 0;
};
