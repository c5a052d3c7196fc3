// Run by the Wine harness before the suites: an i686 build of this program either starts under Wine
// and says so, or the machine runs no 32-bit code and the suites go to the x86_64 twin.
//
// With "hold-desktop" it instead connects to the desktop and stays until the harness's server ends it.
// Wine starts the desktop's process (explorer.exe /desktop) for the first program that needs the
// desktop, and that process keeps the program's output handles and outlives it by many seconds: if a
// test started it, ctest would wait for the test's output to end until the desktop went. Held from
// the harness, the desktop is started once, with the harness's log as its output, and stays.
//
// With "monitors" it prints the monitors as the program finds them (EnumDisplayMonitors), one a line:
// "left,top,right,bottom", followed by " primary" for the primary one.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

BOOL CALLBACK PrintMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(monitor, &info))
    return TRUE;
  const RECT& r = info.rcMonitor;
  std::printf("%ld,%ld,%ld,%ld%s\n", static_cast<long>(r.left), static_cast<long>(r.top),
              static_cast<long>(r.right), static_cast<long>(r.bottom),
              (info.dwFlags & MONITORINFOF_PRIMARY) ? " primary" : "");
  return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "hold-desktop") == 0) {
    if (!GetDesktopWindow())
      return 1;
    std::printf("wine probe: holding the desktop\n");
    std::fflush(stdout);
    Sleep(INFINITE);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "monitors") == 0) {
    if (!EnumDisplayMonitors(nullptr, nullptr, PrintMonitor, 0))
      return 1;
    return 0;
  }
  std::printf("wine probe: %u-bit code runs\n", static_cast<unsigned>(sizeof(void*) * 8));
  return 0;
}
