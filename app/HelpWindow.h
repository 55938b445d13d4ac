#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QTextBrowser;
class QUrl;

// The manual in a window of the program: its pages and links, back and forward, the first
// page, and a search in the page shown. It needs no browser and no network.
class HelpWindow : public QWidget
{
    Q_OBJECT
public:
    HelpWindow();

    // Shows page (a local file), and brings the window to the front.
    bool showPage(const QUrl &page);
    QTextBrowser *browser() const { return m_browser; }

    // Finds the next place in the page holding text, from the start again at the page's end;
    // false when the page holds none.
    bool findInPage(const QString &text);

private:
    QTextBrowser *m_browser;
    QLineEdit *m_search;
    QLabel *m_searchResult;
};
