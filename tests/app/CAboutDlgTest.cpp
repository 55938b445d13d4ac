#include "app/CAboutDlg.h"

#include "resources/AboutDialogTemplate.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

QString labelText(const CAboutDlg &about, int id)
{
    return static_cast<QLabel *>(about.control(id))->text();
}

QStringList staticTexts(const CAboutDlg &about)
{
    QStringList texts;
    for (const QLabel *label : about.findChildren<QLabel *>())
        texts << label->text();
    return texts;
}

} // namespace

TEST(AboutBox, ShowsGivenVersionsInTheirFields)
{
    CAboutDlg about(VersionNumber{5, 6, 7, 8}, VersionNumber{1, 2, 3, 4});
    EXPECT_EQ(labelText(about, IDC_PRODUCT_VERSION), "5.6.7.8");
    EXPECT_EQ(labelText(about, IDC_FILE_VERSION), "1.2.3.4");
    EXPECT_EQ(about.productVersion(), "5.6.7.8");
    EXPECT_EQ(about.fileVersion(), "1.2.3.4");
}

TEST(AboutBox, UnknownVersionsLeaveTheFieldsEmpty)
{
    CAboutDlg about(std::nullopt, std::nullopt);
    EXPECT_TRUE(labelText(about, IDC_PRODUCT_VERSION).isEmpty());
    EXPECT_TRUE(labelText(about, IDC_FILE_VERSION).isEmpty());
    // The captions of the fields stay.
    EXPECT_TRUE(staticTexts(about).contains("ORMA версия продукта"));
    EXPECT_TRUE(staticTexts(about).contains("версия файла"));
}

TEST(AboutBox, ShowsTheBuildVersionByDefault)
{
    const QString built = QStringLiteral("%1.%2.%3.%4")
                              .arg(ORMA_VERSION_MAJOR)
                              .arg(ORMA_VERSION_MINOR)
                              .arg(ORMA_VERSION_PATCH)
                              .arg(ORMA_VERSION_TWEAK);
    ASSERT_TRUE(BuildVersion().has_value());
    EXPECT_EQ(FormatVersion(BuildVersion()), built);
    CAboutDlg about;
    EXPECT_EQ(labelText(about, IDC_PRODUCT_VERSION), built);
    EXPECT_EQ(labelText(about, IDC_FILE_VERSION), built);
}

TEST(AboutBox, LayoutAndTexts)
{
    CAboutDlg about;
    EXPECT_EQ(about.windowTitle(), "О программе ORMA");
    EXPECT_EQ(AboutDialogTemplate().id, IDD_ABOUTBOX);
    const QStringList texts = staticTexts(about);
    EXPECT_TRUE(texts.contains("Программа взаимодействия с ручными ИК-пирометрами:"));

    // The icon is drawn, and every text fits inside the box.
    const QLabel *icon = nullptr;
    for (QLabel *label : about.findChildren<QLabel *>()) {
        if (!label->pixmap().isNull())
            icon = label;
        EXPECT_LE(label->geometry().right(), about.width()) << label->text().toStdString();
    }
    ASSERT_NE(icon, nullptr);
    EXPECT_GE(icon->pixmap().width(), 32);

    // The version fields stand right of their captions, the product version above the file's.
    const QRect product = about.control(IDC_PRODUCT_VERSION)->geometry();
    const QRect file = about.control(IDC_FILE_VERSION)->geometry();
    EXPECT_EQ(product.left(), file.left());
    EXPECT_LT(product.top(), file.top());
}

TEST(AboutBox, OkAndEnterClose)
{
    {
        CAboutDlg about;
        about.show();
        auto *ok = static_cast<QPushButton *>(about.control(IDC_ABOUT_OK));
        EXPECT_EQ(ok->text(), "OK");
        EXPECT_TRUE(ok->isDefault());
        QTest::mouseClick(ok, Qt::LeftButton);
        EXPECT_EQ(about.result(), QDialog::Accepted);
        EXPECT_FALSE(about.isVisible());
    }
    {
        CAboutDlg about;
        about.show();
        QTest::keyClick(&about, Qt::Key_Return);
        EXPECT_EQ(about.result(), QDialog::Accepted);
        EXPECT_FALSE(about.isVisible());
    }
}

TEST(AboutBox, CommandOpensTheBoxOverTheWindow)
{
    QWidget window;
    QAction *action = AddAboutAction(window);
    EXPECT_EQ(action->text(), "&About ORMA...");
    EXPECT_EQ(action->data().toInt(), IDM_ABOUTBOX);
    EXPECT_EQ(action->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_I));
    EXPECT_TRUE(window.actions().contains(action));
    EXPECT_EQ(window.contextMenuPolicy(), Qt::ActionsContextMenu);

    // The box lives only while it runs, so it is looked at from inside its run.
    bool opened = false;
    bool isAboutBox = false;
    QWidget *openedParent = nullptr;
    QTimer::singleShot(0, &window, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        opened = modal != nullptr;
        if (auto *about = qobject_cast<CAboutDlg *>(modal)) {
            isAboutBox = true;
            openedParent = about->parentWidget();
            about->accept();
        } else if (auto *dialog = qobject_cast<QDialog *>(modal)) {
            dialog->reject();
        }
    });
    action->trigger();
    EXPECT_TRUE(opened);
    EXPECT_TRUE(isAboutBox);
    EXPECT_EQ(openedParent, &window);
}
