#include "win32base/PostedWindowLifeFilter.h"

#include "win32base/WindowLifeMessages.h"

namespace win32base {

PostedWindowLifeFilter::PostedWindowLifeFilter() noexcept
    : hook_(SetWindowsHookExW(WH_GETMESSAGE, Filter, nullptr, GetCurrentThreadId())) {}

LRESULT CALLBACK PostedWindowLifeFilter::Filter(int code, WPARAM wParam, LPARAM lParam) noexcept {
  // One only looked at is changed for the looker too, and again for whoever takes it.
  if (code == HC_ACTION)
    DropPostedWindowLifeMessage(*reinterpret_cast<MSG*>(lParam));
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace win32base
