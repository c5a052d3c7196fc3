#include "MessageBox.h"

#include <cstdio>
#include <utility>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace bios {
namespace {

void DefaultMessageBox(const char* text, const char* caption) {
#if defined(_WIN32)
  MessageBoxA(nullptr, text, caption, MB_OK);
#else
  std::fprintf(stderr, "%s: %s\n", caption, text);
#endif
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
