#pragma once

#include <windows.h>

#include "win32base/UniqueHandle.h"

namespace win32base {

// The messages of a window that its object owns, as `owned`, from WM_NCCREATE to WM_NCDESTROY. The
// handle is taken as the window is made (WM_NCCREATE's own default handling already needs it) and let
// go as the window is destroyed; every other message goes to dispatch. A message whose handling throws
// is answered by failed(), and the window goes on.
template <class Dispatch, class Failed>
LRESULT OwnedWindowMessage(UniqueWindow& owned, HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                           Dispatch&& dispatch, Failed&& failed) noexcept {
  if (message == WM_NCCREATE)
    owned.Reset(window);
  if (message == WM_NCDESTROY) {
    owned.Release();
    return DefWindowProcW(window, message, wParam, lParam);
  }
  try {
    return dispatch();
  } catch (...) {
    return failed();
  }
}

}  // namespace win32base
