#include "osd/ScreenSurvey.h"

#include <cwchar>
#include <iterator>

namespace {

// The shell draws its desktop in more than one window: the shell window itself (Progman), and WorkerW
// windows of the same process that hold the foreground after "Show desktop" or a click on the desktop,
// caption-less and as large as the whole virtual screen.
bool ShellDesktop(HWND window, DWORD process) {
  HWND shell = GetShellWindow();
  if (!shell)
    return false;
  if (window == shell)
    return true;
  DWORD shellProcess = 0;
  GetWindowThreadProcessId(shell, &shellProcess);
  if (shellProcess == 0 || shellProcess != process)
    return false;
  wchar_t name[16] = {};
  if (!GetClassNameW(window, name, static_cast<int>(std::size(name))))
    return false;
  return std::wcscmp(name, L"Progman") == 0 || std::wcscmp(name, L"WorkerW") == 0;
}

struct MonitorList {
  std::vector<MonitorFacts> facts;
  std::vector<HMONITOR> handles;
};

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM context) {
  auto& list = *reinterpret_cast<MonitorList*>(context);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(monitor, &info))
    return TRUE;
  list.facts.push_back({info.rcMonitor, (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
  list.handles.push_back(monitor);
  return TRUE;
}

MonitorList Monitors() {
  MonitorList list;
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&list));
  return list;
}

int IndexOf(const MonitorList& list, HMONITOR monitor) {
  for (std::size_t i = 0; i < list.handles.size(); ++i) {
    if (list.handles[i] == monitor)
      return static_cast<int>(i);
  }
  return -1;
}

ForegroundFacts Foreground(const MonitorList& list) {
  ForegroundFacts facts;
  HWND window = GetForegroundWindow();
  if (!window)
    return facts;
  facts.present = true;
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  facts.ours = process == GetCurrentProcessId();
  facts.visible = IsWindowVisible(window) != FALSE;
  facts.minimised = IsIconic(window) != FALSE;
  facts.maximised = IsZoomed(window) != FALSE;
  facts.shellDesktop = ShellDesktop(window, process);
  LONG style = GetWindowLongW(window, GWL_STYLE);
  facts.captioned = (style & WS_CAPTION) == WS_CAPTION;
  GetWindowRect(window, &facts.rect);
  facts.monitor = IndexOf(list, MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST));
  return facts;
}

using QueryNotificationStateEntry = HRESULT(WINAPI*)(int*);

// Windows Vista and later; looked up at run time, and only once a setting needs it, so that shell32
// costs nothing until then.
int NotificationState() {
  static const QueryNotificationStateEntry entry = [] {
    HMODULE shell = LoadLibraryExW(L"shell32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return shell ? reinterpret_cast<QueryNotificationStateEntry>(
                       reinterpret_cast<void*>(GetProcAddress(shell, "SHQueryUserNotificationState")))
                 : nullptr;
  }();
  int state = 0;
  if (!entry || FAILED(entry(&state)))
    return 0;
  return state;
}

}  // namespace

ScreenFacts SurveyScreen(const OsdSettings& settings) {
  MonitorList list = Monitors();
  ScreenFacts facts;
  facts.monitors = list.facts;
  bool fullScreenCounts = settings.showOsd && settings.overFullScreen != OverFullScreen::ShowOver;
  if (fullScreenCounts || settings.monitor == OsdMonitorChoice::ForegroundWindow)
    facts.foreground = Foreground(list);
  if (settings.monitor == OsdMonitorChoice::Pointer) {
    POINT pointer{};
    if (GetCursorPos(&pointer))
      facts.pointerMonitor = IndexOf(list, MonitorFromPoint(pointer, MONITOR_DEFAULTTONEAREST));
  }
  if (fullScreenCounts)
    facts.notificationState = NotificationState();
  return facts;
}

RECT PrimaryMonitorRect() {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info))
    return info.rcMonitor;
  return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

bool MonitorStillAttached(const RECT& rect) {
  for (const MonitorFacts& monitor : Monitors().facts) {
    if (EqualRect(&monitor.rect, &rect))
      return true;
  }
  return false;
}
