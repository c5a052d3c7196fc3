#include <windows.h>

#include <cstdio>
#include <cstring>

#include "GearMainWindow.h"
#include "win32base/MessageLoop.h"
#include "win32base/UniqueHandle.h"
#include "win32base/WindowLifeGuard.h"

namespace {

constexpr const char* kUsage =
    "usage: gearmain        run the configuration window until it is closed\n"
    "       gearmain --answer end-session|notification\n"
    "                       the same, and answer each announcement message by ending the session of\n"
    "                       the program that sent it, or by sending it the service's notification\n"
    "       gearmain stop   close the running one and wait until it has ended";
constexpr DWORD kStopWaitMs = 5000;

int Run(companion::Answer answer) {
  // The mutex settles two copies started at once; the window check also sees the suite's real one.
  win32base::UniqueKernelHandle running(CreateMutexW(nullptr, FALSE, L"GearShiftCompanionGearMain"));
  bool anotherCopy = running && GetLastError() == ERROR_ALREADY_EXISTS;
  if (anotherCopy || companion::FindGearMainWindow()) {
    std::fprintf(stderr, "gearmain: a GearMain window (TfrmGearMain) already runs in this session\n");
    return 1;
  }
  win32base::WindowLifeGuard lifeGuard;
  companion::GearMainWindow window(answer);
  if (!window.Create()) {
    std::fprintf(stderr, "gearmain: cannot create the window (error %lu)\n", GetLastError());
    return 1;
  }
  win32base::RunMessageLoop();
  return 0;
}

int Stop() {
  HWND window = companion::FindGearMainWindow();
  if (!window) {
    std::fprintf(stderr, "gearmain: no GearMain window runs in this session\n");
    return 1;
  }
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  win32base::UniqueKernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
  if (!process) {
    std::fprintf(stderr, "gearmain: cannot watch the running one's process (error %lu)\n", GetLastError());
    return 1;
  }
  if (!PostMessageW(window, WM_CLOSE, 0, 0)) {
    std::fprintf(stderr, "gearmain: cannot send the close request (error %lu)\n", GetLastError());
    return 1;
  }
  // Callers go on to start a new one or check that none runs: return only once it is gone.
  if (WaitForSingleObject(process.Get(), kStopWaitMs) != WAIT_OBJECT_0) {
    std::fprintf(stderr, "gearmain: the running one did not end within %lu ms of the close request\n",
                 kStopWaitMs);
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 1)
    return Run(companion::Answer::Nothing);
  if (argc == 3 && std::strcmp(argv[1], "--answer") == 0) {
    if (std::strcmp(argv[2], "end-session") == 0)
      return Run(companion::Answer::EndSession);
    if (std::strcmp(argv[2], "notification") == 0)
      return Run(companion::Answer::Notification);
  }
  if (argc == 2 && std::strcmp(argv[1], "stop") == 0)
    return Stop();
  std::fprintf(stderr, "gearmain: unknown arguments\n%s\n", kUsage);
  return 1;
}
