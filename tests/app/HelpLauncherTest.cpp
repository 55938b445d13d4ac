#include "app/HelpLauncher.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

// A viewer that records the pages it was handed and takes them or not.
struct RecordingViewer
{
    bool exists = true;
    QList<QUrl> opened;

    HelpLauncher::UrlOpener opener()
    {
        return [this](const QUrl &url) {
            opened << url;
            return exists;
        };
    }
};

void writePage(const QString &folder, const QString &name = HelpMainPage)
{
    QDir().mkpath(folder);
    QFile page(QDir(folder).filePath(name));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.write("<html lang=\"ru\"></html>");
}

class HelpLauncherTest : public testing::Test
{
protected:
    QString folder(const char *name) const { return m_root.filePath(QString::fromLatin1(name)); }

    QTemporaryDir m_root;
};

} // namespace

TEST_F(HelpLauncherTest, ViewerGetsTheFirstPageAsLocalFile)
{
    writePage(folder("help"));
    RecordingViewer viewer;
    const HelpLauncher launcher(viewer.opener(), {folder("help")});
    EXPECT_TRUE(launcher.showHelp());
    ASSERT_EQ(viewer.opened.size(), 1);
    EXPECT_TRUE(viewer.opened[0].isLocalFile());
    EXPECT_EQ(viewer.opened[0].toLocalFile(), QDir(folder("help")).filePath("MainIndex.html"));
}

TEST_F(HelpLauncherTest, APageIsOpenedBesideTheFirstOrTheFirstWhenItIsMissing)
{
    writePage(folder("help"));
    writePage(folder("help"), "graph.html");
    RecordingViewer viewer;
    const HelpLauncher launcher(viewer.opener(), {folder("help")});
    EXPECT_TRUE(launcher.showHelp("graph.html"));
    EXPECT_TRUE(launcher.showHelp("nothing.html"));
    ASSERT_EQ(viewer.opened.size(), 2);
    EXPECT_EQ(viewer.opened[0].toLocalFile(), QDir(folder("help")).filePath("graph.html"));
    EXPECT_EQ(viewer.opened[1].toLocalFile(), QDir(folder("help")).filePath("MainIndex.html"));
}

TEST_F(HelpLauncherTest, NoViewerDoesNothing)
{
    writePage(folder("help"));
    RecordingViewer viewer;
    viewer.exists = false;
    const HelpLauncher launcher(viewer.opener(), {folder("help")});
    EXPECT_FALSE(launcher.showHelp());
    EXPECT_EQ(viewer.opened.size(), 1);
    // Asking again is as harmless.
    EXPECT_FALSE(launcher.showHelp());

    const HelpLauncher withoutOpener(HelpLauncher::UrlOpener{}, {folder("help")});
    EXPECT_FALSE(withoutOpener.showHelp());
}

TEST_F(HelpLauncherTest, MissingHelpReachesNoViewer)
{
    QDir().mkpath(folder("empty"));
    // A folder named like the page is no page.
    QDir().mkpath(QDir(folder("decoy")).filePath("MainIndex.html"));
    RecordingViewer viewer;
    for (const QStringList &folders :
         {QStringList{}, QStringList{folder("empty")}, QStringList{folder("absent")},
          QStringList{folder("decoy")}, QStringList{QString()}}) {
        const HelpLauncher launcher(viewer.opener(), folders);
        EXPECT_TRUE(launcher.mainPage().isEmpty()) << folders.join(';').toStdString();
        EXPECT_FALSE(launcher.showHelp());
    }
    EXPECT_TRUE(viewer.opened.isEmpty());
}

TEST_F(HelpLauncherTest, FirstFolderWithThePageWins)
{
    writePage(folder("installed"));
    writePage(folder("beside"));
    writePage(folder("other"), "other.html");
    RecordingViewer viewer;
    const HelpLauncher launcher(viewer.opener(), {folder("absent"), folder("other"),
                                                  folder("beside"), folder("installed")});
    EXPECT_EQ(launcher.mainPage(), QDir(folder("beside")).filePath("MainIndex.html"));
    EXPECT_TRUE(launcher.showHelp());
    ASSERT_EQ(viewer.opened.size(), 1);
    EXPECT_EQ(viewer.opened[0].toLocalFile(), launcher.mainPage());
}

TEST(HelpFolders, BesideTheProgramFirstThenInstalled)
{
    int argc = 1;
    char name[] = "orma";
    char *argv[] = {name, nullptr};
    const QCoreApplication application(argc, argv);
    const QStringList folders = DefaultHelpFolders();
    ASSERT_GE(folders.size(), 2);
    const QDir programFolder(QCoreApplication::applicationDirPath());
    EXPECT_EQ(folders[0], programFolder.filePath("help"));
    EXPECT_TRUE(folders[1].endsWith("/share/orma/help")) << folders[1].toStdString();
    EXPECT_FALSE(folders[1].contains("..")) << folders[1].toStdString();
    for (int i = 2; i < folders.size(); ++i)
        EXPECT_TRUE(folders[i].endsWith("/orma/help")) << folders[i].toStdString();
}
