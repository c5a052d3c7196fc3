#include "PressTracker.h"

namespace tapwatch {

KeyReaction PressTracker::OnKey(const KeyEvent& event) noexcept {
  KeyReaction reaction;
  // The unassigned key is the one this library sends itself; it must not end a held press either.
  if (event.key == 0 || event.key > 0xFE || event.key == vk::Unassigned)
    return reaction;
  if (event.key == vk::LControl && event.scanCode == kAltGrControlScanCode)
    return reaction;

  std::uint32_t modifier = ModifierOfKey(event.key);
  if (event.up) {
    reaction.swallow = swallowed_[event.key];
    held_[event.key] = false;
    swallowed_[event.key] = false;
    assumed_ &= ~modifier;
    return reaction;
  }

  bool repeat = held_[event.key];
  held_[event.key] = true;
  if (modifier != 0)
    return reaction;
  if (repeat) {
    reaction.swallow = swallowed_[event.key];
    return reaction;
  }
  std::uint32_t modifiers = Modifiers();
  std::uint32_t code = PackCode(modifiers, event.key);
  if (!Watched(code))
    return reaction;
  swallowed_[event.key] = true;
  reaction.swallow = true;
  reaction.deliver = code;
  reaction.mask = (modifiers & (ModAlt | ModWin)) != 0 && (modifiers & ModCtrl) == 0;
  return reaction;
}

std::uint32_t PressTracker::Modifiers() const noexcept {
  std::uint32_t modifiers = assumed_;
  for (std::uint32_t key : {vk::Shift, vk::Control, vk::Menu, vk::LWin, vk::RWin, vk::LShift, vk::RShift,
                            vk::LControl, vk::RControl, vk::LMenu, vk::RMenu}) {
    if (held_[key])
      modifiers |= ModifierOfKey(key);
  }
  return modifiers;
}

void PressTracker::Restart(std::uint32_t modifiersHeldNow) noexcept {
  held_.reset();
  swallowed_.reset();
  assumed_ = modifiersHeldNow & AllModifiers;
}

bool PressTracker::Watched(std::uint32_t code) const noexcept {
  if (!IsPressable(code))
    return false;
  for (std::uint32_t watched : codes_) {
    if (watched == code)
      return true;
  }
  return false;
}

}  // namespace tapwatch
