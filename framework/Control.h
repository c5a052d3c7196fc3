#pragma once

#include <windows.h>

#include "framework/Object.h"

namespace framework {

// A component that lives as a child window of a form: created with the form's window, destroyed
// with it, and told about the notifications the form receives for it.
class TControl : public TObject {
 public:
  virtual void CreateHandle(HWND parent, HFONT font) = 0;
  virtual HWND Handle() const = 0;
  // A WM_COMMAND notification from this control's window.
  virtual void Notify(UINT code) = 0;
};

}  // namespace framework
