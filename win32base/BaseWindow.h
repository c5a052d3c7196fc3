#pragma once

#include <windows.h>

#include <type_traits>
#include <utility>

#include "win32base/WindowLifeMessages.h"

namespace win32base {

// Cuts a window off from the object it answers for: the window gets the system's default handling from
// now on. For a window that outlives its object, such as one of another thread, which DestroyWindow
// cannot destroy from this one.
inline void DetachWindowObject(HWND window) noexcept {
  SetWindowLongPtrW(window, GWLP_USERDATA, 0);
}

// The window procedure of a class whose object answers its window's messages:
//
//   class Thing : private BaseWindow<Thing> {
//     friend class BaseWindow<Thing>;
//     LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
//   };
//
// A window of a class registered with WindowProcedure, made with the object (a Derived*, not a pointer to
// another base of it) as CreateWindowEx's last argument, forwards every message to the object's
// HandleMessage from WM_NCCREATE on. WM_NCDESTROY is the last message the object hears, so it may free
// itself there. Messages before WM_NCCREATE (WM_GETMINMAXINFO), after WM_NCDESTROY or after a detach
// get the default handling. Forged window-life messages are ignored altogether: a creation that is not
// the window's first, a destruction sent from another thread or process (posted ones are a loop's to
// drop, see WindowLifeMessages.h); so a window takes an object once only, and once detached never
// reaches one again.
template <class Derived>
class BaseWindow {
 public:
  static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    static_assert(std::is_base_of_v<BaseWindow, Derived>);
    static_assert(noexcept(std::declval<Derived&>().HandleMessage(window, message, wParam, lParam)),
                  "an exception must not cross a window procedure");
    // A forgery gets not even the default handling, which would read a forged CREATESTRUCT.
    switch (message) {
      case WM_NCCREATE: {
        // The system sends it once, first of all; another could hand the window whatever it points at.
        if (Phase(window) != kUnmade || ObjectOf(window))
          return 0;
        SetWindowLongPtrW(window, kLifePhase, kMaking);
        auto* created = static_cast<Derived*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
        break;
      }
      case WM_CREATE:
        // Straight after WM_NCCREATE, inside the same CreateWindowEx: nothing can come in between.
        if (Phase(window) != kMaking)
          return 0;
        SetWindowLongPtrW(window, kLifePhase, kMade);
        break;
      case WM_DESTROY:
      case WM_NCDESTROY:
        if (IsForgedSentDestruction(window, message))
          return 0;
        break;
    }
    Derived* object = ObjectOf(window);
    if (message == WM_NCDESTROY) {
      DetachWindowObject(window);
      ForgetDestructionBegun(window);
    }
    if (!object)
      return DefWindowProcW(window, message, wParam, lParam);
    return object->HandleMessage(window, message, wParam, lParam);
  }

  // The object that a window of such a class answers to: null before WM_NCCREATE, and once detached.
  static Derived* ObjectOf(HWND window) noexcept {
    return reinterpret_cast<Derived*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  }

  static void Detach(HWND window) noexcept { DetachWindowObject(window); }

  // A window class whose windows use WindowProcedure; the caller adds styles or a cursor and registers it.
  static WNDCLASSEXW WindowClass(const wchar_t* name, HINSTANCE instance) noexcept {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.cbWndExtra = kExtraBytes;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = name;
    return windowClass;
  }

 protected:
  BaseWindow() = default;
  ~BaseWindow() = default;

 private:
  // How far the window's creation has come, in its own extra bytes; it never goes back, so a detached
  // window stays without an object.
  static constexpr int kLifePhase = 0;
  static constexpr int kExtraBytes = sizeof(LONG_PTR);
  static constexpr LONG_PTR kUnmade = 0, kMaking = 1, kMade = 2;

  static LONG_PTR Phase(HWND window) noexcept { return GetWindowLongPtrW(window, kLifePhase); }
};

}  // namespace win32base
