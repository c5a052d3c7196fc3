#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "win32base/UniqueHandle.h"

namespace wintest {

struct ReceivedMessage {
  UINT message;
  WPARAM wParam;
  // The suite's messages carry a 32-bit code in lParam; only those 32 bits count, on any pointer width.
  std::uint32_t code;
  bool operator==(const ReceivedMessage&) const = default;
};

// A top-level window of a chosen class and caption that stands in for one of the program's windows and
// remembers every application message (WM_USER and up) that reaches it.
class RecordingWindow {
 public:
  RecordingWindow(const wchar_t* className, const wchar_t* caption, DWORD style = WS_OVERLAPPED,
                  RECT rect = {0, 0, 100, 100}) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = className;
    RegisterClassExW(&windowClass);  // already registered by an earlier window of the same class is fine
    window_.Reset(CreateWindowExW(0, className, caption, style, rect.left, rect.top, rect.right - rect.left,
                                  rect.bottom - rect.top, nullptr, nullptr, GetModuleHandleW(nullptr), this));
  }
  RecordingWindow(const RecordingWindow&) = delete;
  RecordingWindow& operator=(const RecordingWindow&) = delete;

  HWND Handle() const { return window_.Get(); }
  void Destroy() { window_.Reset(); }

  size_t CountOf(const ReceivedMessage& expected) const {
    return static_cast<size_t>(std::count(received_.begin(), received_.end(), expected));
  }
  bool Received(const ReceivedMessage& expected) const { return CountOf(expected) > 0; }
  const std::vector<ReceivedMessage>& All() const { return received_; }

 private:
  static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_NCCREATE)
      SetWindowLongPtrW(window, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    auto* self = reinterpret_cast<RecordingWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCDESTROY)
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    if (self && message >= WM_USER && message < 0xC000) {
      try {
        self->received_.push_back({message, wParam, static_cast<std::uint32_t>(lParam)});
      } catch (...) {
        // A lost record shows up as a failed expectation; it must not cross the window procedure.
      }
      return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }

  std::vector<ReceivedMessage> received_;
  win32base::UniqueWindow window_;
};

}  // namespace wintest
