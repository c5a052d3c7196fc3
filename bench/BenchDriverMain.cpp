// gsbench.exe: scripts/bench's hands and stopwatch inside Wine. It waits for, pokes and watches the
// windows of the program or of the baseline, and prints what it saw as it saw it, one line each; the
// script does the arithmetic. Between looks it sleeps 1 ms, so that on the one core that everything
// of a benchmark shares it takes next to nothing from what it measures (and times have about that
// resolution).
//
//   gsbench window <class> <caption> <timeout ms>
//       Prints "ready", then "found <t> <ms>" as soon as a top-level window of that class and caption
//       exists, then "idle <t> <ms>" once its process waits for input in its message loop
//       (WaitForInputIdle). <t> is the system clock in microseconds since 1970, the clock of bash's
//       $EPOCHREALTIME; <ms> the journal's clock.
//   gsbench showings <class> <caption> <OSD class> <code> <count> <gap ms> <timeout ms>
//       Posts the hot-key message (0x467, 0x55, <code>) to the window <count> times, each <gap ms> after
//       the last showing hid the OSD window (the window of <OSD class> in the same process), and prints
//       "showing <n> <posted> <visible> <hidden>" for each, in the journal's clock
//       (QueryPerformanceCounter, milliseconds), so that the times line up with the journal's lines.
//   gsbench post <class> <caption> <message> <wParam> <lParam>
//   gsbench trigger <class> <caption> <message> <wParam> <lParam>
//       Posts the message to the window once for every line read from standard input, until its end,
//       and prints "posted <ms>" (the journal's clock) each time: a trigger that another program pulls
//       by writing a line, which costs both programs under test the same and starts no process.
//
// Exit 0 when everything was seen, 1 when a wait ran out or a window is missing, 2 for bad arguments.
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cmdline/NumberArgument.h"
#include "contract/ProcessContract.h"
#include "win32base/UniqueHandle.h"

namespace {

constexpr UINT HotKeyMessage = contract::HotKeyMessage;
constexpr WPARAM MessageTag = contract::MessageTag;
using win32base::UniqueKernelHandle;

double JournalMilliseconds() {
  LARGE_INTEGER frequency{}, counter{};
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Microseconds since 1970 on the system clock. The precise reading exists from Windows 8 on (and in
// Wine); the plain one is the fallback elsewhere.
long long EpochMicroseconds() {
  using PreciseTime = void(WINAPI*)(FILETIME*);
  static const auto precise = reinterpret_cast<PreciseTime>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetSystemTimePreciseAsFileTime")));
  FILETIME now{};
  if (precise)
    precise(&now);
  else
    GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER ticks{};
  ticks.LowPart = now.dwLowDateTime;
  ticks.HighPart = now.dwHighDateTime;
  constexpr unsigned long long EpochIn100ns = 116444736000000000ULL;  // 1601 to 1970
  return static_cast<long long>((ticks.QuadPart - EpochIn100ns) / 10);
}

std::wstring Wide(const std::string& text) {
  int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

void Say(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::vprintf(format, arguments);
  va_end(arguments);
  // The script reads the file while this process still runs.
  std::fflush(stdout);
}

int Fail(const std::string& why) {
  std::fprintf(stderr, "gsbench: %s\n", why.c_str());
  return 1;
}

class Deadline {
 public:
  explicit Deadline(DWORD milliseconds) : end_(GetTickCount64() + milliseconds) {}
  bool Passed() const { return GetTickCount64() >= end_; }

 private:
  ULONGLONG end_;
};

struct WindowSearch {
  DWORD processId;
  std::wstring windowClass;
  HWND found = nullptr;
};

BOOL CALLBACK VisitWindow(HWND window, LPARAM context) {
  auto& search = *reinterpret_cast<WindowSearch*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  wchar_t name[256] = {};
  if (owner == search.processId && GetClassNameW(window, name, 256) > 0 && search.windowClass == name) {
    search.found = window;
    return FALSE;
  }
  return TRUE;
}

// The top-level window of that class in the process that owns <of>: another program may have one too.
HWND FindSibling(HWND of, const std::wstring& windowClass) {
  WindowSearch search{0, windowClass};
  GetWindowThreadProcessId(of, &search.processId);
  EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Waits until the window's visibility is <visible>; false when the deadline passed first.
bool WaitVisible(HWND window, bool visible, const Deadline& deadline) {
  while ((IsWindowVisible(window) != FALSE) != visible) {
    if (deadline.Passed() || !IsWindow(window))
      return false;
    Sleep(1);
  }
  return true;
}

int WaitForWindow(const std::string& windowClass, const std::string& caption, DWORD timeout) {
  Deadline deadline(timeout);
  std::wstring wideClass = Wide(windowClass), wideCaption = Wide(caption);
  Say("ready\n");
  HWND window = nullptr;
  while (!(window = FindWindowW(wideClass.c_str(), wideCaption.c_str()))) {
    if (deadline.Passed())
      return Fail("no window of class " + windowClass + " captioned " + caption + " appeared");
    Sleep(1);
  }
  Say("found %lld %.3f\n", EpochMicroseconds(), JournalMilliseconds());
  // Not a message sent to the window: a thread takes sent messages also while it waits inside its
  // start-up (the program does, registering with the service), long before its loop runs.
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  UniqueKernelHandle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, processId));
  if (!process)
    return Fail("cannot open the window's process");
  if (WaitForInputIdle(process.Get(), timeout) != 0)
    return Fail("the window's process never waited for input");
  Say("idle %lld %.3f\n", EpochMicroseconds(), JournalMilliseconds());
  return 0;
}

int RunShowings(const std::wstring& windowClass, const std::wstring& caption, const std::wstring& osdClass,
                LPARAM code, unsigned count, DWORD gap, DWORD timeout) {
  HWND window = FindWindowW(windowClass.c_str(), caption.c_str());
  if (!window)
    return Fail("the main window is not there");
  HWND osd = FindSibling(window, osdClass);
  if (!osd)
    return Fail("the main window's process has no OSD window");
  for (unsigned n = 1; n <= count; ++n) {
    Deadline deadline(timeout);
    if (!WaitVisible(osd, false, deadline))
      return Fail("the OSD window is still visible before showing " + std::to_string(n));
    double posted = JournalMilliseconds();
    if (!PostMessageW(window, HotKeyMessage, MessageTag, code))
      return Fail("the hot-key message could not be posted");
    if (!WaitVisible(osd, true, deadline))
      return Fail("showing " + std::to_string(n) + ": the OSD window never became visible");
    double visible = JournalMilliseconds();
    if (!WaitVisible(osd, false, deadline))
      return Fail("showing " + std::to_string(n) + ": the OSD window was never hidden");
    double hidden = JournalMilliseconds();
    Say("showing %u %.3f %.3f %.3f\n", n, posted, visible, hidden);
    Sleep(gap);
  }
  return 0;
}

int PostEachLine(const std::wstring& windowClass, const std::wstring& caption, UINT message, WPARAM wParam,
                 LPARAM lParam) {
  char line[256];
  while (std::fgets(line, sizeof line, stdin)) {
    // Looked up each time: the program may have been started again since the last line.
    HWND window = FindWindowW(windowClass.c_str(), caption.c_str());
    if (!window || !PostMessageW(window, message, wParam, lParam)) {
      Say("missed %.3f\n", JournalMilliseconds());
      continue;
    }
    Say("posted %.3f\n", JournalMilliseconds());
  }
  return 0;
}

std::optional<std::uint32_t> Number(const std::string& text) {
  return cmdline::ParseNumber32(text);
}

int Usage() {
  std::fprintf(stderr,
               "usage: gsbench window <class> <caption> <timeout ms>\n"
               "       gsbench showings <class> <caption> <OSD class> <code> <count> <gap ms> <timeout ms>\n"
               "       gsbench post <class> <caption> <message> <wParam> <lParam>\n"
               "       gsbench trigger <class> <caption> <message> <wParam> <lParam>\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> a(argv + 1, argv + argc);
  if (a.size() == 4 && a[0] == "window") {
    auto timeout = Number(a[3]);
    if (!timeout)
      return Usage();
    return WaitForWindow(a[1], a[2], *timeout);
  }
  if (a.size() == 8 && a[0] == "showings") {
    auto code = Number(a[4]), count = Number(a[5]), gap = Number(a[6]), timeout = Number(a[7]);
    if (!code || !count || !gap || !timeout)
      return Usage();
    // The code is a 32-bit value: the same 32 bits in lParam on either architecture.
    return RunShowings(Wide(a[1]), Wide(a[2]), Wide(a[3]), static_cast<LPARAM>(*code), *count, *gap,
                       *timeout);
  }
  if (a.size() == 6 && (a[0] == "post" || a[0] == "trigger")) {
    auto message = Number(a[3]), wParam = Number(a[4]), lParam = Number(a[5]);
    if (!message || !wParam || !lParam)
      return Usage();
    if (a[0] == "trigger")
      return PostEachLine(Wide(a[1]), Wide(a[2]), *message, *wParam, static_cast<LPARAM>(*lParam));
    HWND window = FindWindowW(Wide(a[1]).c_str(), Wide(a[2]).c_str());
    if (!window)
      return Fail("no window of class " + a[1] + " captioned " + a[2]);
    if (!PostMessageW(window, *message, *wParam, static_cast<LPARAM>(*lParam)))
      return Fail("could not post the message");
    return 0;
  }
  return Usage();
}
