#pragma once

#include "osd/OsdPlacement.h"

// The monitors, the foreground window and the system's notification state as they are now. The
// foreground window and the state are asked only when the settings make them count, so that the
// default showing costs nothing more than it did.
ScreenFacts SurveyScreen(const OsdSettings& settings);

// The primary monitor's rectangle in physical pixels.
RECT PrimaryMonitorRect();
// Whether a monitor with exactly this rectangle is still attached.
bool MonitorStillAttached(const RECT& rect);
