#pragma once

#include <windows.h>

#include "StatusLine.h"

namespace gsctl {

// The top-level window of class TMainForm captioned GearShift, or null when the program is not running.
HWND FindMainForm();

// Reports the main form and the OSD and player windows that belong to the main form's process.
StatusReport SurveyProgramWindows(HWND mainForm);

}  // namespace gsctl
