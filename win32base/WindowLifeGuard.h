#pragma once

#include <windows.h>

#include "win32base/UniqueHandle.h"

namespace win32base {

// While it lives, on the thread that made it: every loop there, a message box's or another library's
// included, takes a posted window-life message as WM_NULL. A loop of ours calls
// DropPostedWindowLifeMessage as well, should the system have refused the hook. (Sent forgeries are the
// window procedure's to tell, see BaseWindow.h.)
class WindowLifeGuard {
 public:
  WindowLifeGuard() noexcept;

 private:
  static LRESULT CALLBACK FilterPosted(int code, WPARAM wParam, LPARAM lParam) noexcept;

  UniqueHook posted_;
};

}  // namespace win32base
