#pragma once

#include <windows.h>

#include "framework/Object.h"

namespace framework {

// A component of a form: either a child window of its own, created with the form's window,
// destroyed with it and told about the notifications the form receives for it; or one without a
// window, which the form paints as part of its own client area.
class TControl : public TObject {
 public:
  virtual void CreateHandle(HWND parent, HFONT font) = 0;
  // Null for a control without a window of its own.
  virtual HWND Handle() const = 0;
  // A WM_COMMAND notification from this control's window.
  virtual void Notify(UINT code) = 0;
  // Draws a control without a window into its form's client area.
  virtual void Paint(HDC) {}
  // Whether its painting covers a rectangle of the form's client area with opaque pixels: the form
  // need not erase what will be painted over at once.
  virtual bool Covers(RECT&) const { return false; }
};

}  // namespace framework
