#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace cmdline {

// What reading an unsigned 32-bit number gave, with the reason when it gave none.
struct NumberReading {
  enum class Outcome { Read, NotANumber, TooLarge };
  Outcome outcome = Outcome::NotANumber;
  std::uint32_t value = 0;
};

// Reads a 32-bit number as people type message ids, codes and BIOS entries: decimal, or hex after
// "0x" / "0X". A sign, spaces or trailing text make it no number; more than 32 bits make it too large.
NumberReading ReadNumber32(std::string_view text);

// The same, when the reason does not matter.
std::optional<std::uint32_t> ParseNumber32(std::string_view text);

}  // namespace cmdline
