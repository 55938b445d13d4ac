#include "graph/ThresholdsDialog.h"

#include "companions/Prompts.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>

#include <limits>

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

bool ThresholdsDialog::read(QLineEdit *field, std::optional<std::int32_t> &threshold)
{
    const QString text = field->text().trimmed();
    if (text.isEmpty()) {
        threshold.reset();
        return true;
    }
    bool whole = false;
    const int value = text.toInt(&whole);
    // The temperatures of a series are 16-bit.
    if (whole && value >= std::numeric_limits<std::int16_t>::min() &&
        value <= std::numeric_limits<std::int16_t>::max()) {
        threshold = value;
        return true;
    }
    m_prompts.message(QStringLiteral("Введите целое число градусов или оставьте поле пустым."),
                      Caption, Prompts::Icon::Exclamation);
    field->setFocus();
    field->selectAll();
    return false;
}

void ThresholdsDialog::accept()
{
    TemperatureThresholds typed;
    if (!read(m_upper, typed.upper) || !read(m_lower, typed.lower))
        return;
    if (typed.upper && typed.lower && *typed.upper <= *typed.lower) {
        m_prompts.message(QStringLiteral("Верхний порог должен быть выше нижнего."), Caption,
                          Prompts::Icon::Exclamation);
        m_upper->setFocus();
        return;
    }
    m_thresholds = typed;
    QDialog::accept();
}
