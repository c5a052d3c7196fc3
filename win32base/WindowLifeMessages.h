#pragma once

#include <windows.h>

namespace win32base {

// WM_NCCREATE, WM_CREATE, WM_DESTROY and WM_NCDESTROY tell a window's object that it is made or gone,
// and the object may attach, detach or free itself on them. The system sends them only from the window's
// own thread, inside CreateWindowEx and DestroyWindow, and never posts them; any program may post or
// send them to any of our windows, though, so one that came another way is a forgery to ignore.
constexpr bool IsWindowLifeMessage(UINT message) noexcept {
  return message == WM_NCCREATE || message == WM_CREATE || message == WM_DESTROY || message == WM_NCDESTROY;
}

// Whether the system has begun to destroy the window, or a window it is a child of, on this thread: known
// for as long as the thread has a window of this module that answers to an object (WindowObjects.h),
// which watches the thread's destructions, and kept in the module's own memory.
bool DestructionBegun(HWND window) noexcept;

// For a window procedure: a WM_DESTROY or WM_NCDESTROY sent from another thread or process. Inside the
// handling of a message another thread sent, the system's own look sent too; DestructionBegun tells them
// apart.
inline bool IsForgedSentDestruction(HWND window, UINT message) noexcept {
  return (message == WM_DESTROY || message == WM_NCDESTROY) && InSendMessageEx(nullptr) != ISMEX_NOSEND &&
         !DestructionBegun(window);
}

// For a loop that takes messages from the queue: a window-life message there was posted, so forged; it
// becomes WM_NULL, which every window answers by doing nothing.
inline void DropPostedWindowLifeMessage(MSG& message) noexcept {
  if (IsWindowLifeMessage(message.message))
    message.message = WM_NULL;
}

}  // namespace win32base
