#pragma once

#include <windows.h>

#include "tray/LevelGauge.h"
#include "win32base/UniqueHandle.h"

namespace tray {

using UniqueIcon = win32base::UniqueHandle<win32base::NullHandleTraits<HICON, DestroyIcon>>;

// The icon's size for a DPI, as the shell asks for small icons there.
int SmallIconSize(UINT dpi);
// The picture of the gauge at that size, in the colours of the user's theme (high contrast included);
// null when the system cannot make it.
UniqueIcon MakeLevelIcon(int size, Gauge gauge);

}  // namespace tray
