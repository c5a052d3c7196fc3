#include "HotKeyCode.h"

namespace tapwatch {

std::uint32_t ModifierOfKey(std::uint32_t key) {
  switch (SidelessKey(key)) {
    case vk::Control:
      return ModCtrl;
    case vk::Shift:
      return ModShift;
    case vk::Menu:
      return ModAlt;
    case vk::LWin:
    case vk::RWin:
      return ModWin;
  }
  return 0;
}

std::uint32_t SidelessKey(std::uint32_t key) {
  switch (key) {
    case vk::LShift:
    case vk::RShift:
      return vk::Shift;
    case vk::LControl:
    case vk::RControl:
      return vk::Control;
    case vk::LMenu:
    case vk::RMenu:
      return vk::Menu;
  }
  return key;
}

bool IsPressable(std::uint32_t code) {
  std::uint32_t key = KeyOf(code);
  return (ModifiersOf(code) & ~AllModifiers) == 0 && key != 0 && key <= 0xFE && ModifierOfKey(key) == 0;
}

std::array<std::uint32_t, 3> ConfiguredCodes(const std::array<std::optional<std::uint32_t>, 3>& values) {
  std::array<std::uint32_t, 3> codes = DefaultCodes;
  for (std::size_t level = 0; level < codes.size(); ++level) {
    if (values[level])
      codes[level] = *values[level];
  }
  return codes;
}

}  // namespace tapwatch
