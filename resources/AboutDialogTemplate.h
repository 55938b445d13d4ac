#pragma once

#include "resources/DialogTemplate.h"

// Ids of the About box's controls.
enum AboutDialogControl
{
    IDC_ABOUT_OK = 1,
    IDC_PRODUCT_VERSION = 1014,
    IDC_FILE_VERSION = 1015,
};

inline constexpr int IDD_ABOUTBOX = 100;

// The command of the main window that opens the About box.
inline constexpr int IDM_ABOUTBOX = 16;

const DialogTemplate &AboutDialogTemplate();
