#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace win32base {

// Conversions between the system code page (the program's 8-bit texts) and UTF-16. Characters the
// code page cannot hold become its default character, never a look-alike: a look-alike could make
// a different text, or a path to a different file, out of one that cannot be spelled.
std::string Narrow(std::wstring_view text);
std::wstring Widen(std::string_view text);

// The text in the system code page, or nothing when a character of it cannot be spelled there: for a
// path, which names no file at all once a character is lost.
std::optional<std::string> NarrowExactly(std::wstring_view text);

}  // namespace win32base
