#include "NumberArgument.h"

namespace cmdline {

NumberReading ReadNumber32(std::string_view text) {
  unsigned base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty())
    return {};

  std::uint64_t value = 0;
  bool tooLarge = false;
  for (char c : text) {
    unsigned digit;
    if (c >= '0' && c <= '9')
      digit = static_cast<unsigned>(c - '0');
    else if (base == 16 && c >= 'a' && c <= 'f')
      digit = static_cast<unsigned>(c - 'a' + 10);
    else if (base == 16 && c >= 'A' && c <= 'F')
      digit = static_cast<unsigned>(c - 'A' + 10);
    else
      return {};
    // Reading goes on past an overflow: a bad character later still makes it no number at all.
    if (!tooLarge) {
      value = value * base + digit;
      tooLarge = value > UINT32_MAX;
    }
  }
  if (tooLarge)
    return {NumberReading::Outcome::TooLarge, 0};
  return {NumberReading::Outcome::Read, static_cast<std::uint32_t>(value)};
}

std::optional<std::uint32_t> ParseNumber32(std::string_view text) {
  NumberReading reading = ReadNumber32(text);
  if (reading.outcome != NumberReading::Outcome::Read)
    return std::nullopt;
  return reading.value;
}

}  // namespace cmdline
