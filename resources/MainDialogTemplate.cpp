#include "resources/MainDialogTemplate.h"

#include <array>

namespace {

constexpr std::array<ControlTemplate, 17> Controls{{
    {IDC_STATIC, ControlKind::Static, "Источник", {7, 9, 33, 8}},
    {IDC_SOURCE, ControlKind::ComboBox, "", {50, 7, 91, 123}},
    {IDC_GET_DATA, ControlKind::PushButton, "Получить данные", {173, 7, 72, 14}},
    {IDC_STATIC, ControlKind::GroupBox, "Режим опроса", {7, 23, 240, 27}},
    {IDC_FROM_MEMORY, ControlKind::RadioButton, "Из памяти", {12, 34, 50, 10}},
    {IDC_CONTINUOUS, ControlKind::RadioButton, "Непрерывно", {67, 34, 58, 10}},
    {IDC_PERIOD_LABEL, ControlKind::Static, "Период опроса, сек", {130, 35, 68, 8}},
    {IDC_PERIOD, ControlKind::Edit, "0", {207, 32, 36, 14}},
    {IDC_PROGRESS, ControlKind::ProgressBar, "", {7, 51, 241, 11}},
    {IDC_TABLE, ControlKind::ListView, "", {7, 63, 241, 185}},
    {IDCANCEL, ControlKind::PushButton, "Завершить", {263, 7, 50, 16}},
    {IDC_SAVE, ControlKind::PushButton, "Сохранить...", {263, 46, 50, 14}},
    {IDC_PRINT, ControlKind::PushButton, "Печатать...", {263, 63, 50, 14}},
    {IDC_EXCEL, ControlKind::PushButton, "в  Exel", {263, 79, 50, 14}},
    {IDC_REPORT, ControlKind::PushButton, "Отчет...", {263, 96, 50, 14}},
    {IDC_GRAPH, ControlKind::PushButton, "График", {263, 123, 50, 14}},
    {IDC_HELP_BUTTON, ControlKind::PushButton, "Справка...", {263, 234, 50, 14}},
}};

constexpr DialogTemplate Template{IDD_ORMA_DIALOG, "ORMA", {320, 255}, Controls};

} // namespace

const DialogTemplate &MainDialogTemplate()
{
    return Template;
}
