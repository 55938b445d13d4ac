#pragma once

#include "resources/DialogTemplate.h"

// Ids of the main dialog's controls.
enum MainDialogControl
{
    IDCANCEL = 2,
    IDC_SOURCE = 1001,
    IDC_GET_DATA = 1002,
    IDC_PROGRESS = 1003,
    IDC_TABLE = 1004,
    IDC_SAVE = 1005,
    IDC_GRAPH = 1006,
    IDC_PRINT = 1007,
    IDC_EXCEL = 1008,
    IDC_HELP_BUTTON = 1009,
    IDC_PERIOD = 1010,
    IDC_PERIOD_LABEL = 1011,
    IDC_FROM_MEMORY = 1012,
    IDC_CONTINUOUS = 1013,
    IDC_REPORT = 1014,
};

inline constexpr int IDD_ORMA_DIALOG = 102;

const DialogTemplate &MainDialogTemplate();
