#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <optional>

#include "HotKeyCode.h"

// The decision the keyboard hook makes for every key event, kept free of Windows so that it can be
// tested on its own. It runs inside the hook procedure: nothing here allocates, blocks or throws.
namespace tapwatch {

struct KeyEvent {
  std::uint32_t key = 0;       // virtual key
  std::uint32_t scanCode = 0;  // as the hook reports it
  bool up = false;
};

struct KeyReaction {
  // The focused program does not get the event.
  bool swallow = false;
  // A press of a watched code: deliver it to the program.
  std::optional<std::uint32_t> deliver;
  // The press held Alt or Win without Ctrl: the shell would take the modifier's release, which it now
  // sees alone, for a tap of it (Start menu, menu bar) unless an unassigned keystroke is sent first.
  bool mask = false;
};

class PressTracker {
 public:
  // Layouts with AltGr send this left Ctrl before each right Alt; it is the layout's, not the user's, so
  // that AltGr+A stays a character (Polish "ą") rather than Ctrl+Alt+A.
  static constexpr std::uint32_t kAltGrControlScanCode = 0x21D;

  void SetCodes(const std::array<std::uint32_t, 3>& codes) noexcept { codes_ = codes; }
  const std::array<std::uint32_t, 3>& Codes() const noexcept { return codes_; }

  // One press of a watched code is delivered once, however long it is held: the key's auto-repeated
  // downs and its up are swallowed with it. Every other event passes.
  KeyReaction OnKey(const KeyEvent& event) noexcept;

  // The modifiers held now as far as the events seen tell.
  std::uint32_t Modifiers() const noexcept;

  // Forgets every key it saw go down, for when events may have been missed (the hook was gone): the
  // modifiers the system reports held are taken as held until a key of their kind comes up.
  void Restart(std::uint32_t modifiersHeldNow) noexcept;

 private:
  bool Watched(std::uint32_t code) const noexcept;

  std::array<std::uint32_t, 3> codes_ = DefaultCodes;
  std::bitset<256> held_;
  std::bitset<256> swallowed_;
  std::uint32_t assumed_ = 0;
};

}  // namespace tapwatch
