#pragma once

#include "app/QtPrompts.h"
#include "outputs/XdgSpreadsheetLauncher.h"

#include <QSettings>

// The application: runs the main dialog with the program's one setting and the desktop's
// prompts, and returns when the dialog has closed.
class CORMAApp
{
public:
    CORMAApp();
    int run();

private:
    QSettings m_settings;
    QtPrompts m_prompts;
    XdgSpreadsheetLauncher m_spreadsheet;
};
