#pragma once

#include <string>
#include <string_view>

namespace framework {

// Conversions between the system code page (the program's 8-bit texts) and UTF-16. Characters the
// code page cannot hold become its default character, as Windows' own A functions do.
std::string Narrow(std::wstring_view text);
std::wstring Widen(std::string_view text);

}  // namespace framework
