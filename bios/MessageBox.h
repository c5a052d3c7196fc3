#pragma once

#include <functional>

namespace bios {

// Every message the item model shows goes through here, so that a host without a desktop (the tests)
// can see what the user would have seen.
using MessageBoxFunction = std::function<void(const char* text, const char* caption)>;

// Shows the message through the installed function; with none installed, a line on stderr.
void ShowMessageBox(const char* text, const char* caption);

// Installs a replacement and returns the one in use; an empty function restores the default.
MessageBoxFunction ReplaceMessageBox(MessageBoxFunction replacement);

}  // namespace bios
