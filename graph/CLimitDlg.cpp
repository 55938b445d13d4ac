#include "graph/CLimitDlg.h"

#include "companions/CRangeBar.h"
#include "companions/Prompts.h"
#include "companions/ReadDecimal.h"
#include "resources/LimitDialogTemplate.h"

#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

#include <limits>

CLimitDlg::CLimitDlg(Prompts &prompts, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      m_prompts(prompts), m_controls(BuildDialog(LimitDialogTemplate(), *this))
{
    setFixedSize(size());
    // Enter in a field presses OK, as in any dialog with a default button.
    auto *ok = static_cast<QPushButton *>(control(IDC_LIMITS_OK));
    ok->setDefault(true);
    ok->setFocus();
    connect(ok, &QPushButton::clicked, this, &CLimitDlg::accept);
    connect(static_cast<QPushButton *>(control(IDC_LIMITS_CANCEL)), &QPushButton::clicked, this,
            &CLimitDlg::reject);
}

CLimitDlg::~CLimitDlg() = default;

QWidget *CLimitDlg::control(int id) const
{
    return FindControl(m_controls, id);
}

bool CLimitDlg::DoDataExchange(bool saveAndValidate)
{
    return exchange(IDC_RANGE_MAX, m_limits.rangeMaximum, saveAndValidate) &&
           exchange(IDC_RANGE_MIN, m_limits.rangeMinimum, saveAndValidate) &&
           exchange(IDC_WINDOW_MAX, m_limits.windowMaximum, saveAndValidate) &&
           exchange(IDC_WINDOW_MIN, m_limits.windowMinimum, saveAndValidate);
}

bool CLimitDlg::exchange(int id, std::int32_t &value, bool saveAndValidate)
{
    auto *edit = static_cast<QLineEdit *>(control(id));
    if (!saveAndValidate) {
        edit->setText(QString::number(value));
        return true;
    }
    if (const std::optional<std::int32_t> typed =
            ReadWholeNumber(edit->text(), std::numeric_limits<std::int32_t>::min(),
                            std::numeric_limits<std::int32_t>::max())) {
        value = *typed;
        return true;
    }
    m_prompts.message(QStringLiteral("Введите целое число."), ErrorCaption,
                      Prompts::Icon::Exclamation);
    edit->setFocus();
    edit->selectAll();
    return false;
}

void CLimitDlg::accept()
{
    if (DoDataExchange(true))
        QDialog::accept();
}

void CLimitDlg::showEvent(QShowEvent *event)
{
    // A show the program asks for, not the desktop's restoring of a minimised window.
    if (!event->spontaneous())
        DoDataExchange(false);
    QDialog::showEvent(event);
}

bool EditLimits(CRangeBar *temperatureBar, QWidget *parent, Prompts &prompts)
{
    if (temperatureBar == nullptr)
        return false;
    CLimitDlg dialog(prompts, parent);
    dialog.setLimits({temperatureBar->GetMax(), temperatureBar->GetMin(),
                      temperatureBar->GetWinMax(), temperatureBar->GetWinMin()});
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const TemperatureLimits &typed = dialog.limits();
    temperatureBar->SetMax(typed.rangeMaximum);
    temperatureBar->SetMin(typed.rangeMinimum);
    temperatureBar->SetWinMax(typed.windowMaximum);
    temperatureBar->SetWinMin(typed.windowMinimum);
    return true;
}
