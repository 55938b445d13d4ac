#pragma once

#include "resources/DialogTemplate.h"

#include <QDialog>

#include <cstdint>
#include <vector>

class CRangeBar;
class Prompts;

// The temperature bar's range and window in whole degrees Celsius.
struct TemperatureLimits
{
    std::int32_t rangeMaximum = 0;
    std::int32_t rangeMinimum = 0;
    std::int32_t windowMaximum = 0;
    std::int32_t windowMinimum = 0;

    bool operator==(const TemperatureLimits &) const = default;
};

// The dialog "Пределы": four fields for the range's and the window's maximum and minimum.
// The fields take any text; OK closes the dialog only when all four hold whole numbers, and
// otherwise tells the user so and puts the focus on the first field that does not. The values
// are not compared with each other. Cancel reads nothing.
class CLimitDlg : public QDialog
{
    Q_OBJECT
public:
    // Prompts shows the message about a field that is not a whole number.
    explicit CLimitDlg(Prompts &prompts, QWidget *parent = nullptr);
    ~CLimitDlg() override;

    // Written into the fields each time the dialog is shown; all 0 after construction.
    void setLimits(const TemperatureLimits &limits) { m_limits = limits; }
    // After OK, the values typed. Fields read before a failed check keep what was read.
    const TemperatureLimits &limits() const { return m_limits; }

    QWidget *control(int id) const;

    // Reads the fields in the order range maximum, range minimum, window maximum, window
    // minimum, and stops at the first that is not a whole number (prompt, focus on it): true
    // when all four were read. With saveAndValidate false, writes the values into the fields.
    bool DoDataExchange(bool saveAndValidate);

    // OK: closes the dialog as accepted only when DoDataExchange(true) succeeds.
    void accept() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    bool exchange(int id, std::int32_t &value, bool saveAndValidate);

    Prompts &m_prompts;
    std::vector<BuiltControl> m_controls;
    TemperatureLimits m_limits;
};

// The graph's "Пределы по шкале температуры": shows temperatureBar's range and window in the
// dialog and, on OK, applies them to the bar in the order SetMax, SetMin, SetWinMax,
// SetWinMin, as typed. Does nothing without a bar. Returns whether the bar was set.
bool EditLimits(CRangeBar *temperatureBar, QWidget *parent, Prompts &prompts);
