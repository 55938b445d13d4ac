#pragma once

#include "app/QtPrompts.h"
#include "outputs/XdgSpreadsheetLauncher.h"

#include <QSettings>
#include <QTranslator>

// The application: runs the main dialog with the program's settings and the desktop's
// prompts, and returns when the dialog has closed.
class CORMAApp
{
public:
    CORMAApp();
    // With dataFiles, the main window reads them back as the source "file" would, once shown.
    int run(const QStringList &dataFiles = {});

private:
    QTranslator m_qtTexts;
    QSettings m_settings;
    QtPrompts m_prompts;
    XdgSpreadsheetLauncher m_spreadsheet;
};
