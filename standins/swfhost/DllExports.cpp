// swfhost.dll: the five entries of the program's player binding, by their plain names.
#include <mutex>
#include <string>

#include "PlayerWindow.h"
#include "journal/Journal.h"
#include "journal/JournalWriter.h"
#include "contract/FlashPlayerLibrary.h"

namespace {

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

// No C++ exception may reach the caller, which may not be C++ at all: a failure reads as "no".
extern "C" {

__declspec(dllexport) HWND WINAPI flash_create(HWND parent, BSTR moviePath) {
  try {
    JournalLoadOnce();
    std::wstring path(moviePath ? moviePath : L"", moviePath ? SysStringLen(moviePath) : 0);
    return swfhost::PlayerWindow::Create(parent, path);
  } catch (...) {
    return nullptr;
  }
}

__declspec(dllexport) int WINAPI flash_setFlashCallCallbackFunc(HWND player, FlashCalloutProc callback) {
  if (!swfhost::PlayerWindow::IsPlayer(player))
    return 0;
  swfhost::PlayerWindow::SetCallback(player, callback);
  return 1;
}

__declspec(dllexport) int WINAPI flash_callFunction(HWND player, VARIANT request) {
  if (!swfhost::PlayerWindow::IsPlayer(player))
    return 0;
  return swfhost::PlayerWindow::Call(player, request) ? 1 : 0;
}

// A build for the tests leaves out the two entries the program looks up but never calls, as a player
// library that lacks them would.
#ifndef SWFHOST_WITHOUT_PLAY_AND_STOP
__declspec(dllexport) int WINAPI flash_play(HWND player) {
  if (!swfhost::PlayerWindow::IsPlayer(player))
    return 0;
  swfhost::PlayerWindow::Play(player);
  return 1;
}

__declspec(dllexport) int WINAPI flash_stop(HWND player) {
  if (!swfhost::PlayerWindow::IsPlayer(player))
    return 0;
  swfhost::PlayerWindow::Stop(player);
  return 1;
}
#endif
}
