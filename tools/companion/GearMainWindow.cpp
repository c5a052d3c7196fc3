#include "GearMainWindow.h"

#include <cstdint>
#include <string>

#include "journal/Journal.h"

namespace companion {

bool GearMainWindow::Create(HINSTANCE instance) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = WindowProcedure;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kWindowClass;
  if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    return false;
  // Top-level, not message-only, or FindWindow would not see it; no WS_VISIBLE and no-activate styles
  // so that it never takes the focus from what the user is doing.
  return CreateWindowExW(WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, kWindowClass, kWindowCaption, WS_OVERLAPPED, 0,
                         0, 0, 0, nullptr, nullptr, instance, this) != nullptr;
}

LRESULT CALLBACK GearMainWindow::WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                                 LPARAM lParam) noexcept {
  if (message == WM_NCCREATE) {
    auto* created = static_cast<GearMainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    created->window_.Reset(window);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
  }
  auto* self = reinterpret_cast<GearMainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    if (self)
      self->window_.Release();
    return DefWindowProcW(window, message, wParam, lParam);
  }
  if (!self)
    return DefWindowProcW(window, message, wParam, lParam);
  try {
    return self->Dispatch(message, wParam, lParam);
  } catch (...) {
    // Only the journal line can fail (out of memory); the sender does not use the reply anyway.
    return 0;
  }
}

LRESULT GearMainWindow::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kAnnouncementMessage: {
      // The sender is a 32-bit program: its parameters are 32 bits, the same on the 64-bit twin.
      auto first = static_cast<std::uint32_t>(wParam);
      auto second = static_cast<std::int32_t>(static_cast<std::uint32_t>(lParam));
      journal::Write("companion", "message " + journal::Hex(message) + " " + std::to_string(first) + " " +
                                      std::to_string(second));
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window_.Get(), message, wParam, lParam);
}

HWND FindGearMainWindow() {
  return FindWindowW(kWindowClass, kWindowCaption);
}

}  // namespace companion
