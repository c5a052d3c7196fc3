#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "framework/UniqueHandle.h"

namespace e2e {

using namespace std::chrono_literals;
constexpr std::chrono::milliseconds kDeadline = 20s;

// A program of the shipped folder, started as a user would start it. Whatever happens in the test, the
// destructor leaves no process behind.
class Process {
 public:
  static Process Start(const std::wstring& exeName, const std::wstring& arguments = L"");
  Process() = default;  // no process: Running() is false
  Process(Process&&) = default;
  Process& operator=(Process&&) = default;
  ~Process();

  DWORD Id() const { return id_; }
  bool Running() const;
  // True when the process ended within the deadline.
  bool WaitForExit(std::chrono::milliseconds deadline = kDeadline) const;
  DWORD ExitCode() const;
  void Kill();

 private:
  framework::UniqueKernelHandle process_;
  DWORD id_ = 0;
};

// Runs a program of the shipped folder to its end and gives its exit code (or ~0u when it did not end).
DWORD RunToEnd(const std::wstring& exeName, const std::wstring& arguments,
               std::chrono::milliseconds deadline = kDeadline);

// The top-level windows of a process with the given class and caption (empty: any).
std::vector<HWND> WindowsOf(DWORD processId, const std::wstring& className,
                            const std::wstring& caption = L"");
std::vector<HWND> VisibleWindowsOf(DWORD processId);
HWND WaitForWindow(DWORD processId, const std::wstring& className, const std::wstring& caption);

struct JournalLine {
  double Ms = 0;
  std::string Component;
  std::string Event;
  std::vector<std::string> Args;
  std::string Text;  // the whole line, for messages
};

// The shared journal of the stand-ins, a fresh file per test; set in the environment that started
// programs inherit.
class Journal {
 public:
  Journal();
  ~Journal();
  std::vector<JournalLine> Lines() const;
  std::vector<JournalLine> Find(const std::string& component, const std::string& event) const;
  // Waits until at least count lines of that component and event exist; returns them.
  std::vector<JournalLine> WaitFor(const std::string& component, const std::string& event, size_t count = 1,
                                   std::chrono::milliseconds deadline = kDeadline) const;
  std::string Dump() const;

 private:
  std::string path_;
};

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds deadline = kDeadline);

std::string Hex(unsigned long long value);

}  // namespace e2e
