#include "graph/CLimitDlg.h"

#include "companions/CRangeBar.h"
#include "resources/LimitDialogTemplate.h"
#include "tests/support/ScriptedPrompts.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

std::ostream &operator<<(std::ostream &out, const TemperatureLimits &l)
{
    return out << "range " << l.rangeMinimum << ".." << l.rangeMaximum << " window "
               << l.windowMinimum << ".." << l.windowMaximum;
}

namespace {

QLineEdit *edit(const CLimitDlg &dialog, int id)
{
    return static_cast<QLineEdit *>(dialog.control(id));
}

void click(const CLimitDlg &dialog, int id)
{
    QTest::mouseClick(dialog.control(id), Qt::LeftButton);
}

// The next widget that Tab moves the focus to.
QWidget *nextTabStop(QWidget *widget)
{
    do
        widget = widget->nextInFocusChain();
    while ((widget->focusPolicy() & Qt::TabFocus) == 0);
    return widget;
}

TemperatureLimits limitsOf(const CRangeBar &bar)
{
    return {bar.GetMax(), bar.GetMin(), bar.GetWinMax(), bar.GetWinMin()};
}

TEST(CLimitDlgTest, TemplateControlsInTabOrderWithTheFocusOnOk)
{
    ScriptedPrompts prompts;
    CLimitDlg dialog(prompts);
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("Пределы"));
    EXPECT_EQ(static_cast<QPushButton *>(dialog.control(IDC_LIMITS_CANCEL))->text(), "Cancel");
    EXPECT_TRUE(static_cast<QPushButton *>(dialog.control(IDC_LIMITS_OK))->isDefault());

    // Tab order: OK, Cancel, then the fields from top to bottom.
    QWidget *widget = dialog.control(IDC_LIMITS_OK);
    for (int id :
         {IDC_LIMITS_CANCEL, IDC_RANGE_MAX, IDC_WINDOW_MAX, IDC_WINDOW_MIN, IDC_RANGE_MIN}) {
        widget = nextTabStop(widget);
        EXPECT_EQ(widget, dialog.control(id)) << "after it comes " << id;
    }
    dialog.show();
    EXPECT_EQ(dialog.focusWidget(), dialog.control(IDC_LIMITS_OK));
}

TEST(CLimitDlgTest, ShowsTheValuesInTheirFieldsAndReadsWhatIsTyped)
{
    ScriptedPrompts prompts;
    CLimitDlg dialog(prompts);
    dialog.setLimits({1200, -50, 900, 15});
    dialog.show();
    EXPECT_EQ(edit(dialog, IDC_RANGE_MAX)->text(), "1200");
    EXPECT_EQ(edit(dialog, IDC_RANGE_MIN)->text(), "-50");
    EXPECT_EQ(edit(dialog, IDC_WINDOW_MAX)->text(), "900");
    EXPECT_EQ(edit(dialog, IDC_WINDOW_MIN)->text(), "15");

    edit(dialog, IDC_RANGE_MAX)->setText(" +1300 ");
    edit(dialog, IDC_WINDOW_MIN)->setText("-7");
    click(dialog, IDC_LIMITS_OK);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.limits(), (TemperatureLimits{1300, -50, 900, -7}));
    EXPECT_TRUE(prompts.shown.empty());
}

struct BadField
{
    int id;
    const char *text;
};

void PrintTo(const BadField &field, std::ostream *out)
{
    *out << "field " << field.id << " \"" << field.text << '"';
}

class CLimitDlgBadFieldTest : public testing::TestWithParam<BadField>
{
};

TEST_P(CLimitDlgBadFieldTest, OkIsRefusedWithAPromptAndTheFocusOnTheField)
{
    ScriptedPrompts prompts;
    CLimitDlg dialog(prompts);
    dialog.show();
    edit(dialog, GetParam().id)->setText(QString::fromUtf8(GetParam().text));
    click(dialog, IDC_LIMITS_OK);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].icon, Prompts::Icon::Exclamation);
    EXPECT_EQ(dialog.focusWidget(), dialog.control(GetParam().id));
    EXPECT_EQ(edit(dialog, GetParam().id)->selectedText(), edit(dialog, GetParam().id)->text());
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CLimitDlgBadFieldTest,
    testing::Values(BadField{IDC_RANGE_MAX, ""}, BadField{IDC_RANGE_MIN, "abc"},
                    BadField{IDC_WINDOW_MAX, "   "}, BadField{IDC_WINDOW_MIN, "12x"},
                    BadField{IDC_RANGE_MAX, "1 2"}, BadField{IDC_RANGE_MAX, "2.5"},
                    BadField{IDC_RANGE_MAX, "--3"}, BadField{IDC_RANGE_MAX, "0x10"},
                    BadField{IDC_RANGE_MAX, "2147483648"}, BadField{IDC_RANGE_MAX, "-2147483649"},
                    BadField{IDC_RANGE_MAX, "١٢"}));

TEST(CLimitDlgTest, TheFirstBadFieldInExchangeOrderGetsTheFocusAndLaterOnesAreNotRead)
{
    ScriptedPrompts prompts;
    CLimitDlg dialog(prompts);
    dialog.show();
    edit(dialog, IDC_RANGE_MAX)->setText("80");
    edit(dialog, IDC_WINDOW_MAX)->setText("bad");
    edit(dialog, IDC_RANGE_MIN)->setText("also bad"); // read before the window's fields
    edit(dialog, IDC_WINDOW_MIN)->setText("5");
    click(dialog, IDC_LIMITS_OK);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(dialog.focusWidget(), dialog.control(IDC_RANGE_MIN));
    EXPECT_EQ(dialog.limits(), (TemperatureLimits{80, 0, 0, 0}));
}

// EditLimits runs the dialog modally; the user's part runs once it is up.
class EditLimitsTest : public testing::Test
{
protected:
    EditLimitsTest()
    {
        m_bar.SetMax(1000);
        m_bar.SetMin(100);
        m_bar.SetWinMax(800);
        m_bar.SetWinMin(200);
    }

    bool run(std::function<void(CLimitDlg &)> user)
    {
        bool ran = false;
        QTimer::singleShot(0, &m_parent, [&] {
            auto *dialog = qobject_cast<CLimitDlg *>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            ran = true;
            user(*dialog);
        });
        const bool applied = EditLimits(&m_bar, &m_parent, m_prompts);
        EXPECT_TRUE(ran);
        return applied;
    }

    QWidget m_parent;
    ScriptedPrompts m_prompts;
    CRangeBar m_bar;
};

TEST_F(EditLimitsTest, ABadFieldKeepsTheDialogOpenAndCancelLeavesTheBarAsItWas)
{
    QSignalSpy reports(&m_bar, &CRangeBar::rangeBarNotify);
    EXPECT_FALSE(run([this](CLimitDlg &dialog) {
        edit(dialog, IDC_RANGE_MAX)->setText("5000");
        edit(dialog, IDC_WINDOW_MIN)->setText("abc");
        click(dialog, IDC_LIMITS_OK);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(m_prompts.shown.size(), 1u);
        click(dialog, IDC_LIMITS_CANCEL);
    }));
    EXPECT_EQ(m_prompts.shown.size(), 1u) << "Cancel checks nothing";
    EXPECT_EQ(limitsOf(m_bar), (TemperatureLimits{1000, 100, 800, 200}));
    EXPECT_EQ(reports.count(), 0);
}

TEST_F(EditLimitsTest, OkWithoutChangesHandsTheBarsValuesBack)
{
    TemperatureLimits shown;
    EXPECT_TRUE(run([&](CLimitDlg &dialog) {
        shown = {edit(dialog, IDC_RANGE_MAX)->text().toInt(),
                 edit(dialog, IDC_RANGE_MIN)->text().toInt(),
                 edit(dialog, IDC_WINDOW_MAX)->text().toInt(),
                 edit(dialog, IDC_WINDOW_MIN)->text().toInt()};
        click(dialog, IDC_LIMITS_OK);
    }));
    EXPECT_EQ(shown, (TemperatureLimits{1000, 100, 800, 200}));
    EXPECT_EQ(limitsOf(m_bar), shown);
}

TEST_F(EditLimitsTest, AMinimumAboveTheMaximumReachesTheBarAsTyped)
{
    EXPECT_TRUE(run([](CLimitDlg &dialog) {
        edit(dialog, IDC_RANGE_MAX)->setText("50");
        edit(dialog, IDC_RANGE_MIN)->setText("80");
        edit(dialog, IDC_WINDOW_MAX)->setText("60");
        edit(dialog, IDC_WINDOW_MIN)->setText("70");
        click(dialog, IDC_LIMITS_OK);
    }));
    // The bar's own rules decide what the four setters in this order leave.
    CRangeBar expected;
    expected.SetMax(1000);
    expected.SetMin(100);
    expected.SetWinMax(800);
    expected.SetWinMin(200);
    expected.SetMax(50);
    expected.SetMin(80);
    expected.SetWinMax(60);
    expected.SetWinMin(70);
    EXPECT_EQ(limitsOf(m_bar), limitsOf(expected));
}

TEST(EditLimitsWithoutBarTest, DoesNothing)
{
    ScriptedPrompts prompts;
    EXPECT_FALSE(EditLimits(nullptr, nullptr, prompts));
}

} // namespace
