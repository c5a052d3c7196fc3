#include "framework/WindowHost.h"

#include <mutex>
#include <set>
#include <string>

#include "framework/Exception.h"
#include "framework/Text.h"

namespace framework {

void RegisterHostClass(const wchar_t* className) {
  static std::mutex lock;
  static std::set<std::wstring> registered;
  std::lock_guard guard(lock);
  if (registered.count(className))
    return;
  WNDCLASSEXW windowClass = WindowHost::WindowClass(className, GetModuleHandleW(nullptr));
  windowClass.style = CS_DBLCLKS;
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    throw Exception("Cannot register the window class " + Narrow(className));
  }
  registered.insert(className);
}

HWND CreateHostedWindow(WindowHost& host, const wchar_t* className, const wchar_t* caption, DWORD style,
                        DWORD exStyle, int x, int y, int width, int height, HWND parent) {
  RegisterHostClass(className);
  HWND window = CreateWindowExW(exStyle, className, caption, style, x, y, width, height, parent, nullptr,
                                GetModuleHandleW(nullptr), &host);
  if (!window) {
    throw Exception("Cannot create a window of class " + Narrow(className) + " (error " +
                    std::to_string(GetLastError()) + ")");
  }
  return window;
}

HWND CreateMessageWindow(WindowHost& host, const wchar_t* className) {
  return CreateHostedWindow(host, className, L"", 0, 0, 0, 0, 0, 0, HWND_MESSAGE);
}

}  // namespace framework
