#pragma once

#include <windows.h>

#include "win32base/UniqueHandle.h"

namespace win32base {

// While it lives, every loop on the thread that made it, a message box's or another library's included,
// takes a posted window-life message as WM_NULL. A loop of ours calls DropPostedWindowLifeMessage as
// well, should the system have refused the hook.
class PostedWindowLifeFilter {
 public:
  PostedWindowLifeFilter() noexcept;

 private:
  static LRESULT CALLBACK Filter(int code, WPARAM wParam, LPARAM lParam) noexcept;

  UniqueHook hook_;
};

}  // namespace win32base
