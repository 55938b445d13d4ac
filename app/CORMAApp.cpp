#include "app/CORMAApp.h"

#include "app/CORMADlg.h"

// On Linux the setting lives in ~/.config/KALMIRON/orma.conf.
CORMAApp::CORMAApp() : m_settings(QStringLiteral("KALMIRON"), QStringLiteral("orma")) {}

int CORMAApp::run()
{
    CORMADlg dialog(m_prompts, m_settings, m_spreadsheet);
    m_prompts.setParentWindow(&dialog);
    dialog.exec();
    m_prompts.setParentWindow(nullptr);
    return 0;
}
