#pragma once

#include <windows.h>

#include "contract/ProcessContract.h"
#include "win32base/BaseWindow.h"
#include "win32base/UniqueHandle.h"

namespace companion {

// What the resident program looks for (FindWindowA) and what it sends after each announcement.
inline constexpr const wchar_t* kWindowClass = contract::CompanionClass;
inline constexpr const wchar_t* kWindowCaption = contract::CompanionCaption;
inline constexpr UINT kAnnouncementMessage = contract::CompanionMessage;

// The configuration window of the suite, reduced to what the resident program talks to: a hidden
// top-level window that journals the announcement message. Closing it ends the message loop.
class GearMainWindow : private win32base::BaseWindow<GearMainWindow> {
 public:
  GearMainWindow() = default;
  GearMainWindow(const GearMainWindow&) = delete;
  GearMainWindow& operator=(const GearMainWindow&) = delete;

  // Creates the window, never shown; false (with GetLastError set) when Windows refuses.
  bool Create();

 private:
  friend class win32base::BaseWindow<GearMainWindow>;

  LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

  win32base::UniqueWindow window_;
};

// The running configuration window of this session, ours or the suite's, or null.
HWND FindGearMainWindow();

}  // namespace companion
