#pragma once

#include <windows.h>

#include <string>

namespace framework {

// The program's one way to tell the user something: a modal box without owner and with one OK button,
// the text, the caption and the icon (none unless asked for). Returns when the user has closed it.
void ShowMessageBox(const std::wstring& text, const std::wstring& caption, UINT icon = 0);

// The simple message box: the text under the application's title.
void ShowMessage(const std::string& text);

}  // namespace framework
