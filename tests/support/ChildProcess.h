#pragma once

#include <windows.h>

#include <chrono>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "WinTestSupport.h"
#include "win32base/UniqueHandle.h"

namespace wintest {

// A program a test starts, its standard output and error each in a file of their own. The destructor
// ends it if it still runs, so no process outlives a failed test.
class ChildProcess {
 public:
  explicit ChildProcess(const std::wstring& commandLine) {
    static int counter = 0;
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    std::wstring stem = std::wstring(dir) + L"gs-child-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                        std::to_wstring(++counter);
    outputPath_ = stem + L".out";
    errorPath_ = stem + L".err";
    win32base::UniqueFileHandle output = OpenInheritable(outputPath_);
    win32base::UniqueFileHandle errors = OpenInheritable(errorPath_);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output.Get();
    startup.hStdError = errors.Get();
    PROCESS_INFORMATION info{};
    std::wstring mutableLine = commandLine;
    if (output && errors &&
        CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                       nullptr, &startup, &info)) {
      process_.Reset(info.hProcess);
      id_ = info.dwProcessId;
      win32base::UniqueKernelHandle thread(info.hThread);
    } else {
      startError_ = GetLastError();
    }
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess() {
    if (process_ && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT) {
      TerminateProcess(process_.Get(), 99);
      WaitForSingleObject(process_.Get(), 10000);
    }
    process_.Reset();
    DeleteFileW(outputPath_.c_str());
    DeleteFileW(errorPath_.c_str());
  }

  bool Started() const { return process_.Valid(); }
  DWORD Id() const { return id_; }
  DWORD StartError() const { return startError_; }
  bool Running() const { return process_ && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT; }

  // The exit code once the process has ended, pumping this thread's messages meanwhile (the child may be
  // talking to our windows); nothing when it still runs at the deadline.
  std::optional<DWORD> WaitForExit(std::chrono::milliseconds deadline = std::chrono::seconds(30)) {
    if (!process_ || !WaitUntil([this] { return !Running(); }, deadline))
      return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(process_.Get(), &code);
    return code;
  }

  // Console output comes in text mode; line ends are returned as "\n".
  std::string Output() const { return ReadText(outputPath_); }
  std::string Errors() const { return ReadText(errorPath_); }

 private:
  static win32base::UniqueFileHandle OpenInheritable(const std::wstring& path) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return win32base::UniqueFileHandle(CreateFileW(path.c_str(), GENERIC_WRITE,
                                                   FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                                   CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  }

  static std::string ReadText(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    std::string result;
    for (char c : text.str())
      if (c != '\r')
        result += c;
    return result;
  }

  win32base::UniqueKernelHandle process_;
  DWORD id_ = 0;
  DWORD startError_ = 0;
  std::wstring outputPath_;
  std::wstring errorPath_;
};

inline std::wstring DistCommand(const std::wstring& program, const std::wstring& arguments = L"") {
  return L"\"" + DistFile(program) + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
}

// Runs a program from the shipped folder to its end.
struct ProgramRun {
  std::optional<DWORD> exitCode;  // nothing when it did not end in time
  std::string output;
  std::string errors;
};

inline ProgramRun RunDistProgram(const std::wstring& program, const std::wstring& arguments) {
  ChildProcess child(DistCommand(program, arguments));
  ProgramRun run;
  run.exitCode = child.WaitForExit();
  run.output = child.Output();
  run.errors = child.Errors();
  return run;
}

}  // namespace wintest
