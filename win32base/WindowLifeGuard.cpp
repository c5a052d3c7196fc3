#include "win32base/WindowLifeGuard.h"

#include "win32base/WindowLifeMessages.h"

namespace win32base {
namespace {

// Taken once and kept for the life of the process.
ATOM DestructionBegunAtom() noexcept {
  static const ATOM atom = GlobalAddAtomW(kDestructionBegunProperty);
  return atom;
}

}  // namespace

WindowLifeGuard::WindowLifeGuard() noexcept
    : posted_(SetWindowsHookExW(WH_GETMESSAGE, FilterPosted, nullptr, GetCurrentThreadId())),
      destruction_(DestructionBegunAtom()
                       ? SetWindowsHookExW(WH_CBT, MarkDestruction, nullptr, GetCurrentThreadId())
                       : nullptr) {}

LRESULT CALLBACK WindowLifeGuard::FilterPosted(int code, WPARAM wParam, LPARAM lParam) noexcept {
  // One only looked at is changed for the looker too, and again for whoever takes it.
  if (code == HC_ACTION)
    DropPostedWindowLifeMessage(*reinterpret_cast<MSG*>(lParam));
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK WindowLifeGuard::MarkDestruction(int code, WPARAM wParam, LPARAM lParam) noexcept {
  // Our windows take the mark off at their WM_NCDESTROY; another's goes with its properties.
  if (code == HCBT_DESTROYWND)
    SetPropW(reinterpret_cast<HWND>(wParam), AtomAsName(DestructionBegunAtom()), reinterpret_cast<HANDLE>(1));
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace win32base
