#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "contract/ProcessContract.h"

// How TapWatch32.dll names a key combination in 32 bits: the held modifiers in the top byte, the
// virtual key of the one other key in the low bits. The program only compares codes for equality, so
// this packing is the library's own; the registry's codes are written in it.
namespace tapwatch {

inline constexpr std::uint32_t ModCtrl = 1, ModShift = 2, ModAlt = 4, ModWin = 8;
inline constexpr std::uint32_t AllModifiers = ModCtrl | ModShift | ModAlt | ModWin;

// The virtual keys the library must tell apart (Windows' values; this part of the library is portable).
namespace vk {
inline constexpr std::uint32_t Shift = 0x10, Control = 0x11, Menu = 0x12;
inline constexpr std::uint32_t LWin = 0x5B, RWin = 0x5C;
inline constexpr std::uint32_t LShift = 0xA0, RShift = 0xA1, LControl = 0xA2, RControl = 0xA3;
inline constexpr std::uint32_t LMenu = 0xA4, RMenu = 0xA5;
// Unassigned by Windows: a keystroke of it means nothing to any program.
inline constexpr std::uint32_t Unassigned = 0xE8;
}  // namespace vk

constexpr std::uint32_t PackCode(std::uint32_t modifiers, std::uint32_t key) {
  return modifiers << 24 | key;
}
constexpr std::uint32_t ModifiersOf(std::uint32_t code) {
  return code >> 24;
}
constexpr std::uint32_t KeyOf(std::uint32_t code) {
  return code & 0xFFFFFF;
}

// The modifier bit a key holds down, 0 for any other key. Left, right and the side-less virtual key of a
// modifier count the same.
std::uint32_t ModifierOfKey(std::uint32_t key);

// The side-less virtual key of a modifier key (VK_LCONTROL and VK_RCONTROL are VK_CONTROL); any other
// key as it is.
std::uint32_t SidelessKey(std::uint32_t key);

// Whether some press can make the code: only the four modifier bits above a virtual key that is not
// itself a modifier, not 0 and not beyond 0xFE. Any other code can never be delivered.
bool IsPressable(std::uint32_t code);

// The codes of levels 0, 1 and 2 when the registry holds none (Ctrl+Alt+A, Ctrl+Alt+B, Ctrl+Alt+C): the
// program's own defaults.
inline constexpr std::array<std::uint32_t, 3> DefaultCodes = contract::DefaultHotKeyCodes;

// The codes to watch, from the registry's values "1" to "3": each value that is there and a 32-bit
// number replaces its level's default. A value of another kind keeps the default, so that its key
// still reaches the program, which reports the broken value when it reads it.
std::array<std::uint32_t, 3> ConfiguredCodes(const std::array<std::optional<std::uint32_t>, 3>& values);

}  // namespace tapwatch
