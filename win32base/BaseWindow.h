#pragma once

#include <windows.h>

#include <type_traits>
#include <utility>

#include "win32base/WindowLifeMessages.h"
#include "win32base/WindowObjects.h"

namespace win32base {

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
// reaches one again. Which object a window has, and how far its life has come, is kept in our own memory
// (WindowObjects.h), never in the window, which other programs can write.
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
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        if (!creation || !AdoptWindow(window, static_cast<Derived*>(creation->lpCreateParams)))
          return 0;
        break;
      }
      case WM_CREATE:
        // Straight after WM_NCCREATE, inside the same CreateWindowEx: nothing can come in between.
        if (!FinishWindowCreation(window))
          return 0;
        break;
      case WM_DESTROY:
      case WM_NCDESTROY:
        if (IsForgedSentDestruction(window, message))
          return 0;
        break;
    }
    Derived* object = ObjectOf(window);
    if (message == WM_NCDESTROY)
      ForgetWindow(window);
    if (!object)
      return DefWindowProcW(window, message, wParam, lParam);
    return object->HandleMessage(window, message, wParam, lParam);
  }

  // The object that a window of such a class answers to: null before WM_NCCREATE, and once detached.
  static Derived* ObjectOf(HWND window) noexcept { return static_cast<Derived*>(WindowObject(window)); }

  static void Detach(HWND window) noexcept { DetachWindowObject(window); }

  // A window class whose windows use WindowProcedure; the caller adds styles or a cursor and registers it.
  static WNDCLASSEXW WindowClass(const wchar_t* name, HINSTANCE instance) noexcept {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = name;
    return windowClass;
  }

 protected:
  BaseWindow() = default;
  ~BaseWindow() = default;
};

}  // namespace win32base
