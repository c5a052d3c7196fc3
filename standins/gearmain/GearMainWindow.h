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

// What the window does, beside journalling it, while the program waits for its answer to the
// announcement message. The real configuration window is another program that may do anything there;
// the tests ask for the awkward cases.
enum class Answer {
  Nothing,
  // The session ends: WM_QUERYENDSESSION and WM_ENDSESSION (TRUE) to the program's application window.
  EndSession,
  // The service's level-change notification, sent to the program's main form.
  Notification,
};

// The configuration window of the suite, reduced to what the resident program talks to: a hidden
// top-level window that journals the announcement message. Closing it ends the message loop.
class GearMainWindow : private win32base::BaseWindow<GearMainWindow> {
 public:
  explicit GearMainWindow(Answer answer = Answer::Nothing) : answer_(answer) {}
  GearMainWindow(const GearMainWindow&) = delete;
  GearMainWindow& operator=(const GearMainWindow&) = delete;

  // Creates the window, never shown; false (with GetLastError set) when Windows refuses.
  bool Create();

 private:
  friend class win32base::BaseWindow<GearMainWindow>;

  LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
  void SendAnswer() const noexcept;

  Answer answer_;
  win32base::UniqueWindow window_;
};

// The running configuration window of this session, ours or the suite's, or null.
HWND FindGearMainWindow();

}  // namespace companion
