#pragma once

#include <windows.h>

#include <utility>

#include "win32base/BaseWindow.h"

namespace win32base {

// Owns one handle of the kind its Traits describe. Move-only: a copy would close the handle twice.
template <typename Traits>
class UniqueHandle {
 public:
  using Value = typename Traits::Value;

  UniqueHandle() noexcept = default;
  explicit UniqueHandle(Value value) noexcept : value_(value) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : value_(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other)
      Reset(other.Release());
    return *this;
  }
  ~UniqueHandle() { Reset(); }

  Value Get() const noexcept { return value_; }
  bool Valid() const noexcept { return value_ != Traits::Invalid(); }
  explicit operator bool() const noexcept { return Valid(); }

  Value Release() noexcept { return std::exchange(value_, Traits::Invalid()); }

  void Reset(Value value = Traits::Invalid()) noexcept {
    Value old = std::exchange(value_, value);
    if (old != Traits::Invalid())
      Traits::Close(old);
  }

 private:
  Value value_ = Traits::Invalid();
};

// A handle that is null when there is none and that one call closes.
template <typename Handle, auto CloseFunction>
struct NullHandleTraits {
  using Value = Handle;
  static Value Invalid() noexcept { return nullptr; }
  static void Close(Value value) noexcept { CloseFunction(value); }
};

using KernelHandleTraits = NullHandleTraits<HANDLE, CloseHandle>;
using ModuleTraits = NullHandleTraits<HMODULE, FreeLibrary>;
using RegistryKeyTraits = NullHandleTraits<HKEY, RegCloseKey>;
using GdiObjectTraits = NullHandleTraits<HGDIOBJ, DeleteObject>;
// Unhooking fails, harmlessly, for a hook the system has already dropped.
using HookTraits = NullHandleTraits<HHOOK, UnhookWindowsHookEx>;

// CreateFile reports failure as INVALID_HANDLE_VALUE, not null.
struct FileHandleTraits {
  using Value = HANDLE;
  static Value Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(Value value) noexcept { CloseHandle(value); }
};

struct WindowTraits {
  using Value = HWND;
  static Value Invalid() noexcept { return nullptr; }
  // DestroyWindow fails for a window of another thread, which then lives on: it must never reach its
  // object again, which is gone or on its way out by the window's next message.
  static void Close(Value value) noexcept {
    if (!DestroyWindow(value))
      DetachWindowObject(value);
  }
};

using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
using UniqueFileHandle = UniqueHandle<FileHandleTraits>;
using UniqueModule = UniqueHandle<ModuleTraits>;
using UniqueRegistryKey = UniqueHandle<RegistryKeyTraits>;
using UniqueWindow = UniqueHandle<WindowTraits>;
using UniqueGdiObject = UniqueHandle<GdiObjectTraits>;
using UniqueHook = UniqueHandle<HookTraits>;

}  // namespace win32base
