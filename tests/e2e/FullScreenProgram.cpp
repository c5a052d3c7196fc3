// fullscreenapp.exe: a full-screen program of another process, as a game is: a top-most caption-less
// popup that covers a rectangle (a whole monitor), painted in one colour, holding the foreground.
//
//   fullscreenapp <left> <top> <right> <bottom>
//   fullscreenapp desktop      a stand-in of the shell's desktop instead: a Progman window made the
//                              shell window (SetShellWindow, looked up at run time), and a WorkerW window
//                              of the same process, caption-less, visible and as large as the whole
//                              virtual screen, holding the foreground, as after "Show desktop". Exit 3
//                              when the session has a shell window already or refuses one.
//
// Prints "ready <hwnd hex>" once it holds the foreground and the focus, then one line for each thing a
// game must never suffer, as it happens: "deactivated" (WM_ACTIVATE with WA_INACTIVE), "lost-focus"
// (WM_KILLFOCUS), "minimised" (a minimise or a hide), "moved" (its size or place changed), and
// "lost-foreground" when, checked every 50 ms, another window holds the foreground. Runs until it is
// ended, at most two minutes.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr UINT kLifetime = 120000;  // milliseconds
constexpr UINT_PTR kWatch = 1;
constexpr COLORREF kColour = RGB(0, 200, 0);

RECT placed{};
bool ready = false;

void Print(const char* line) {
  std::printf("%s\n", line);
  std::fflush(stdout);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  switch (message) {
    case WM_ACTIVATE:
      if (ready && LOWORD(wParam) == WA_INACTIVE)
        Print("deactivated");
      break;
    case WM_KILLFOCUS:
      if (ready)
        Print("lost-focus");
      break;
    case WM_SIZE:
      if (ready && wParam == SIZE_MINIMIZED)
        Print("minimised");
      break;
    case WM_SHOWWINDOW:
      if (ready && !wParam)
        Print("minimised");
      break;
    case WM_WINDOWPOSCHANGED: {
      const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
      if (ready && !(pos->flags & SWP_NOMOVE) && (pos->x != placed.left || pos->y != placed.top))
        Print("moved");
      if (ready && !(pos->flags & SWP_NOSIZE) &&
          (pos->cx != placed.right - placed.left || pos->cy != placed.bottom - placed.top))
        Print("moved");
      break;
    }
    case WM_TIMER:
      if (wParam == kWatch && ready && GetForegroundWindow() != window)
        Print("lost-foreground");
      return 0;
    case WM_ERASEBKGND: {
      RECT client;
      GetClientRect(window, &client);
      HBRUSH brush = CreateSolidBrush(kColour);
      FillRect(reinterpret_cast<HDC>(wParam), &client, brush);
      DeleteObject(brush);
      return 1;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateCovering(const wchar_t* className, const wchar_t* caption, DWORD exStyle) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = className;
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  RegisterClassW(&windowClass);
  return CreateWindowExW(exStyle, className, caption, WS_POPUP | WS_VISIBLE, placed.left, placed.top,
                         placed.right - placed.left, placed.bottom - placed.top, nullptr, nullptr,
                         windowClass.hInstance, nullptr);
}

using SetShellWindowEntry = BOOL(WINAPI*)(HWND);

// The shell window and the desktop's WorkerW, as the shell makes them; the WorkerW is returned, to hold
// the foreground. Null, with the reason on the error output, when the session will not have it.
HWND CreateShellDesktop() {
  if (HWND shell = GetShellWindow()) {
    std::fprintf(stderr, "fullscreenapp: the session has a shell window already (%p)\n",
                 static_cast<void*>(shell));
    return nullptr;
  }
  auto setShellWindow = reinterpret_cast<SetShellWindowEntry>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetShellWindow")));
  if (!setShellWindow) {
    std::fprintf(stderr, "fullscreenapp: user32 has no SetShellWindow\n");
    return nullptr;
  }
  HWND progman = CreateCovering(L"Progman", L"Program Manager", 0);
  if (!progman || !setShellWindow(progman) || GetShellWindow() != progman) {
    std::fprintf(stderr, "fullscreenapp: the Progman window could not be made the shell window (error %lu)\n",
                 GetLastError());
    return nullptr;
  }
  return CreateCovering(L"WorkerW", L"", 0);
}

}  // namespace

int main(int argc, char** argv) {
  const bool desktop = argc == 2 && std::strcmp(argv[1], "desktop") == 0;
  if (!desktop && argc != 5) {
    std::fprintf(stderr, "usage: fullscreenapp <left> <top> <right> <bottom> | desktop\n");
    return 2;
  }
  HWND window = nullptr;
  if (desktop) {
    placed.left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    placed.top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    placed.right = placed.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
    placed.bottom = placed.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
    window = CreateShellDesktop();
    if (!window)
      return 3;
  } else {
    placed = {std::atoi(argv[1]), std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4])};
    window = CreateCovering(L"GearShiftTestFullScreen", L"full-screen program", WS_EX_TOPMOST);
  }
  if (!window) {
    std::fprintf(stderr, "fullscreenapp: no window (error %lu)\n", GetLastError());
    return 1;
  }
  SetForegroundWindow(window);
  SetFocus(window);
  UpdateWindow(window);
  SetTimer(window, kWatch, 50, nullptr);
  SetTimer(nullptr, 0, kLifetime, nullptr);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (message.message == WM_TIMER && !message.hwnd)
      break;
    if (!ready && GetForegroundWindow() == window && GetFocus() == window) {
      ready = true;
      char line[64];
      std::snprintf(line, sizeof line, "ready 0x%llx",
                    static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)));
      Print(line);
    }
    DispatchMessageW(&message);
  }
  return 0;
}
