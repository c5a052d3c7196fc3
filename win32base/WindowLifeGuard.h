#pragma once

#include <windows.h>

#include "win32base/UniqueHandle.h"

namespace win32base {

// While it lives, on the thread that made it: every loop there, a message box's or another library's
// included, takes a posted window-life message as WM_NULL; and each window the system begins to destroy
// there is marked (kDestructionBegunProperty), so that its WM_DESTROY and WM_NCDESTROY are believed
// even inside the handling of a message another thread sent. A loop of ours calls
// DropPostedWindowLifeMessage as well, should the system have refused the hooks.
class WindowLifeGuard {
 public:
  WindowLifeGuard() noexcept;

 private:
  static LRESULT CALLBACK FilterPosted(int code, WPARAM wParam, LPARAM lParam) noexcept;
  static LRESULT CALLBACK MarkDestruction(int code, WPARAM wParam, LPARAM lParam) noexcept;

  UniqueHook posted_;
  UniqueHook destruction_;
};

}  // namespace win32base
