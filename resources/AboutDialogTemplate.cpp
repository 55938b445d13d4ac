#include "resources/AboutDialogTemplate.h"

#include <array>

namespace {

constexpr std::array<ControlTemplate, 11> Controls{{
    {IDC_STATIC, ControlKind::Icon, "", {11, 17, 20, 20}},
    {IDC_STATIC, ControlKind::Static, "ORMA версия продукта", {40, 10, 83, 8}},
    {IDC_PRODUCT_VERSION, ControlKind::Static, "", {133, 10, 64, 8}},
    {IDC_STATIC, ControlKind::Static, "версия файла", {59, 19, 48, 8}},
    {IDC_FILE_VERSION, ControlKind::Static, "", {133, 19, 25, 8}},
    {IDC_STATIC, ControlKind::Static, "© 2026 Разработчики ORMA", {40, 30, 129, 8}},
    {IDC_ABOUT_OK, ControlKind::PushButton, "OK", {223, 7, 50, 16}},
    {IDC_STATIC, ControlKind::EtchedLine, "", {7, 43, 266, 1}},
    {IDC_STATIC,
     ControlKind::Static,
     "Программа взаимодействия с ручными ИК-пирометрами:",
     {34, 50, 192, 8}},
    {IDC_STATIC, ControlKind::Static, "– с выгрузкой памяти измерений", {33, 59, 58, 8}},
    {IDC_STATIC, ControlKind::Static, "– с непрерывной передачей показаний", {33, 67, 58, 8}},
}};

constexpr DialogTemplate Template{IDD_ABOUTBOX, "О программе ORMA", {280, 86}, Controls};

} // namespace

const DialogTemplate &AboutDialogTemplate()
{
    return Template;
}
