#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

#include <span>
#include <vector>

class QDialog;
class QWidget;

// A dialog laid out in dialog units: one horizontal unit is a quarter of the dialog font's
// average character width, one vertical unit an eighth of its height. Keeping the layout in
// these units makes it follow the font the desktop gives the dialog.
enum class ControlKind
{
    Static,
    ComboBox,
    PushButton,
    GroupBox,
    RadioButton,
    Edit,
    ProgressBar,
    ListView,
    Icon,
    EtchedLine,
};

// The id of controls that no code refers to.
inline constexpr int IDC_STATIC = -1;

struct ControlTemplate
{
    int id;
    ControlKind kind;
    const char *text; // UTF-8
    QRect dialogUnits;
};

struct DialogTemplate
{
    int id;
    const char *caption; // UTF-8
    QSize dialogUnits;
    std::span<const ControlTemplate> controls;
};

// Pixels per four horizontal and per eight vertical dialog units of a font.
struct DialogBaseUnits
{
    int width;
    int height;

    static DialogBaseUnits of(const QFont &font);
    QRect toPixels(const QRect &dialogUnits) const;
    QSize toPixels(const QSize &dialogUnits) const;
};

struct BuiltControl
{
    const ControlTemplate *control;
    QWidget *widget;
};

// Creates the template's controls as children of the dialog, in template order (which is
// also their tab order), sizes the dialog and sets its caption. Each widget carries its id
// in the property "controlId".
std::vector<BuiltControl> BuildDialog(const DialogTemplate &dialogTemplate, QDialog &dialog);

// The control with the given id among those built, or null.
QWidget *FindControl(const std::vector<BuiltControl> &controls, int id);
