#pragma once

#include <windows.h>

// The primary screen's DPI, and lengths given at 96 dpi brought to it. The program is aware of each
// monitor's DPI, so the system stretches nothing of the OSD: what is drawn at 96 dpi in a given size is
// drawn at that size times DPI / 96 on a screen of more pixels per inch.
inline constexpr UINT DefaultScreenDpi = 96;

UINT PrimaryScreenDpi();
// The DPI of the monitor that holds most of the rectangle (the primary's before Windows 8.1).
UINT MonitorDpi(const RECT& monitor);

// Rounded to whole pixels.
int ScaledToDpi(int pixelsAt96, UINT dpi);
