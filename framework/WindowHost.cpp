#include "framework/WindowHost.h"

#include <mutex>
#include <set>
#include <string>

#include "framework/Exception.h"
#include "framework/Text.h"

namespace framework {
namespace {

LRESULT CALLBACK HostWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
  if (msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* host = reinterpret_cast<WindowHost*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  LRESULT result =
      host ? host->HandleMessage(window, msg, wParam, lParam) : DefWindowProcW(window, msg, wParam, lParam);
  if (msg == WM_NCDESTROY)
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  return result;
}

}  // namespace

void RegisterHostClass(const wchar_t* className) {
  static std::mutex lock;
  static std::set<std::wstring> registered;
  std::lock_guard guard(lock);
  if (registered.count(className))
    return;
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = HostWindowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.lpszClassName = className;
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

void DetachHost(HWND window) noexcept {
  SetWindowLongPtrW(window, GWLP_USERDATA, 0);
}

}  // namespace framework
