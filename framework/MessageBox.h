#pragma once

#include <string>

namespace framework {

// The simple modal message box: the text, the application's title, one OK button. Returns when the
// user has closed it.
void ShowMessage(const std::string& text);

}  // namespace framework
