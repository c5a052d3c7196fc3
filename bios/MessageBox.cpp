#include "MessageBox.h"

#include <cstdio>
#include <utility>

namespace bios {
namespace {

// Until a host installs its own (the program shows a real box), nothing is lost: the text goes to the
// error output.
void DefaultMessageBox(const char* text, const char* caption) {
  std::fprintf(stderr, "%s: %s\n", caption, text);
}

MessageBoxFunction& Installed() {
  static MessageBoxFunction installed;
  return installed;
}

}  // namespace

void ShowMessageBox(const char* text, const char* caption) {
  if (Installed())
    Installed()(text, caption);
  else
    DefaultMessageBox(text, caption);
}

MessageBoxFunction ReplaceMessageBox(MessageBoxFunction replacement) {
  return std::exchange(Installed(), std::move(replacement));
}

}  // namespace bios
