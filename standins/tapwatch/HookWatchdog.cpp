#include "HookWatchdog.h"

#include "HotKeyCode.h"

namespace tapwatch {

bool SameKeyEvent(const SeenKey& a, const SeenKey& b) noexcept {
  if (a.up != b.up)
    return false;
  if (a.scanCode != 0 && b.scanCode != 0 && a.scanCode == b.scanCode && a.extended == b.extended)
    return true;
  return SidelessKey(a.key) == SidelessKey(b.key);
}

void HookWatchdog::Queue::Push(const Pending& item) noexcept {
  if (Full())
    Erase(0);
  items_[size_++] = item;
}

void HookWatchdog::Queue::Erase(std::size_t index) noexcept {
  for (std::size_t i = index; i + 1 < size_; ++i)
    items_[i] = items_[i + 1];
  --size_;
}

bool HookWatchdog::Queue::TakeMatch(const SeenKey& key) noexcept {
  for (std::size_t i = 0; i < size_; ++i) {
    if (SameKeyEvent(items_[i].key, key)) {
      Erase(i);
      return true;
    }
  }
  return false;
}

void HookWatchdog::Queue::DropOlderThan(std::uint64_t limit) noexcept {
  while (!Empty() && Oldest().at < limit)
    Erase(0);
}

bool HookWatchdog::Ignored(const SeenKey& key) noexcept {
  // 0xFF is what both report for the prefix halves of some keys; they carry no key of their own.
  return key.key == 0 || key.key >= 0xFF;
}

void HookWatchdog::HookSaw(const SeenKey& key, std::uint64_t nowMs) noexcept {
  if (Ignored(key))
    return;
  if (nowMs >= kGraceMs)
    hookOnly_.DropOlderThan(nowMs - kGraceMs);
  if (!rawOnly_.TakeMatch(key))
    hookOnly_.Push({key, nowMs});
}

void HookWatchdog::RawSaw(const SeenKey& key, std::uint64_t nowMs) noexcept {
  if (Ignored(key))
    return;
  if (nowMs >= kGraceMs)
    hookOnly_.DropOlderThan(nowMs - kGraceMs);
  if (hookOnly_.TakeMatch(key))
    return;
  // A full queue of reports the hook never saw is an answer already; the oldest is not forgotten.
  if (rawOnly_.Full())
    overflowed_ = true;
  else
    rawOnly_.Push({key, nowMs});
}

bool HookWatchdog::HookMissed(std::uint64_t nowMs) const noexcept {
  return overflowed_ || (!rawOnly_.Empty() && nowMs >= rawOnly_.Oldest().at + kGraceMs);
}

std::optional<std::uint64_t> HookWatchdog::NextCheckIn(std::uint64_t nowMs) const noexcept {
  if (HookMissed(nowMs))
    return 0;
  if (rawOnly_.Empty())
    return std::nullopt;
  return rawOnly_.Oldest().at + kGraceMs - nowMs;
}

void HookWatchdog::Forget() noexcept {
  hookOnly_.Clear();
  rawOnly_.Clear();
  overflowed_ = false;
}

}  // namespace tapwatch
