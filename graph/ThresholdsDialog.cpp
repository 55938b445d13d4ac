#include "graph/ThresholdsDialog.h"

#include "companions/Prompts.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>

namespace {

const QString Caption = QStringLiteral("Пороги");

QString fieldText(const std::optional<std::int32_t> &threshold)
{
    return threshold ? QString::number(*threshold) : QString();
}

} // namespace

ThresholdsDialog::ThresholdsDialog(Prompts &prompts, const TemperatureThresholds &thresholds,
                                   QWidget *parent)
    : QDialog(parent), m_prompts(prompts), m_upper(new QLineEdit(fieldText(thresholds.upper))),
      m_lower(new QLineEdit(fieldText(thresholds.lower))), m_thresholds(thresholds)
{
    setWindowTitle(Caption);
    auto *layout = new QFormLayout(this);
    layout->addRow(QStringLiteral("Верхний порог, °C:"), m_upper);
    layout->addRow(QStringLiteral("Нижний порог, °C:"), m_lower);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    layout->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &ThresholdsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ThresholdsDialog::reject);
}

void ThresholdsDialog::accept()
{
    TemperatureThresholds typed;
    const ThresholdsFault fault = ReadThresholds(m_upper->text(), m_lower->text(), typed);
    if (fault != ThresholdsFault::None) {
        m_prompts.message(ThresholdsFaultText(fault), Caption, Prompts::Icon::Exclamation);
        QLineEdit *field = fault == ThresholdsFault::LowerUnreadable ? m_lower : m_upper;
        field->setFocus();
        // A number that does not read is typed anew; of two in the wrong order either may be
        // the one to mend.
        if (fault != ThresholdsFault::UpperNotAboveLower)
            field->selectAll();
        return;
    }
    m_thresholds = typed;
    QDialog::accept();
}
