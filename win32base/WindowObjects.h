#pragma once

#include <windows.h>

namespace win32base {

// Which object each window of this module answers to, kept in the module's own memory. Nothing a window
// carries will do: any program of the user can write its GWLP_USERDATA, its extra bytes and its
// properties (only UIPI stops it, not the process boundary).
//
// A window is adopted once, by its genuine WM_NCCREATE, and forgotten at its WM_NCDESTROY; in between a
// detach cuts it off from its object for good. Every call may come from any thread.

// WM_NCCREATE: false when the window has had an object before (a forged creation), or when there is no
// memory to keep it. Also watches the calling thread for destructions while it has windows of ours.
bool AdoptWindow(HWND window, void* object) noexcept;

// WM_CREATE: true once only, straight after the adoption.
bool FinishWindowCreation(HWND window) noexcept;

// The window's object: null before WM_NCCREATE, once detached and after WM_NCDESTROY.
void* WindowObject(HWND window) noexcept;

// Cuts a window off from the object it answers for: the window gets the system's default handling from
// now on. For a window that outlives its object, such as one of another thread, which DestroyWindow
// cannot destroy from this one.
void DetachWindowObject(HWND window) noexcept;

// WM_NCDESTROY: the window is gone; its handle may name another window later.
void ForgetWindow(HWND window) noexcept;

}  // namespace win32base
