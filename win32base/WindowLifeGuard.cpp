#include "win32base/WindowLifeGuard.h"

#include "win32base/WindowLifeMessages.h"

namespace win32base {

WindowLifeGuard::WindowLifeGuard() noexcept
    : posted_(SetWindowsHookExW(WH_GETMESSAGE, FilterPosted, nullptr, GetCurrentThreadId())) {}

LRESULT CALLBACK WindowLifeGuard::FilterPosted(int code, WPARAM wParam, LPARAM lParam) noexcept {
  // One only looked at is changed for the looker too, and again for whoever takes it.
  if (code == HC_ACTION)
    DropPostedWindowLifeMessage(*reinterpret_cast<MSG*>(lParam));
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace win32base
