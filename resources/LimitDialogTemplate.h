#pragma once

#include "resources/DialogTemplate.h"

// Ids of the limits dialog's controls.
enum LimitDialogControl
{
    IDC_LIMITS_OK = 1,
    IDC_LIMITS_CANCEL = 2,
    IDC_RANGE_MAX = 1016,
    IDC_WINDOW_MAX = 1017,
    IDC_WINDOW_MIN = 1018,
    IDC_RANGE_MIN = 1019,
};

inline constexpr int IDD_LIMITS = 133;

const DialogTemplate &LimitDialogTemplate();
