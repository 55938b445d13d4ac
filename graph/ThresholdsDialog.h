#pragma once

#include "plot/TemperatureThresholds.h"

#include <QDialog>

class Prompts;
class QLineEdit;

// "Пороги": an upper and a lower temperature marked across the plot, each a whole number of
// degrees or left empty for none.
class ThresholdsDialog : public QDialog
{
    Q_OBJECT
public:
    // Prompts shows what is wrong with a field.
    ThresholdsDialog(Prompts &prompts, const TemperatureThresholds &thresholds,
                     QWidget *parent = nullptr);

    // After OK, the thresholds typed.
    const TemperatureThresholds &thresholds() const { return m_thresholds; }
    QLineEdit *upperField() const { return m_upper; }
    QLineEdit *lowerField() const { return m_lower; }

    // OK: closes the dialog only when the fields read as thresholds (ReadThresholds);
    // otherwise tells the user and puts the focus on the field to mend.
    void accept() override;

private:
    Prompts &m_prompts;
    QLineEdit *m_upper;
    QLineEdit *m_lower;
    TemperatureThresholds m_thresholds;
};
