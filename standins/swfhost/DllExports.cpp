// swfhost.dll: the five entries of the program's player binding, by their plain names.
#include <mutex>
#include <string>

#include "PlayerWindow.h"
#include "journal/EntryGuard.h"
#include "journal/Journal.h"
#include "journal/JournalWriter.h"
#include "contract/FlashPlayerLibrary.h"

namespace {

constexpr journal::EntryReporter kReporter{"swfhost", "flash", true};

void JournalLoadOnce() {
  static std::once_flag once;
  std::call_once(once, [] { journal::Queue("flash", "load"); });
}

}  // namespace

// The journal's lines are written by a thread of the library's own, so a call never waits for the journal.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_DETACH)
    journal::OnModuleDetach(reserved);
  return TRUE;
}

// No C++ exception may reach the caller, which may not be C++ at all: a failure reads as "no", and says
// why in the journal and the debugger's output.
extern "C" {

__declspec(dllexport) HWND WINAPI flash_create(HWND parent, BSTR moviePath) {
  return journal::GuardEntry<HWND>(kReporter, "flash_create", nullptr, [&] {
    JournalLoadOnce();
    std::wstring path(moviePath ? moviePath : L"", moviePath ? SysStringLen(moviePath) : 0);
    return swfhost::PlayerWindow::Create(parent, path);
  });
}

__declspec(dllexport) int WINAPI flash_setFlashCallCallbackFunc(HWND player, FlashCalloutProc callback) {
  return journal::GuardEntry<int>(kReporter, "flash_setFlashCallCallbackFunc", 0, [&] {
    if (!swfhost::PlayerWindow::IsPlayer(player))
      return 0;
    swfhost::PlayerWindow::SetCallback(player, callback);
    return 1;
  });
}

__declspec(dllexport) int WINAPI flash_callFunction(HWND player, VARIANT request) {
  return journal::GuardEntry<int>(kReporter, "flash_callFunction", 0, [&] {
    if (!swfhost::PlayerWindow::IsPlayer(player))
      return 0;
    return swfhost::PlayerWindow::Call(player, request) ? 1 : 0;
  });
}

// A build for the tests leaves out the two entries the program looks up but never calls, as a player
// library that lacks them would.
#ifndef SWFHOST_WITHOUT_PLAY_AND_STOP
__declspec(dllexport) int WINAPI flash_play(HWND player) {
  return journal::GuardEntry<int>(kReporter, "flash_play", 0, [&] {
    if (!swfhost::PlayerWindow::IsPlayer(player))
      return 0;
    swfhost::PlayerWindow::Play(player);
    return 1;
  });
}

__declspec(dllexport) int WINAPI flash_stop(HWND player) {
  return journal::GuardEntry<int>(kReporter, "flash_stop", 0, [&] {
    if (!swfhost::PlayerWindow::IsPlayer(player))
      return 0;
    swfhost::PlayerWindow::Stop(player);
    return 1;
  });
}
#endif
}
