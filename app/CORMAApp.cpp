#include "app/CORMAApp.h"

#include "app/CORMADlg.h"
#include "app/QtTranslation.h"

#include <QApplication>
#include <QStandardPaths>
#include <QTimer>

// On Linux the setting lives in ~/.config/KALMIRON/orma.conf.
CORMAApp::CORMAApp() : m_settings(QStringLiteral("KALMIRON"), QStringLiteral("orma"))
{
    if (LoadQtTranslation(m_qtTexts, QLocale::system()))
        QCoreApplication::installTranslator(&m_qtTexts);
}

int CORMAApp::run(const QStringList &dataFiles)
{
    // The main window is shown modeless: an application-modal main window would withhold
    // every event from the graph window. The program ends when the main window has run its
    // closing steps, and only then, whatever other window is still open.
    QApplication::setQuitOnLastWindowClosed(false);
    CORMADlg dialog(m_prompts, m_settings, m_spreadsheet);
    m_prompts.setParentWindow(&dialog);
    m_prompts.setSettings(&m_settings);
    QObject::connect(&dialog, &QDialog::finished, qApp, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    const QString journalFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    dialog.acquisition().setJournalFolder(journalFolder);
    dialog.show();
    QTimer::singleShot(0, &dialog, [&dialog, journalFolder, dataFiles] {
        dialog.OfferInterruptedReception(journalFolder);
        if (!dataFiles.isEmpty())
            dialog.OpenDataFiles(dataFiles);
    });
    QApplication::exec();
    m_prompts.setParentWindow(nullptr);
    m_prompts.setSettings(nullptr);
    return 0;
}
