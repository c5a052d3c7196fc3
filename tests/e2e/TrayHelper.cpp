// trayhelper.exe: the notification area as the end-to-end tests need it, from inside Wine, as the shell
// or another program would act.
//
//   trayhelper menu [ms]       waits for a popup menu on the screen; prints "menu <l,t,r,b>" and, where
//                              the system lets another process read it, "item <n> <checked> <l,t,r,b>
//                              <text>" per item. Exit 1 when none came.
//   trayhelper nomenu [ms]     waits until no popup menu is on the screen. Exit 1 when one stays.
//   trayhelper event <hex>     tells the program's icon of a shell event as the shell does with the
//                              fourth version (0x401 Enter or Space, 0x7b Shift+F10 or the menu key),
//                              anchored at the screen's bottom right corner.
//   trayhelper drop            removes the program's icon from the notification area, as a shell that
//                              restarts loses it. Exit 1 when the shell refused.
//   trayhelper taskbarcreated  broadcasts "TaskbarCreated", as a shell that has started does.
//   trayhelper foreground      prints the class of the foreground window.
#include <windows.h>
#include <shellapi.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "contract/ProcessContract.h"

namespace {

BOOL CALLBACK FindVisibleMenu(HWND window, LPARAM found) {
  wchar_t name[32] = {};
  GetClassNameW(window, name, 32);
  if (std::wstring(name) == L"#32768" && IsWindowVisible(window)) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

HWND VisibleMenu() {
  HWND found = nullptr;
  EnumWindows(FindVisibleMenu, reinterpret_cast<LPARAM>(&found));
  return found;
}

template <class Condition>
bool WaitFor(Condition condition, int ms) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end)
      return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

void PrintRect(const char* what, const RECT& rect) {
  std::printf("%s%ld,%ld,%ld,%ld", what, rect.left, rect.top, rect.right, rect.bottom);
}

int Menu(int ms) {
  HWND window = nullptr;
  if (!WaitFor([&] { return (window = VisibleMenu()) != nullptr; }, ms)) {
    std::printf("no menu\n");
    return 1;
  }
  RECT rect{};
  GetWindowRect(window, &rect);
  PrintRect("menu ", rect);
  std::printf("\n");
  auto menu = reinterpret_cast<HMENU>(SendMessageW(window, 0x01E1 /* MN_GETHMENU */, 0, 0));
  const int count = menu ? GetMenuItemCount(menu) : -1;
  for (int i = 0; i < count; ++i) {
    wchar_t text[256] = {};
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_STRING | MIIM_STATE | MIIM_FTYPE;
    item.dwTypeData = text;
    item.cch = 255;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &item))
      break;
    RECT itemRect{};
    GetMenuItemRect(nullptr, menu, static_cast<UINT>(i), &itemRect);
    std::printf("item %d %d ", i, (item.fState & MFS_CHECKED) ? 1 : 0);
    PrintRect("", itemRect);
    char narrow[512] = {};
    WideCharToMultiByte(CP_UTF8, 0, text, -1, narrow, sizeof narrow, nullptr, nullptr);
    std::printf(" %s\n", (item.fType & MFT_SEPARATOR) ? "-" : narrow);
  }
  return 0;
}

HWND IconWindow() {
  return FindWindowW(contract::LevelIconClass, contract::LevelIconCaption);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  const int ms = argc > 2 ? std::atoi(argv[2]) : 10000;
  if (command == "menu")
    return Menu(ms);
  if (command == "nomenu")
    return WaitFor([] { return VisibleMenu() == nullptr; }, ms) ? 0 : 1;
  if (command == "event" && argc > 2) {
    HWND icon = IconWindow();
    if (!icon) {
      std::printf("no icon window\n");
      return 1;
    }
    const int x = GetSystemMetrics(SM_CXSCREEN) - 10, y = GetSystemMetrics(SM_CYSCREEN) - 10;
    const auto event = static_cast<WORD>(std::strtoul(argv[2], nullptr, 16));
    return PostMessageW(icon, contract::LevelIconCallbackMessage, MAKEWPARAM(x, y),
                        MAKELPARAM(event, contract::LevelIconId))
               ? 0
               : 1;
  }
  if (command == "drop") {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = IconWindow();
    data.uID = contract::LevelIconId;
    return data.hWnd && Shell_NotifyIconW(NIM_DELETE, &data) ? 0 : 1;
  }
  if (command == "taskbarcreated")
    return PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0) ? 0 : 1;
  if (command == "foreground") {
    wchar_t name[64] = {};
    GetClassNameW(GetForegroundWindow(), name, 64);
    std::printf("%ls\n", name);
    return 0;
  }
  std::fprintf(stderr,
               "usage: trayhelper menu|nomenu [ms] | event <hex> | drop | taskbarcreated | foreground\n");
  return 2;
}
