#include "E2eSupport.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

namespace e2e {
namespace {

std::wstring DistDir() {
  std::string narrow = GS_DIST_DIR_WIN;
  return std::wstring(narrow.begin(), narrow.end());
}

}  // namespace

Process Process::Start(const std::wstring& exeName, const std::wstring& arguments) {
  std::wstring path = DistDir() + L"\\" + exeName;
  std::wstring commandLine = L"\"" + path + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  Process process;
  if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      DistDir().c_str(), &startup, &info)) {
    return process;
  }
  CloseHandle(info.hThread);
  process.process_.Reset(info.hProcess);
  process.id_ = info.dwProcessId;
  return process;
}

Process::~Process() {
  Kill();
}

void Process::Kill() {
  if (!process_)
    return;
  if (Running()) {
    TerminateProcess(process_.Get(), 99);
    WaitForSingleObject(process_.Get(), 10000);
  }
}

bool Process::Running() const {
  return process_ && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT;
}

bool Process::WaitForExit(std::chrono::milliseconds deadline) const {
  return process_ &&
         WaitForSingleObject(process_.Get(), static_cast<DWORD>(deadline.count())) == WAIT_OBJECT_0;
}

DWORD Process::ExitCode() const {
  DWORD code = ~0u;
  if (process_)
    GetExitCodeProcess(process_.Get(), &code);
  return code;
}

DWORD RunToEnd(const std::wstring& exeName, const std::wstring& arguments,
               std::chrono::milliseconds deadline) {
  Process process = Process::Start(exeName, arguments);
  if (!process.WaitForExit(deadline))
    return ~0u;
  return process.ExitCode();
}

namespace {

struct WindowSearch {
  DWORD processId;
  const std::wstring& className;
  const std::wstring& caption;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectMatchingWindow(HWND window, LPARAM data) {
  auto& search = *reinterpret_cast<WindowSearch*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search.processId)
    return TRUE;
  wchar_t name[256] = {}, text[256] = {};
  GetClassNameW(window, name, 256);
  GetWindowTextW(window, text, 256);
  if ((search.className.empty() || search.className == name) &&
      (search.caption.empty() || search.caption == text)) {
    search.found.push_back(window);
  }
  return TRUE;
}

}  // namespace

std::vector<HWND> WindowsOf(DWORD processId, const std::wstring& className, const std::wstring& caption) {
  WindowSearch search{processId, className, caption, {}};
  EnumWindows(CollectMatchingWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::vector<HWND> VisibleWindowsOf(DWORD processId) {
  std::vector<HWND> visible;
  for (HWND window : WindowsOf(processId, L"")) {
    if (IsWindowVisible(window))
      visible.push_back(window);
  }
  return visible;
}

HWND WaitForWindow(DWORD processId, const std::wstring& className, const std::wstring& caption) {
  HWND found = nullptr;
  WaitUntil([&] {
    auto windows = WindowsOf(processId, className, caption);
    found = windows.empty() ? nullptr : windows.front();
    return found != nullptr;
  });
  return found;
}

Journal::Journal() {
  char dir[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  static int serial = 0;
  path_ = std::string(dir) + "gs-e2e-" + std::to_string(GetCurrentProcessId()) + "-" +
          std::to_string(++serial) + ".journal";
  DeleteFileA(path_.c_str());
  SetEnvironmentVariableA("GEARSHIFT_JOURNAL", path_.c_str());
}

Journal::~Journal() {
  SetEnvironmentVariableA("GEARSHIFT_JOURNAL", nullptr);
  DeleteFileA(path_.c_str());
}

std::vector<JournalLine> Journal::Lines() const {
  std::vector<JournalLine> lines;
  std::ifstream in(path_);
  for (std::string text; std::getline(in, text);) {
    if (!text.empty() && text.back() == '\r')
      text.pop_back();
    JournalLine line;
    line.Text = text;
    std::istringstream fields(text);
    std::string stamp;
    fields >> stamp >> line.Component >> line.Event;
    line.Ms = std::atof(stamp.c_str());
    for (std::string arg; fields >> arg;)
      line.Args.push_back(arg);
    lines.push_back(line);
  }
  return lines;
}

std::vector<JournalLine> Journal::Find(const std::string& component, const std::string& event) const {
  std::vector<JournalLine> found;
  for (auto& line : Lines()) {
    if (line.Component == component && line.Event == event)
      found.push_back(line);
  }
  return found;
}

std::vector<JournalLine> Journal::WaitFor(const std::string& component, const std::string& event,
                                          size_t count, std::chrono::milliseconds deadline) const {
  std::vector<JournalLine> found;
  WaitUntil(
      [&] {
        found = Find(component, event);
        return found.size() >= count;
      },
      deadline);
  return found;
}

std::string Journal::Dump() const {
  std::string all;
  for (auto& line : Lines())
    all += line.Text + "\n";
  return all.empty() ? "(journal empty)\n" : all;
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds deadline) {
  auto end = std::chrono::steady_clock::now() + deadline;
  for (;;) {
    if (condition())
      return true;
    if (std::chrono::steady_clock::now() >= end)
      return false;
    std::this_thread::sleep_for(20ms);
  }
}

std::string Hex(unsigned long long value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llx", value);
  return text;
}

}  // namespace e2e
