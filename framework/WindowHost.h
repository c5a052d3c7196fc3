#pragma once

#include <windows.h>

#include "win32base/BaseWindow.h"

namespace framework {

// Something that owns a window and answers its messages, through the base's window procedure. That
// procedure is noexcept: a host's HandleMessage must not let an exception out either.
class WindowHost : public win32base::BaseWindow<WindowHost> {
 public:
  virtual ~WindowHost() = default;
  virtual LRESULT HandleMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) noexcept = 0;
};

// Registers (once per name) a window class whose windows forward to the WindowHost given at creation.
void RegisterHostClass(const wchar_t* className);

// Creates a window of a host class; the host receives every message from WM_NCCREATE on, and none
// after WM_NCDESTROY.
HWND CreateHostedWindow(WindowHost& host, const wchar_t* className, const wchar_t* caption, DWORD style,
                        DWORD exStyle, int x, int y, int width, int height, HWND parent);

// A hidden window that only receives messages: timers and the main-thread channel use one each.
HWND CreateMessageWindow(WindowHost& host, const wchar_t* className = L"GearShiftMessageWindow");

}  // namespace framework
