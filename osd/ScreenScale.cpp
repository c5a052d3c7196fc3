#include "osd/ScreenScale.h"

namespace {

// MONITOR_DPI_TYPE's MDT_EFFECTIVE_DPI, from shellscalingapi.h.
constexpr int EffectiveDpi = 0;
using GetDpiForMonitorEntry = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

// Windows 8.1 and later say the monitor's own DPI; looked up at run time, since the program also
// starts where shcore.dll does not exist.
GetDpiForMonitorEntry DpiForMonitorEntry() {
  static const GetDpiForMonitorEntry entry = [] {
    HMODULE shcore = LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return shcore ? reinterpret_cast<GetDpiForMonitorEntry>(
                        reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")))
                  : nullptr;
  }();
  return entry;
}

UINT DpiOf(HMONITOR monitor) {
  UINT dpiX = 0, dpiY = 0;
  if (GetDpiForMonitorEntry entry = DpiForMonitorEntry()) {
    if (SUCCEEDED(entry(monitor, EffectiveDpi, &dpiX, &dpiY)) && dpiY > 0)
      return dpiY;
  }
  // Before Windows 8.1 every monitor has the system's DPI.
  HDC screen = GetDC(nullptr);
  int logPixels = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen)
    ReleaseDC(nullptr, screen);
  return logPixels > 0 ? static_cast<UINT>(logPixels) : DefaultScreenDpi;
}

}  // namespace

UINT PrimaryScreenDpi() {
  return DpiOf(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY));
}

UINT MonitorDpi(const RECT& monitor) {
  return DpiOf(MonitorFromRect(&monitor, MONITOR_DEFAULTTOPRIMARY));
}

int ScaledToDpi(int pixelsAt96, UINT dpi) {
  return MulDiv(pixelsAt96, static_cast<int>(dpi), static_cast<int>(DefaultScreenDpi));
}
