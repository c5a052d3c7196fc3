// TapWatch32.dll: the two entries of the program's hook binding, by their plain names (TapWatch32.def).
#include <type_traits>

#include "HookThread.h"
#include "contract/TapWatchLibrary.h"

// No C++ exception reaches the caller: both entries are noexcept all the way down.
extern "C" {

void WINAPI Hook() {
  tapwatch::StartHookThread();
}

void WINAPI Unhook() {
  tapwatch::StopHookThread();
}
}

static_assert(std::is_same_v<decltype(&Hook), TapWatchEntry>,
              "the program calls the entries through this type");
static_assert(std::is_same_v<decltype(&Unhook), TapWatchEntry>,
              "the program calls the entries through this type");
