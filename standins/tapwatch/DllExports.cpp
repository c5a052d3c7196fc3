// TapWatch32.dll: the two entries of the program's hook binding, by their plain names (TapWatch32.def).
#include <type_traits>

#include "HookThread.h"
#include "contract/TapWatchLibrary.h"
#include "journal/EntryGuard.h"

namespace {

constexpr journal::EntryReporter kReporter{"TapWatch32", "hook", false};

}  // namespace

// No C++ exception may reach the caller, which may not be C++ at all: a failure says why in the journal and
// the debugger's output, and the program goes on without hot keys.
extern "C" {

void WINAPI Hook() {
  journal::GuardEntry(kReporter, "Hook", [] { tapwatch::StartHookThread(); });
}

void WINAPI Unhook() {
  journal::GuardEntry(kReporter, "Unhook", [] { tapwatch::StopHookThread(); });
}
}

static_assert(std::is_same_v<decltype(&Hook), TapWatchEntry>,
              "the program calls the entries through this type");
static_assert(std::is_same_v<decltype(&Unhook), TapWatchEntry>,
              "the program calls the entries through this type");
