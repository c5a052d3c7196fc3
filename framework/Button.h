#pragma once

#include <windows.h>

#include <string>

#include "framework/Control.h"
#include "framework/Form.h"

namespace framework {

struct TButtonDescription {
  const wchar_t* Caption;
  int Left;
  int Top;
  int Width;
  int Height;
  int TabOrder;
};

// A push button on a form. Buttons get their windows in the order they are inserted, which is their
// tab order.
class TButton : public TControl {
 public:
  TButton(TForm& owner, const TButtonDescription& description);

  void CreateHandle(HWND parent, HFONT font) override;
  HWND Handle() const override { return window_; }
  void Notify(UINT code) override;
  // Does what a user's click does.
  void Click();

  TNotifyEvent OnClick;

 private:
  TButtonDescription description_;
  HWND window_ = nullptr;  // a child window: its parent form destroys it
};

}  // namespace framework
