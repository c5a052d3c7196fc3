#include "win32base/WindowObjects.h"

#include <algorithm>
#include <iterator>
#include <new>
#include <unordered_map>
#include <vector>

#include "win32base/WindowLifeMessages.h"

namespace win32base {
namespace {

// Slim reader/writer locks need no construction, so they are usable from the first window on and
// never throw.
class Exclusive {
 public:
  explicit Exclusive(SRWLOCK& lock) noexcept : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
  Exclusive(const Exclusive&) = delete;
  Exclusive& operator=(const Exclusive&) = delete;
  ~Exclusive() { ReleaseSRWLockExclusive(&lock_); }

 private:
  SRWLOCK& lock_;
};

struct Adopted {
  void* object;
  bool made;  // WM_CREATE came
  DWORD thread;
};

// A thread's watch for destructions: the hook and how many windows of ours it has.
struct Watch {
  HHOOK hook;
  int windows;
};

// Never destroyed: windows may still be about as the module goes at process exit.
struct Registry {
  SRWLOCK lock = SRWLOCK_INIT;
  std::unordered_map<HWND, Adopted> windows;
  std::unordered_map<DWORD, Watch> watches;
  // Windows whose destruction the system has begun, on their own threads; few at a time.
  std::vector<HWND> destroying;
};

// Null only when even that could not be had; then no window takes an object.
Registry* TheRegistry() noexcept {
  static Registry* const registry = new (std::nothrow) Registry();
  return registry;
}

// The system calls it on the thread that destroys a window, which is the window's own, before the
// window's WM_DESTROY; every hook of the thread sees it, whichever module installed it first.
LRESULT CALLBACK WatchDestruction(int code, WPARAM wParam, LPARAM lParam) noexcept {
  Registry* registry = TheRegistry();
  if (code == HCBT_DESTROYWND && registry) {
    Exclusive hold(registry->lock);
    // Marks of windows that are gone by now (another module's, which we never hear of again) go first.
    std::erase_if(registry->destroying, [](HWND window) { return !IsWindow(window); });
    try {
      registry->destroying.push_back(reinterpret_cast<HWND>(wParam));
    } catch (...) {
      // Without the memory to mark it, a destruction inside another thread's message is taken for a
      // forgery: the window's object misses its end, which is better than one that ends twice.
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

void Unmark(Registry& registry, HWND window) noexcept {
  std::erase(registry.destroying, window);
}

// With the lock held.
void Unwatch(Registry& registry, DWORD thread) noexcept {
  auto watch = registry.watches.find(thread);
  if (watch == registry.watches.end() || --watch->second.windows > 0)
    return;
  // Only the thread itself can have installed it; from another, the hook goes with the thread.
  if (thread == GetCurrentThreadId() && watch->second.hook)
    UnhookWindowsHookEx(watch->second.hook);
  registry.watches.erase(watch);
}

}  // namespace

bool AdoptWindow(HWND window, void* object) noexcept {
  Registry* registry = TheRegistry();
  if (!registry)
    return false;
  const DWORD thread = GetCurrentThreadId();
  Exclusive hold(registry->lock);
  auto known = registry->windows.find(window);
  if (known != registry->windows.end()) {
    // The window procedure runs on the window's thread, so an entry of another thread is of a window
    // that went with its thread, never told of its end, and whose handle now names this one.
    if (known->second.thread == thread)
      return false;
    Unwatch(*registry, known->second.thread);
    registry->windows.erase(known);
  }
  try {
    auto watch = registry->watches.find(thread);
    if (watch == registry->watches.end()) {
      HHOOK hook = SetWindowsHookExW(WH_CBT, WatchDestruction, nullptr, thread);
      watch = registry->watches.emplace(thread, Watch{hook, 0}).first;
    }
    registry->windows.emplace(window, Adopted{object, false, thread});
    ++watch->second.windows;
  } catch (...) {
    registry->windows.erase(window);
    return false;
  }
  Unmark(*registry, window);
  return true;
}

bool FinishWindowCreation(HWND window) noexcept {
  Registry* found = TheRegistry();
  if (!found)
    return false;
  Registry& registry = *found;
  Exclusive hold(registry.lock);
  auto known = registry.windows.find(window);
  if (known == registry.windows.end() || known->second.made || known->second.thread != GetCurrentThreadId())
    return false;
  known->second.made = true;
  return true;
}

void* WindowObject(HWND window) noexcept {
  Registry* found = TheRegistry();
  if (!found)
    return nullptr;
  Registry& registry = *found;
  Exclusive hold(registry.lock);
  auto known = registry.windows.find(window);
  return known == registry.windows.end() ? nullptr : known->second.object;
}

void DetachWindowObject(HWND window) noexcept {
  Registry* found = TheRegistry();
  if (!found)
    return;
  Registry& registry = *found;
  Exclusive hold(registry.lock);
  auto known = registry.windows.find(window);
  if (known != registry.windows.end())
    known->second.object = nullptr;
}

void ForgetWindow(HWND window) noexcept {
  Registry* found = TheRegistry();
  if (!found)
    return;
  Registry& registry = *found;
  Exclusive hold(registry.lock);
  Unmark(registry, window);
  auto known = registry.windows.find(window);
  if (known == registry.windows.end())
    return;
  DWORD thread = known->second.thread;
  registry.windows.erase(known);
  Unwatch(registry, thread);
}

bool DestructionBegun(HWND window) noexcept {
  Registry* found = TheRegistry();
  if (!found)
    return false;
  Registry& registry = *found;
  Exclusive hold(registry.lock);
  for (HWND part = window; part; part = GetAncestor(part, GA_PARENT)) {
    if (std::find(registry.destroying.begin(), registry.destroying.end(), part) != registry.destroying.end())
      return true;
  }
  return false;
}

}  // namespace win32base
