#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

// Tells when the system has dropped the keyboard hook. Windows removes a low-level hook whose procedure
// once took too long, and says so to nobody. Raw input reaches the library outside the hook chain, so a
// key that raw input reports and the hook does not see within the grace time means the hook is gone.
// Either may see an event first; what the hook sees and raw input never reports (input while no
// window has the focus, for instance) is simply forgotten. Nothing here allocates: the hook procedure
// calls HookSaw.
namespace tapwatch {

struct SeenKey {
  std::uint32_t key = 0;  // virtual key
  std::uint32_t scanCode = 0;
  bool extended = false;
  bool up = false;
};

class HookWatchdog {
 public:
  static constexpr std::uint64_t kGraceMs = 500;
  // More unmatched reports than this at once: the hook is not keeping up either way.
  static constexpr std::size_t kCapacity = 32;

  void HookSaw(const SeenKey& key, std::uint64_t nowMs) noexcept;
  void RawSaw(const SeenKey& key, std::uint64_t nowMs) noexcept;

  // True once raw input has reported a key that the hook has not seen within the grace time.
  bool HookMissed(std::uint64_t nowMs) const noexcept;
  // How long until HookMissed can turn true without another event; nothing while nothing is pending.
  std::optional<std::uint64_t> NextCheckIn(std::uint64_t nowMs) const noexcept;

  // A fresh start, after the hook was installed again.
  void Forget() noexcept;

 private:
  struct Pending {
    SeenKey key;
    std::uint64_t at = 0;
  };
  class Queue {
   public:
    bool Full() const noexcept { return size_ == kCapacity; }
    bool Empty() const noexcept { return size_ == 0; }
    const Pending& Oldest() const noexcept { return items_[0]; }
    void Push(const Pending& item) noexcept;
    void Erase(std::size_t index) noexcept;
    // Removes the oldest entry that matches the key; false when there is none.
    bool TakeMatch(const SeenKey& key) noexcept;
    void DropOlderThan(std::uint64_t limit) noexcept;
    void Clear() noexcept { size_ = 0; }

   private:
    std::array<Pending, kCapacity> items_{};
    std::size_t size_ = 0;
  };

  static bool Ignored(const SeenKey& key) noexcept;

  Queue hookOnly_;
  Queue rawOnly_;
  bool overflowed_ = false;
};

// Whether two reports are of the same key event: the same direction, and the same scan code where both
// carry one, or the same side-less virtual key (raw input reports VK_CONTROL where the hook has
// VK_LCONTROL; keys injected by virtual key carry no scan code).
bool SameKeyEvent(const SeenKey& a, const SeenKey& b) noexcept;

}  // namespace tapwatch
