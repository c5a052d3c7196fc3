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

// The property that a WindowLifeGuard puts on a window whose destruction the system has begun. An atom
// of its own, so that setting it on any window, ours or not, takes no reference on the atom.
inline constexpr wchar_t kDestructionBegunProperty[] = L"GearShiftDestructionBegun";

// An atom where a property's name goes (MAKEINTATOM gives the 8-bit kind).
inline LPCWSTR AtomAsName(ATOM atom) noexcept {
  return reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(atom));
}

// Whether the system has begun to destroy the window, or a window it is a child of, on this thread; known
// only where a WindowLifeGuard watches the thread.
inline bool DestructionBegun(HWND window) noexcept {
  ATOM property = GlobalFindAtomW(kDestructionBegunProperty);
  if (!property)
    return false;
  for (HWND part = window; part; part = GetAncestor(part, GA_PARENT)) {
    if (GetPropW(part, AtomAsName(property)))
      return true;
  }
  return false;
}

// Takes the mark off a window at its WM_NCDESTROY, as a window's properties must be.
inline void ForgetDestructionBegun(HWND window) noexcept {
  if (ATOM property = GlobalFindAtomW(kDestructionBegunProperty))
    RemovePropW(window, AtomAsName(property));
}

// For a window procedure: a WM_DESTROY or WM_NCDESTROY sent from another thread or process. Inside the
// handling of a message another thread sent, the system's own look sent too; a WindowLifeGuard on the
// thread tells them apart, and without one they are taken for forgeries.
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
