#include <windows.h>
#include <wtsapi32.h>

#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <string>
#include <vector>

#include "AnnouncementFixture.h"

namespace e2e {
namespace {

using namespace std::chrono_literals;

constexpr DWORD kWinQ = 0x8000051;
// The key the hook library sends so that a swallowed Win or Alt press does not open a menu.
constexpr UINT kMaskKey = 0xE8;

double NowMs() {
  LARGE_INTEGER frequency{}, counter{};
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// A focused window of the test's own, standing for the user's work: it keeps every key message it gets.
// It takes the Alt keys' system messages itself, so that no menu mode starts in it.
class KeyRecorder {
 public:
  struct Key {
    UINT key;
    bool up;
    double ms;  // on the journal's clock
  };

  KeyRecorder() {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"GsTestKeyRecorder";
    RegisterClassExW(&windowClass);
    window_.Reset(CreateWindowExW(0, L"GsTestKeyRecorder", L"the user's work",
                                  WS_POPUP | WS_BORDER | WS_VISIBLE, 50, 50, 300, 200, nullptr, nullptr,
                                  windowClass.hInstance, this));
    SetForegroundWindow(window_.Get());
    SetFocus(window_.Get());
    wintest::WaitUntil([&] { return GetForegroundWindow() == window_.Get(); });
  }
  KeyRecorder(const KeyRecorder&) = delete;
  KeyRecorder& operator=(const KeyRecorder&) = delete;

  bool Focused() const {
    return window_ && GetForegroundWindow() == window_.Get() && GetFocus() == window_.Get();
  }

  // How often the key went down (auto-repeats included) or came up.
  int Count(UINT key, bool up) const {
    int count = 0;
    for (const Key& k : keys_)
      count += k.key == key && k.up == up;
    return count;
  }
  bool Saw(UINT key) const { return Count(key, false) + Count(key, true) > 0; }
  // The last time the key came up, 0 when it never did.
  double LastUp(UINT key) const {
    double last = 0;
    for (const Key& k : keys_)
      if (k.key == key && k.up)
        last = k.ms;
    return last;
  }

 private:
  static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
      SetWindowLongPtrW(window, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    }
    auto* self = reinterpret_cast<KeyRecorder*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
      case WM_KEYDOWN:
      case WM_KEYUP:
      case WM_SYSKEYDOWN:
      case WM_SYSKEYUP:
        if (self) {
          try {
            self->keys_.push_back(
                {static_cast<UINT>(wParam), message == WM_KEYUP || message == WM_SYSKEYUP, NowMs()});
          } catch (...) {
          }
        }
        return 0;
      case WM_SYSCHAR:
      case WM_SYSCOMMAND:
        if (message == WM_SYSCHAR || (wParam & 0xFFF0) == SC_KEYMENU)
          return 0;
        break;
      case WM_NCDESTROY:
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }

  win32base::UniqueWindow window_;
  std::vector<Key> keys_;
};

// Keeps a thread of another process suspended for its own life.
class Suspension {
 public:
  explicit Suspension(DWORD threadId) : thread_(OpenThread(THREAD_SUSPEND_RESUME, FALSE, threadId)) {
    suspended_ = thread_ && SuspendThread(thread_.Get()) != static_cast<DWORD>(-1);
  }
  Suspension(const Suspension&) = delete;
  Suspension& operator=(const Suspension&) = delete;
  ~Suspension() { Resume(); }
  bool Suspended() const { return suspended_; }
  void Resume() {
    if (suspended_)
      ResumeThread(thread_.Get());
    suspended_ = false;
  }

 private:
  win32base::UniqueKernelHandle thread_;
  bool suspended_ = false;
};

// The program resident with its hook library, pressed at from a helper program inside Wine while a
// window of the test's own has the focus.
class KeyboardHookTest : public AnnouncementFixture {
 protected:
  void StartResident() {
    StartAll();
    ASSERT_NE(mainWindow, nullptr);
    ASSERT_FALSE(journal.WaitFor("hook", "hook").empty()) << "the hook library did not hook\n"
                                                          << journal.Text();
  }

  static std::wstring HelperCommand(const std::wstring& arguments) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring folder = self;
    folder.resize(folder.rfind(L'\\') + 1);
    return L"\"" + folder + L"kbdhelper.exe\" " + arguments;
  }

  // Runs the helper to its end; its standard output.
  std::string Helper(const std::wstring& arguments) {
    wintest::ChildProcess helper(HelperCommand(arguments));
    std::optional<DWORD> exitCode = helper.WaitForExit();
    EXPECT_EQ(exitCode, 0u) << "kbdhelper " << Narrow(arguments) << ": " << helper.Errors();
    return helper.Output();
  }

  void Press(const std::wstring& chords) {
    ASSERT_TRUE(recorder.Focused()) << "the test's window lost the focus";
    Helper(L"press " + chords);
  }

  // The codes the library delivered, in order.
  std::vector<std::string> Delivered() const {
    std::vector<std::string> codes;
    for (const auto& line : journal.Find("hook", "deliver"))
      codes.push_back(line.Args.empty() ? "" : line.Args[0]);
    return codes;
  }
  bool WaitForDelivery(DWORD code, std::chrono::milliseconds deadline = 10s) const {
    return wintest::WaitUntil([&] { return journal.Contains("hook deliver " + Hex32(code)); }, deadline);
  }
  bool WaitForKeyUp(UINT key, int count = 1) {
    return wintest::WaitUntil([&] { return recorder.Count(key, true) >= count; }, 10s);
  }

  std::vector<std::string> WrittenLevels() const {
    std::vector<std::string> levels;
    for (const auto& line : Writes())
      levels.push_back(line.Args.size() >= 2 ? line.Args[1] : "");
    return levels;
  }

  // Drops every hook of the session, ours included, the way Windows drops one it timed out; how many.
  int DropHooks() {
    std::string output = Helper(L"drop-hooks");
    std::cout << "kbdhelper: " << output;
    int dropped = -1;
    std::sscanf(output.c_str(), "dropped %d", &dropped);
    return dropped;
  }

  static std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

  KeyRecorder recorder;
};

TEST_F(KeyboardHookTest, EachWatchedPressSwitchesItsLevelOnceAndNeverReachesTheFocusedWindow) {
  StartResident();
  Press(L"ctrl+alt+a");
  ASSERT_TRUE(WaitForShowingsToEnd(1));
  Press(L"ctrl+alt+d");  // not a hot key
  ASSERT_TRUE(WaitForKeyUp('D')) << "Ctrl+Alt+D did not reach the focused window";
  EXPECT_EQ(recorder.Count('D', false), 1);
  // Held: the auto-repeated downs deliver nothing more.
  Press(L"ctrl+alt+b*5");
  ASSERT_TRUE(WaitForShowingsToEnd(2));
  // The right-hand modifiers count the same.
  Press(L"rctrl+ralt+c");
  ASSERT_TRUE(WaitForShowingsToEnd(3));

  EXPECT_EQ(Delivered(), (std::vector<std::string>{"0x5000041", "0x5000042", "0x5000043"})) << journal.Text();
  EXPECT_EQ(WrittenLevels(), (std::vector<std::string>{"0", "1", "2"})) << journal.Text();
  auto labels = Requests("changeLabel");
  ASSERT_EQ(labels.size(), 3u) << journal.Text();
  EXPECT_NE(labels[0].Text.find("<string>Quiet</string>"), std::string::npos) << labels[0].Text;
  EXPECT_NE(labels[2].Text.find("<string>Turbo</string>"), std::string::npos) << labels[2].Text;
  EXPECT_EQ(journal.Find("companion", "message").size(), 3u) << journal.Text();
  for (UINT key : {'A', 'B', 'C'})
    EXPECT_FALSE(recorder.Saw(key)) << "the focused window got key " << static_cast<char>(key);
  EXPECT_FALSE(recorder.Saw(kMaskKey)) << "Ctrl+Alt presses need no mask keystroke";

  // On its way out the program takes the hook away, and the library's thread ends before the process.
  CloseProgram(mainWindow);
  auto unhook = journal.Find("hook", "unhook");
  ASSERT_EQ(unhook.size(), 1u) << "the program did not take its hook away\n" << journal.Text();
  EXPECT_GT(unhook[0].Ms, journal.Find("hook", "deliver").back().Ms);
}

TEST_F(KeyboardHookTest, ChangedCodesTakeEffectWhileTheProgramRuns) {
  StartResident();  // no codes in the registry: the defaults
  SetHotKeyCode(L"1", kWinQ);
  // The library hears of the change through its registry watch, a moment after the write: pressed until
  // it has. The presses before it reach the focused window.
  int presses = 0;
  ASSERT_TRUE(wintest::WaitUntil(
      [&] {
        ++presses;
        Press(L"win+q");
        return WaitForDelivery(kWinQ, 1s);
      },
      20s))
      << "Win+Q, now the code of level 0, was never delivered\n"
      << journal.Text();
  ASSERT_TRUE(wintest::WaitUntil([&] { return !Writes().empty(); })) << journal.Text();
  EXPECT_EQ(Writes()[0].Text, "acpi write 0x80001 0 3 ok");
  EXPECT_EQ(recorder.Count('Q', false), presses - 1) << "the delivering press reached the focused window";
  // Win went down and up around a swallowed Q: the keystroke that keeps the Start menu shut came between.
  EXPECT_TRUE(wintest::WaitUntil([&] { return recorder.Count(kMaskKey, true) >= 1; }))
      << "no mask keystroke after Win+Q";

  // The code it replaced is an ordinary key press now.
  Press(L"ctrl+alt+a");
  ASSERT_TRUE(WaitForKeyUp('A')) << "Ctrl+Alt+A, no longer a hot key, did not reach the focused window";
  EXPECT_FALSE(journal.Contains("hook deliver 0x5000041")) << journal.Text();

  // The key removed: the defaults again, without a restart.
  RemoveHotKeyKey();
  int before = recorder.Count('A', true);
  ASSERT_TRUE(wintest::WaitUntil(
      [&] {
        Press(L"ctrl+alt+a");
        return WaitForDelivery(kCtrlAltA, 1s);
      },
      20s))
      << journal.Text();
  int leaked = recorder.Count('A', true) - before;
  int releases = recorder.Count('Q', true);
  Press(L"win+q");
  ASSERT_TRUE(WaitForKeyUp('Q', releases + 1)) << "Win+Q, no longer a hot key, was swallowed";
  EXPECT_EQ(recorder.Count('A', true) - before, leaked) << "a delivered Ctrl+Alt+A reached the window";
  EXPECT_EQ(journal.Find("hook", "deliver").size(), 2u) << journal.Text();
  CloseProgram(mainWindow);
}

TEST_F(KeyboardHookTest, AHookDroppedBehindItsBackIsInstalledAgainAndSoIsOneAfterAResumeOrAnUnlock) {
  StartResident();
  Press(L"ctrl+alt+a");
  ASSERT_TRUE(WaitForDelivery(kCtrlAltA)) << journal.Text();
  // Once the showing is over: every module that has windows on a thread watches their destruction there
  // with a hook of its own, and the player's first window comes with the showing, so its watch would
  // otherwise arrive after the drop and be counted at the end as a hook too many.
  ASSERT_TRUE(WaitForShowingsToEnd(1));
  // Wine keeps the hooks of a program that was killed rather than closed (a failed test's): those go too.
  ASSERT_GE(DropHooks(), 1) << "the program's hook could not be dropped\n" << journal.Text();

  // The first key after the loss goes by the hook; raw input tells the library so.
  Press(L"x");
  ASSERT_FALSE(journal.WaitFor("hook", "rehook", 1, 10s).empty())
      << "the dropped hook was not installed again\n"
      << journal.Text();
  EXPECT_TRUE(WaitForKeyUp('X'));
  Press(L"ctrl+alt+b");
  ASSERT_TRUE(WaitForDelivery(kCtrlAltB)) << "the press after the loss was not delivered\n" << journal.Text();
  ASSERT_TRUE(WaitForShowingsToEnd(2));
  EXPECT_EQ(WrittenLevels(), (std::vector<std::string>{"0", "1"})) << journal.Text();
  EXPECT_FALSE(recorder.Saw('B'));

  // No key tells of a hook lost during a sleep or while the session was locked: it is renewed then.
  auto monitors = WindowsOf(program->Id(), L"TapWatchMonitor");
  ASSERT_EQ(monitors.size(), 1u) << "the hook library's window";
  PostMessageW(monitors[0], WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
  PostMessageW(monitors[0], WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 0);
  ASSERT_EQ(journal.WaitFor("hook", "rehook", 3).size(), 3u) << journal.Text();
  Press(L"ctrl+alt+c");
  ASSERT_TRUE(WaitForDelivery(kCtrlAltC)) << journal.Text();
  EXPECT_FALSE(recorder.Saw('C'));
  // Each renewal took the hook it replaced away.
  EXPECT_EQ(DropHooks(), 1) << "the program holds more than one hook";
  CloseProgram(mainWindow);
}

// Until the thread has used no processor time for a third of a second (the clock counts in ticks of
// about 10 ms); false when it is still busy after 20 s.
bool WaitForThreadToGoQuiet(DWORD threadId) {
  win32base::UniqueKernelHandle thread(OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, threadId));
  if (!thread)
    return false;
  auto busyTime = [&] {
    FILETIME created{}, exited{}, kernel{}, user{};
    GetThreadTimes(thread.Get(), &created, &exited, &kernel, &user);
    return (ULONGLONG{kernel.dwHighDateTime} << 32 | kernel.dwLowDateTime) +
           (ULONGLONG{user.dwHighDateTime} << 32 | user.dwLowDateTime);
  };
  ULONGLONG last = busyTime();
  auto quietSince = std::chrono::steady_clock::now();
  auto deadline = quietSince + 20s;
  while (std::chrono::steady_clock::now() < deadline) {
    Sleep(20);
    ULONGLONG now = busyTime();
    if (now != last) {
      last = now;
      quietSince = std::chrono::steady_clock::now();
    } else if (std::chrono::steady_clock::now() - quietSince >= 330ms) {
      return true;
    }
  }
  return false;
}

TEST_F(KeyboardHookTest, KeysPassWhileTheProgramsMainThreadIsBlocked) {
  StartService();
  mainWindow = StartProgram();
  ASSERT_NE(mainWindow, nullptr);
  ASSERT_FALSE(journal.WaitFor("hook", "hook").empty()) << journal.Text();
  // Idle, its start-up over: then it holds nothing the hook thread could want while it is suspended (a
  // lock of the loader or of the heap). Answering a sent message does not show it: a thread answers
  // those in waits within its start-up too, and decodes the backdrop after that. Quiet is shown by the
  // thread's processor time, which stops growing once it only waits for messages.
  DWORD mainThread = GetWindowThreadProcessId(mainWindow, nullptr);
  ASSERT_TRUE(WaitForThreadToGoQuiet(mainThread)) << "the program's main thread never went quiet";
  DWORD_PTR reply = 0;
  ASSERT_TRUE(SendMessageTimeoutW(mainWindow, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &reply));

  // Two seconds is the time Wine holds a key event for a hook that does not answer: a hook on the
  // program's main thread would let no key through until the thread ran again. So every key must reach
  // the window, and the hot key the library, within the two seconds.
  constexpr auto kBlocked = 2000ms;
  Suspension blocked(GetWindowThreadProcessId(mainWindow, nullptr));
  ASSERT_TRUE(blocked.Suspended()) << "cannot suspend the program's main thread, error " << GetLastError();
  auto start = std::chrono::steady_clock::now();
  Press(L"x ctrl+alt+d ctrl+alt+b");
  auto remaining = [&] {
    return std::chrono::duration_cast<std::chrono::milliseconds>(kBlocked -
                                                                 (std::chrono::steady_clock::now() - start));
  };
  bool passedWhileBlocked = wintest::WaitUntil(
      [&] {
        return recorder.Count('X', true) == 1 && recorder.Count('D', true) == 1 &&
               journal.Contains("hook deliver 0x5000042");
      },
      remaining());
  // Blocked for the whole time, whatever came through.
  wintest::WaitUntil([] { return false; }, remaining());
  double resumedAt = NowMs();
  blocked.Resume();

  EXPECT_TRUE(passedWhileBlocked) << "keys waited for the program's main thread\n" << journal.Text();
  EXPECT_LT(recorder.LastUp('D'), resumedAt);
  EXPECT_FALSE(recorder.Saw('B'));
  // The hot key waited in the program's queue and is taken once its main thread runs again.
  ASSERT_TRUE(wintest::WaitUntil([&] { return !Writes().empty(); })) << journal.Text();
  EXPECT_EQ(Writes()[0].Text, "acpi write 0x80001 1 3 ok");
  CloseProgram(mainWindow);
}

}  // namespace
}  // namespace e2e
