#pragma once

#include <windows.h>

#include <array>
#include <cstdint>

#include "win32base/UniqueHandle.h"

namespace tapwatch {

// The program's hot-key codes as the registry holds them (the 32-bit view, read only), and a watch that
// signals ChangeEvent when they may have changed: a value written or removed, the key created or
// deleted. Belongs to one thread: the system keeps the watch only while the thread that asked lives.
class HotKeySettings {
 public:
  HotKeySettings() = default;
  HotKeySettings(const HotKeySettings&) = delete;
  HotKeySettings& operator=(const HotKeySettings&) = delete;

  // Signalled once the codes may have changed; each Read brings a new one. Null while nothing can be
  // watched: the codes then stay as last read.
  HANDLE ChangeEvent() const noexcept { return changed_.Get(); }

  // Arms the watch for the next change, then reads the codes of levels 0, 1 and 2.
  std::array<std::uint32_t, 3> Read();

 private:
  void Watch();

  win32base::UniqueKernelHandle changed_;
  win32base::UniqueRegistryKey watched_;
};

}  // namespace tapwatch
