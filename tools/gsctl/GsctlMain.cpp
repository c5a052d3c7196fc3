#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ControlCommand.h"
#include "ProgramWindows.h"
#include "StatusLine.h"
#include "win32base/UniqueHandle.h"

namespace {

constexpr const char* kNotRunning =
    "gsctl: Gear Shift is not running (no TMainForm window captioned GearShift)";

int ReportStatus() {
  HWND mainForm = gsctl::FindMainForm();
  // The line comes out even when the program is absent, so that a script reading it sees "main=none".
  std::printf("%s\n", gsctl::FormatStatusLine(gsctl::SurveyProgramWindows(mainForm)).c_str());
  std::fflush(stdout);
  if (!mainForm) {
    std::fprintf(stderr, "%s\n", kNotRunning);
    return 1;
  }
  return 0;
}

// Ending a showing that is under way and leaving the service take the program far less than this.
constexpr DWORD kExitWaitMs = 15000;

int PostToMainForm(const gsctl::PostedMessage& post, bool waitForExit) {
  HWND mainForm = gsctl::FindMainForm();
  if (!mainForm) {
    std::fprintf(stderr, "%s\n", kNotRunning);
    return 1;
  }
  // Opened before the request goes, so that an end that comes at once cannot be missed.
  DWORD processId = 0;
  GetWindowThreadProcessId(mainForm, &processId);
  win32base::UniqueKernelHandle process;
  DWORD openError = 0;
  if (waitForExit) {
    process.Reset(OpenProcess(SYNCHRONIZE, FALSE, processId));
    openError = process ? 0 : GetLastError();
  }
  if (!PostMessageW(mainForm, post.message, post.wParam, static_cast<LPARAM>(post.lParam))) {
    std::fprintf(stderr, "gsctl: could not post message 0x%x to the main form (error %lu)\n",
                 static_cast<unsigned>(post.message), GetLastError());
    return 1;
  }
  if (waitForExit && !process) {
    std::fprintf(stderr,
                 "gsctl: asked Gear Shift to close, but cannot wait for it (process %lu, error %lu)\n",
                 processId, openError);
    return 2;
  }
  if (process && WaitForSingleObject(process.Get(), kExitWaitMs) != WAIT_OBJECT_0) {
    std::fprintf(stderr, "gsctl: Gear Shift (process %lu) was asked to close but is still running\n",
                 processId);
    return 2;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  gsctl::ControlCommandParse parse = gsctl::ParseControlCommand(arguments);
  if (!parse.ok) {
    std::fprintf(stderr, "gsctl: %s\n%s\n", parse.error.c_str(), gsctl::ControlUsage().c_str());
    return 1;
  }
  if (parse.command.kind == gsctl::ControlCommand::Kind::Status)
    return ReportStatus();
  return PostToMainForm(parse.command.post, parse.command.waitForExit);
}
