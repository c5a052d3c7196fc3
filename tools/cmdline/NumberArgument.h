#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace cmdline {

// Reads a 32-bit number as people type message ids and codes: decimal, or hex after "0x" / "0X".
// Anything else (a sign, spaces, trailing text, more than 32 bits) is not a number.
std::optional<std::uint32_t> ParseNumber32(std::string_view text);

}  // namespace cmdline
