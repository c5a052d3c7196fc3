#include "win32base/Text.h"

#include <windows.h>

namespace win32base {

namespace {

// WC_NO_BEST_FIT_CHARS: a character without an exact form becomes the default character, and lost
// says so.
std::string NarrowWithoutLookAlikes(std::wstring_view text, bool& lost) {
  lost = false;
  if (text.empty())
    return {};
  const int length = static_cast<int>(text.size());
  int size =
      WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), length, nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<size_t>(size > 0 ? size : 0), '\0');
  BOOL usedDefault = FALSE;
  if (size > 0) {
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), length, result.data(), size, nullptr,
                        &usedDefault);
  }
  lost = usedDefault || size <= 0;
  return result;
}

}  // namespace

std::string Narrow(std::wstring_view text) {
  bool lost = false;
  return NarrowWithoutLookAlikes(text, lost);
}

std::optional<std::string> NarrowExactly(std::wstring_view text) {
  bool lost = false;
  std::string result = NarrowWithoutLookAlikes(text, lost);
  if (lost)
    return std::nullopt;
  return result;
}

std::wstring Widen(std::string_view text) {
  if (text.empty())
    return {};
  int size = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring result(static_cast<size_t>(size > 0 ? size : 0), L'\0');
  if (size > 0)
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), result.data(), size);
  return result;
}

}  // namespace win32base
