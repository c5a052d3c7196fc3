#include "framework/MessageBox.h"

#include <windows.h>

#include "framework/Application.h"
#include "framework/Text.h"

namespace framework {

void ShowMessage(const std::string& text) {
  MessageBoxW(nullptr, Widen(text).c_str(), Application().Title.c_str(), MB_OK);
}

}  // namespace framework
