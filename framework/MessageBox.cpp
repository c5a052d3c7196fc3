#include "framework/MessageBox.h"

#include "framework/Application.h"
#include "framework/Text.h"

namespace framework {

void ShowMessageBox(const std::wstring& text, const std::wstring& caption, UINT icon) {
  MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_OK | icon);
}

void ShowMessage(const std::string& text) {
  ShowMessageBox(Widen(text), Application().Title);
}

}  // namespace framework
