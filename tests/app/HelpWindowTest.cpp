#include "app/HelpWindow.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

void writePage(const QTemporaryDir &dir, const char *name, const char *html)
{
    QFile page(dir.filePath(QString::fromLatin1(name)));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.write(html);
}

TEST(HelpWindow, ShowsPagesGoesBackAndForthAndFindsTextInThePage)
{
    QTemporaryDir dir;
    writePage(dir, "MainIndex.html",
              "<html><head><title>Справка</title></head><body>"
              "<a href=\"graph.html\">График</a></body></html>");
    writePage(dir, "graph.html",
              "<html><head><title>Окно графика</title></head><body><p>шкала времени</p>"
              "<p>и снова шкала</p></body></html>");
    HelpWindow window;
    EXPECT_FALSE(window.showPage(QUrl::fromLocalFile(dir.filePath("missing.html"))));
    EXPECT_FALSE(window.isVisible());

    ASSERT_TRUE(window.showPage(QUrl::fromLocalFile(dir.filePath("MainIndex.html"))));
    EXPECT_TRUE(window.isVisible());
    QTextBrowser &browser = *window.browser();
    // A link of the page, as a click on it follows it.
    browser.setSource(browser.source().resolved(QUrl(QStringLiteral("graph.html"))));
    EXPECT_EQ(browser.documentTitle(), "Окно графика");
    EXPECT_EQ(window.windowTitle(), "Окно графика — Справка ORMA");
    browser.backward();
    EXPECT_EQ(browser.documentTitle(), "Справка");
    browser.forward();
    EXPECT_EQ(browser.documentTitle(), "Окно графика");

    // The search goes on from the last place found and starts again at the page's end.
    EXPECT_TRUE(window.findInPage(QStringLiteral("шкала")));
    const int first = browser.textCursor().position();
    EXPECT_TRUE(window.findInPage(QStringLiteral("шкала")));
    EXPECT_GT(browser.textCursor().position(), first);
    EXPECT_TRUE(window.findInPage(QStringLiteral("шкала")));
    EXPECT_EQ(browser.textCursor().position(), first);
    EXPECT_FALSE(window.findInPage(QStringLiteral("принтер")));
}

TEST(HelpWindow, TheFirstPageIsTheManualsWhicheverPageItOpenedOn)
{
    QTemporaryDir dir;
    writePage(dir, "MainIndex.html", "<html><head><title>Справка</title></head></html>");
    writePage(dir, "graph.html", "<html><head><title>Окно графика</title></head></html>");
    HelpWindow window;
    ASSERT_TRUE(window.showPage(QUrl::fromLocalFile(dir.filePath("graph.html"))));
    for (QPushButton *button : window.findChildren<QPushButton *>())
        if (button->text() == QStringLiteral("Содержание"))
            button->click();
    EXPECT_EQ(window.browser()->documentTitle(), "Справка");
}

} // namespace
