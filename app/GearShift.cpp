#include <windows.h>

#include "app/ClientId.h"
#include "app/Director.h"
#include "app/Main.h"
#include "bios/MessageBox.h"
#include "framework/Application.h"
#include "framework/UniqueHandle.h"
#include "osd/FlashOsd.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // Session-local (no namespace prefix): one copy per user session. The handle is held until the
  // process ends; that is what keeps later copies out.
  framework::UniqueKernelHandle instanceMutex(CreateMutexA(nullptr, TRUE, ClientId));
  if (GetLastError() == ERROR_ALREADY_EXISTS)
    return 0;

  // The BIOS item messages are the user's to see: a modal box without owner, OK only.
  bios::ReplaceMessageBox(
      [](const char* text, const char* caption) { MessageBoxA(nullptr, text, caption, MB_OK); });

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
