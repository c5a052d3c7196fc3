#pragma once

#include <windows.h>

#include "framework/UniqueHandle.h"
#include "framework/WindowHost.h"

namespace companion {

// What the resident program looks for (FindWindowA) and what it sends after each announcement.
inline constexpr wchar_t kWindowClass[] = L"TfrmGearMain";
inline constexpr wchar_t kWindowCaption[] = L"GearMain";
inline constexpr UINT kAnnouncementMessage = 0x7ED;

// The configuration window of the suite, reduced to what the resident program talks to: a hidden
// top-level window that journals the announcement message. Closing it ends the message loop.
class GearMainWindow : private framework::WindowHost {
 public:
  GearMainWindow() = default;
  GearMainWindow(const GearMainWindow&) = delete;
  GearMainWindow& operator=(const GearMainWindow&) = delete;

  // Creates the window, never shown; false (with GetLastError set) when Windows refuses.
  bool Create();

 private:
  LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept override;

  framework::UniqueWindow window_;
};

// The running configuration window of this session, ours or the suite's, or null.
HWND FindGearMainWindow();

}  // namespace companion
