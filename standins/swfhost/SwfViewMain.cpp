// swfview: plays one movie through swfhost.dll the way the program does, for trying movies by hand and
// for pictures of them.
//   swfview <movie file> [label] [--at <x> <y>] [--end-after <ms>] [--exit-after <ms>]
// It owns the player with a small window of its own that keeps the focus, and says on standard output
// whether showing the player took the foreground away, and when the movie calls out.
#include <windows.h>
#include <oleauto.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "contract/FlashPlayerLibrary.h"
#include "win32base/MessageLoop.h"
#include "win32base/UniqueHandle.h"
#include "win32base/WindowLifeGuard.h"

namespace {

// The viewer hands the player OLE strings as the program does, without the program's framework.
using UniqueBstr = win32base::UniqueHandle<win32base::NullHandleTraits<BSTR, SysFreeString>>;

struct ArgumentsTraits {
  using Value = LPWSTR*;
  static Value Invalid() noexcept { return nullptr; }
  static void Close(Value value) noexcept { LocalFree(value); }
};

osd::FlashCallFunctionFunction callFunction = nullptr;
HWND player = nullptr;
constexpr UINT_PTR kEndTimer = 1, kExitTimer = 2;

void WINAPI OnCallout(std::uint32_t what, std::uint32_t number, std::uint32_t, std::uint32_t) {
  std::printf("callout %u %u\n", what, number);
  std::fflush(stdout);
}

std::wstring Escaped(const std::wstring& text) {
  std::wstring out;
  for (wchar_t c : text) {
    if (c == L'&')
      out += L"&amp;";
    else if (c == L'<')
      out += L"&lt;";
    else if (c == L'>')
      out += L"&gt;";
    else
      out += c;
  }
  return out;
}

void Send(const std::wstring& function, const std::wstring& argument) {
  std::wstring text = L"<invoke name=\"" + function + L"\" returntype=\"xml\"><arguments><string>" +
                      Escaped(argument) + L"</string></arguments></invoke>";
  UniqueBstr request(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
  VARIANT variant;
  VariantInit(&variant);
  variant.vt = VT_BSTR;
  variant.bstrVal = request.Get();
  callFunction(player, variant);
}

LRESULT CALLBACK OwnerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  // A forged WM_DESTROY would end the viewer.
  if (win32base::IsForgedSentDestruction(window, message))
    return 0;
  if (message == WM_TIMER) {
    KillTimer(window, wParam);
    if (wParam == kEndTimer)
      Send(L"externalCommand", L"end");
    else
      PostQuitMessage(0);
    return 0;
  }
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  int count = 0;
  win32base::UniqueHandle<ArgumentsTraits> arguments(CommandLineToArgvW(GetCommandLineW(), &count));
  if (!arguments || count < 2) {
    std::fprintf(stderr,
                 "usage: swfview <movie file> [label] [--at x y] [--end-after ms] [--exit-after ms]\n");
    return 2;
  }
  LPWSTR* argv = arguments.Get();
  std::wstring movie = argv[1], label;
  int x = 100, y = 100, endAfter = 0, exitAfter = 0;
  for (int i = 2; i < count; ++i) {
    std::wstring word = argv[i];
    if (word == L"--at" && i + 2 < count) {
      x = _wtoi(argv[++i]);
      y = _wtoi(argv[++i]);
    } else if (word == L"--end-after" && i + 1 < count) {
      endAfter = _wtoi(argv[++i]);
    } else if (word == L"--exit-after" && i + 1 < count) {
      exitAfter = _wtoi(argv[++i]);
    } else {
      label = word;
    }
  }

  win32base::UniqueModule library(LoadLibraryA(osd::FlashLibraryName));
  if (!library) {
    std::fprintf(stderr, "swfview: cannot load %s (error %lu)\n", osd::FlashLibraryName, GetLastError());
    return 1;
  }
  auto create = reinterpret_cast<osd::FlashCreateFunction>(
      reinterpret_cast<void*>(GetProcAddress(library.Get(), "flash_create")));
  auto setCallback = reinterpret_cast<osd::FlashSetCallbackFunction>(
      reinterpret_cast<void*>(GetProcAddress(library.Get(), "flash_setFlashCallCallbackFunc")));
  callFunction = reinterpret_cast<osd::FlashCallFunctionFunction>(
      reinterpret_cast<void*>(GetProcAddress(library.Get(), "flash_callFunction")));
  if (!create || !setCallback || !callFunction) {
    std::fprintf(stderr, "swfview: %s lacks an entry\n", osd::FlashLibraryName);
    return 1;
  }

  win32base::WindowLifeGuard lifeGuard;
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = OwnerProcedure;
  windowClass.hInstance = instance;
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = L"SwfViewOwner";
  RegisterClassExW(&windowClass);
  win32base::UniqueWindow owner(CreateWindowExW(0, L"SwfViewOwner", L"swfview",
                                                WS_OVERLAPPEDWINDOW | WS_VISIBLE, x + 420, y, 240, 120,
                                                nullptr, nullptr, instance, nullptr));
  SetForegroundWindow(owner.Get());
  SetFocus(owner.Get());

  UniqueBstr path(SysAllocStringLen(movie.data(), static_cast<UINT>(movie.size())));
  player = create(owner.Get(), path.Get());
  if (!player) {
    std::fprintf(stderr, "swfview: no player window\n");
    return 1;
  }
  SetWindowPos(player, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  SetWindowPos(player, nullptr, 0, 0, 400, 650, SWP_NOMOVE | SWP_NOZORDER);
  setCallback(player, OnCallout);
  if (!label.empty())
    Send(L"changeLabel", label);
  Send(L"externalCommand", L"show");
  // Without SWP_NOACTIVATE, so that the line below tells whether the player declines the activation itself.
  SetWindowPos(player, nullptr, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER);
  std::printf("player %p foreground %s focus %s\n", static_cast<void*>(player),
              GetForegroundWindow() == owner.Get() ? "kept" : "lost",
              GetFocus() == owner.Get() ? "kept" : "lost");
  std::fflush(stdout);

  if (endAfter > 0)
    SetTimer(owner.Get(), kEndTimer, static_cast<UINT>(endAfter), nullptr);
  if (exitAfter > 0)
    SetTimer(owner.Get(), kExitTimer, static_cast<UINT>(exitAfter), nullptr);
  win32base::RunMessageLoop();
  // The player goes with its owner; the library stays loaded until the process ends, as in the program.
  owner.Reset();
  library.Release();
  return 0;
}
