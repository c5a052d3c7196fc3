#include "GearMainWindow.h"

#include <cstdint>
#include <string>

#include "journal/Journal.h"

namespace companion {
namespace {

// The program's own windows, found through its main form: its application window has no caption of
// the suite's and is told apart by its class alone, among the windows of the main form's thread.
constexpr const wchar_t* kApplicationWindowClass = L"TApplication";
constexpr UINT kAnswerTimeoutMs = 5000;

BOOL CALLBACK TakeApplicationWindow(HWND window, LPARAM found) {
  wchar_t name[64];
  if (GetClassNameW(window, name, 64) && lstrcmpW(name, kApplicationWindowClass) == 0) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

HWND ProgramApplicationWindow(HWND mainForm) {
  HWND found = nullptr;
  EnumThreadWindows(GetWindowThreadProcessId(mainForm, nullptr), TakeApplicationWindow,
                    reinterpret_cast<LPARAM>(&found));
  return found;
}

void Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, kAnswerTimeoutMs, &result);
}

}  // namespace

bool GearMainWindow::Create() {
  // Double clicks and the arrow cursor, as the program's own window classes have them.
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass = WindowClass(kWindowClass, instance);
  windowClass.style = CS_DBLCLKS;
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    return false;
  // Top-level, not message-only, or FindWindow would not see it; no WS_VISIBLE and no-activate styles
  // so that it never takes the focus from what the user is doing.
  window_.Reset(CreateWindowExW(WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, kWindowClass, kWindowCaption,
                                WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr, instance, this));
  return window_.Valid();
}

LRESULT GearMainWindow::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  switch (message) {
    case kAnnouncementMessage:
      try {
        // The sender is a 32-bit program: its parameters are 32 bits, the same on the 64-bit twin.
        auto first = static_cast<std::uint32_t>(wParam);
        auto second = static_cast<std::int32_t>(static_cast<std::uint32_t>(lParam));
        journal::Write("companion", "message " + journal::Hex(message) + " " + std::to_string(first) + " " +
                                        std::to_string(second));
      } catch (...) {
        // Only the journal line can fail (out of memory); the sender does not use the reply anyway.
      }
      SendAnswer();
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY:
      window_.Release();
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void GearMainWindow::SendAnswer() const noexcept {
  if (answer_ == Answer::Nothing)
    return;
  // Sent from inside this handler: the program is still waiting for the reply to its message.
  HWND mainForm = FindWindowW(contract::MainFormClass, contract::MainFormCaption);
  if (!mainForm)
    return;
  if (answer_ == Answer::Notification) {
    Send(mainForm, contract::ServiceNotifyMessage, contract::MessageTag,
         static_cast<LPARAM>(contract::LevelChangeNotification));
    return;
  }
  if (HWND application = ProgramApplicationWindow(mainForm)) {
    Send(application, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
    Send(application, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  }
}

HWND FindGearMainWindow() {
  return FindWindowW(kWindowClass, kWindowCaption);
}

}  // namespace companion
