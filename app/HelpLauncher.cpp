#include "app/HelpLauncher.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

// The installed help's folder relative to the installed program; the build says where it
// puts both.
#ifndef ORMA_HELP_RELATIVE_PATH
#define ORMA_HELP_RELATIVE_PATH "../share/orma/help"
#endif

HelpLauncher::HelpLauncher() : m_opener(OpenWithDesktop) {}

HelpLauncher::HelpLauncher(UrlOpener opener) : m_opener(std::move(opener)) {}

HelpLauncher::HelpLauncher(UrlOpener opener, QStringList folders)
    : m_opener(std::move(opener)), m_folders(std::move(folders))
{}

QString HelpLauncher::mainPage() const
{
    const QStringList folders = m_folders ? *m_folders : DefaultHelpFolders();
    for (const QString &folder : folders) {
        if (folder.isEmpty())
            continue;
        const QFileInfo page(QDir(folder), QString::fromLatin1(HelpMainPage));
        if (page.isFile() && page.isReadable())
            return page.absoluteFilePath();
    }
    return {};
}

bool HelpLauncher::showHelp(const QString &page) const
{
    const QString first = mainPage();
    if (first.isEmpty() || !m_opener)
        return false;
    const QFileInfo shown(QFileInfo(first).dir(), page);
    return m_opener(QUrl::fromLocalFile(shown.isFile() ? shown.absoluteFilePath() : first));
}

QStringList DefaultHelpFolders()
{
    QStringList folders;
    // Without an application the program's folder is unknown, not the current one.
    if (QCoreApplication::instance() != nullptr) {
        const QDir programFolder(QCoreApplication::applicationDirPath());
        const QString installed = QStringLiteral(ORMA_HELP_RELATIVE_PATH);
        folders << programFolder.filePath(QStringLiteral("help"))
                << QDir::cleanPath(programFolder.filePath(installed));
    }
    for (const QString &data :
         QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        folders << QDir(data).filePath(QStringLiteral("orma/help"));
    folders.removeDuplicates();
    return folders;
}

bool OpenWithDesktop(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}
