#include "WindowSearch.h"

#include "WinTestSupport.h"

namespace e2e {
namespace {

struct WindowSearch {
  DWORD processId;
  const std::wstring& className;
  const std::wstring& caption;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectMatchingWindow(HWND window, LPARAM data) {
  auto& search = *reinterpret_cast<WindowSearch*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search.processId)
    return TRUE;
  wchar_t name[256] = {}, text[256] = {};
  GetClassNameW(window, name, 256);
  GetWindowTextW(window, text, 256);
  if ((search.className.empty() || search.className == name) &&
      (search.caption.empty() || search.caption == text)) {
    search.found.push_back(window);
  }
  return TRUE;
}

}  // namespace

std::vector<HWND> WindowsOf(DWORD processId, const std::wstring& className, const std::wstring& caption) {
  WindowSearch search{processId, className, caption, {}};
  EnumWindows(CollectMatchingWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::vector<HWND> VisibleWindowsOf(DWORD processId) {
  std::vector<HWND> visible;
  for (HWND window : WindowsOf(processId, L"")) {
    if (IsWindowVisible(window))
      visible.push_back(window);
  }
  return visible;
}

std::vector<HWND> MessageOnlyWindowsOf(DWORD processId) {
  std::vector<HWND> found;
  for (HWND window = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); window;
       window = FindWindowExW(HWND_MESSAGE, window, nullptr, nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == processId)
      found.push_back(window);
  }
  return found;
}

HWND WaitForWindow(DWORD processId, const std::wstring& className, const std::wstring& caption) {
  HWND found = nullptr;
  wintest::WaitUntil([&] {
    auto windows = WindowsOf(processId, className, caption);
    found = windows.empty() ? nullptr : windows.front();
    return found != nullptr;
  });
  return found;
}

}  // namespace e2e
