#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QUrl;

// The help's first page, in every folder that holds the help.
inline constexpr char HelpMainPage[] = "MainIndex.html";

// "Справка...": opens the program's help, its first page first, in the viewer the desktop
// shows web pages with.
class HelpLauncher
{
public:
    // Hands a local page to a viewer; false when no viewer took it.
    using UrlOpener = std::function<bool(const QUrl &)>;

    // The desktop's browser, or opener, and the help where DefaultHelpFolders() says (asked
    // when the help is opened, so a QCoreApplication must exist by then).
    HelpLauncher();
    explicit HelpLauncher(UrlOpener opener);
    // opener instead of the desktop's browser; the help looked for in folders, in order.
    HelpLauncher(UrlOpener opener, QStringList folders);

    // The path of the first page in the first folder that has one; empty when none has.
    QString mainPage() const;

    // Opens the first page, or the page of that name beside it. Shows nothing and gives false
    // when the help is missing or no viewer takes it; true when a viewer did.
    bool showHelp(const QString &page = QString::fromLatin1(HelpMainPage)) const;

private:
    UrlOpener m_opener;
    std::optional<QStringList> m_folders;
};

// Where the help may be, in this order: "help" beside the program (a build tree), the
// installed data folder reached from the program's folder, and "orma/help" in the desktop's
// data folders.
QStringList DefaultHelpFolders();

// Opens url with the desktop's handler for it; false when there is none.
bool OpenWithDesktop(const QUrl &url);
