#pragma once

#include <windows.h>

#include "win32base/WindowLifeMessages.h"

namespace win32base {

// The message loop of a small program whose windows all live on its main thread (made under a
// WindowLifeGuard): runs until WM_QUIT, or until the queue cannot be read, and takes a posted
// window-life message for the forgery it is.
inline void RunMessageLoop() noexcept {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    DropPostedWindowLifeMessage(message);
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

}  // namespace win32base
