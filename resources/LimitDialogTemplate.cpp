#include "resources/LimitDialogTemplate.h"

#include <array>

namespace {

// Template order is the tab order: the buttons first, then the four fields from top to bottom.
constexpr std::array<ControlTemplate, 11> Controls{{
    {IDC_LIMITS_OK, ControlKind::PushButton, "OK", {111, 7, 50, 14}},
    {IDC_LIMITS_CANCEL, ControlKind::PushButton, "Cancel", {111, 24, 50, 14}},
    {IDC_STATIC, ControlKind::Static, "Максимум", {7, 10, 34, 8}},
    {IDC_STATIC, ControlKind::Static, "Минимум", {7, 65, 30, 8}},
    {IDC_STATIC, ControlKind::GroupBox, "Окно", {7, 23, 94, 38}},
    {IDC_STATIC, ControlKind::Static, "Максимум", {17, 32, 34, 8}},
    {IDC_STATIC, ControlKind::Static, "Минимум", {17, 47, 30, 8}},
    {IDC_RANGE_MAX, ControlKind::Edit, "", {45, 7, 40, 14}},
    {IDC_WINDOW_MAX, ControlKind::Edit, "", {58, 29, 40, 14}},
    {IDC_WINDOW_MIN, ControlKind::Edit, "", {58, 44, 40, 14}},
    {IDC_RANGE_MIN, ControlKind::Edit, "", {45, 62, 40, 14}},
}};

constexpr DialogTemplate Template{IDD_LIMITS, "Пределы", {168, 83}, Controls};

} // namespace

const DialogTemplate &LimitDialogTemplate()
{
    return Template;
}
