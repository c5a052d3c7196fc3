#include "framework/Button.h"

#include "framework/Exception.h"

namespace framework {

TButton::TButton(TForm& owner, const TButtonDescription& description) : description_(description) {
  owner.InsertControl(*this);
}

void TButton::CreateHandle(HWND parent, HFONT font) {
  window_ =
      CreateWindowExW(0, L"BUTTON", description_.Caption, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                      description_.Left, description_.Top, description_.Width, description_.Height, parent,
                      nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!window_)
    throw Exception("Cannot create a button (error " + std::to_string(GetLastError()) + ")");
  SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

void TButton::Notify(UINT code) {
  if (code == BN_CLICKED)
    Click();
}

void TButton::Click() {
  if (OnClick)
    OnClick(this);
}

}  // namespace framework
