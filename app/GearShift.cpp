#include <windows.h>

#include "app/ClientId.h"
#include "app/Director.h"
#include "app/Main.h"
#include "bios/MessageBox.h"
#include "framework/Application.h"
#include "framework/MessageBox.h"
#include "framework/Text.h"
#include "framework/UniqueHandle.h"
#include "osd/FlashOsd.h"

namespace {

// Libraries loaded by a bare name (the player's) come from the program's folder or the system's, never
// from the current directory or PATH. Looked up, not imported: older systems lack the call, and run
// with their own search order.
void SearchLibrariesOnlyBesideTheProgramAndInTheSystem() {
  using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  auto setDefaultDllDirectories = reinterpret_cast<SetDefaultDllDirectoriesFunction>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
  if (setDefaultDllDirectories)
    setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  SearchLibrariesOnlyBesideTheProgramAndInTheSystem();
  // Session-local (no namespace prefix): one copy per user session. The handle is held until the
  // process ends; that is what keeps later copies out.
  framework::UniqueKernelHandle instanceMutex(CreateMutexA(nullptr, TRUE, ClientId));
  if (GetLastError() == ERROR_ALREADY_EXISTS)
    return 0;

  // The BIOS item messages are the user's to see: a modal box without owner, OK only.
  bios::ReplaceMessageBox([](const char* text, const char* caption) {
    framework::ShowMessageBox(framework::Widen(text), framework::Widen(caption));
  });

  auto& application = framework::Application();
  try {
    application.ShowMainForm = false;
    application.Initialize();
    application.MainFormOnTaskBar = true;
    application.CreateForm(MainForm);
    application.CreateForm(FlashOsdForm);
    MainForm->StartResident();
    application.Run();
  } catch (...) {
    application.HandleException();
  }
  // No hot key is delivered to forms that are going.
  Director::ReleaseHook();
  application.DestroyForms();
  return 0;
}
