#include "app/HelpWindow.h"

#include "app/HelpLauncher.h"
#include "resources/ApplicationIcon.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTextBrowser>
#include <QTextCursor>
#include <QUrl>
#include <QVBoxLayout>

HelpWindow::HelpWindow()
    : m_browser(new QTextBrowser(this)), m_search(new QLineEdit(this)),
      m_searchResult(new QLabel(this))
{
    setWindowTitle(QStringLiteral("Справка ORMA"));
    setWindowIcon(ApplicationIcon());
    resize(760, 600);

    auto *back = new QPushButton(QStringLiteral("Назад"), this);
    auto *forward = new QPushButton(QStringLiteral("Вперед"), this);
    auto *home = new QPushButton(QStringLiteral("Содержание"), this);
    back->setEnabled(false);
    forward->setEnabled(false);
    m_search->setPlaceholderText(QStringLiteral("Найти на странице"));
    m_search->setClearButtonEnabled(true);
    m_search->setAccessibleName(QStringLiteral("Найти на странице"));

    auto *bar = new QHBoxLayout;
    for (QWidget *widget : {static_cast<QWidget *>(back), static_cast<QWidget *>(forward),
                            static_cast<QWidget *>(home)})
        bar->addWidget(widget);
    bar->addStretch();
    bar->addWidget(m_searchResult);
    bar->addWidget(m_search);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_browser);

    m_browser->setOpenExternalLinks(true);
    connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, m_browser, &QTextBrowser::forward);
    // The manual's first page, whichever page the window was opened on.
    connect(home, &QPushButton::clicked, this,
            [this] { m_browser->setSource(m_browser->source().resolved(QUrl(HelpMainPage))); });
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);
    connect(m_browser, &QTextBrowser::sourceChanged, this, [this] {
        setWindowTitle(m_browser->documentTitle() + QStringLiteral(" — Справка ORMA"));
    });
    connect(m_search, &QLineEdit::returnPressed, this, [this] {
        m_searchResult->setText(findInPage(m_search->text()) ? QString()
                                                             : QStringLiteral("Не найдено"));
    });
    connect(new QShortcut(QKeySequence::Find, this), &QShortcut::activated, this, [this] {
        m_search->setFocus();
        m_search->selectAll();
    });
    connect(new QShortcut(QKeySequence::Cancel, this), &QShortcut::activated, this,
            &QWidget::close);
    connect(new QShortcut(QKeySequence::Back, this), &QShortcut::activated, m_browser,
            &QTextBrowser::backward);
    connect(new QShortcut(QKeySequence::Forward, this), &QShortcut::activated, m_browser,
            &QTextBrowser::forward);
}

bool HelpWindow::showPage(const QUrl &page)
{
    if (!page.isLocalFile() || !QFileInfo(page.toLocalFile()).isReadable())
        return false;
    m_browser->setSource(page);
    if (!isVisible()) {
        // No taller or wider than the screen, whatever its scale.
        const QSize room = screen()->availableGeometry().size() * 9 / 10;
        resize(size().boundedTo(room));
    }
    show();
    raise();
    activateWindow();
    return true;
}

bool HelpWindow::findInPage(const QString &text)
{
    if (text.isEmpty())
        return false;
    if (m_browser->find(text))
        return true;
    // Past the last place: from the start again.
    m_browser->moveCursor(QTextCursor::Start);
    return m_browser->find(text);
}
