#pragma once

#include <windows.h>

#include "osd/OsdPlacement.h"

// Leaves where a showing went on the OSD window, where the control tool reads it from another process.
void RecordShowing(HWND osd, const OsdPlacement& placement);
// Before the window goes: a property left on it would outlive it.
void ForgetShowing(HWND osd);
