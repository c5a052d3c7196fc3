#include <windows.h>
#include <oleacc.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <chrono>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "AnnouncementFixture.h"

namespace e2e {
namespace {

using namespace std::chrono_literals;

// One event as the listener heard it.
struct Heard {
  std::string event;  // "alert" or "liveregion"
  DWORD process = 0;
  std::string window;
  long role = -1;
  unsigned long state = 0xffffffffUL;  // as read back when the event came; all bits when it gave none
  std::string name;
};

// A window of the test's own that has the focus, as the user's work would.
class FocusedWindow {
 public:
  FocusedWindow() {
    window_.Reset(CreateWindowExW(0, L"STATIC", L"the user's work", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50,
                                  300, 200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
    SetForegroundWindow(window_.Get());
    SetFocus(window_.Get());
    wintest::WaitUntil([&] { return GetForegroundWindow() == window_.Get(); });
  }
  HWND Get() const { return window_.Get(); }
  bool Focused() const { return GetForegroundWindow() == window_.Get() && GetFocus() == window_.Get(); }

 private:
  win32base::UniqueWindow window_;
};

// The program resident beside a listener that hears its WinEvents from another process, as a screen
// reader does.
class ScreenReaderTest : public AnnouncementFixture {
 protected:
  void TearDown() override {
    listener.reset();
    AnnouncementFixture::TearDown();
  }

  void StartListener() {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring folder = self;
    folder.resize(folder.rfind(L'\\') + 1);
    listener = std::make_unique<wintest::ChildProcess>(L"\"" + folder + L"srlistener.exe\"");
    // Generous: once, on a busy machine, it had not printed within 20 s (its COM start-up and the hooks
    // wait on Wine's background services).
    ASSERT_TRUE(wintest::WaitUntil([&] { return listener->Output().rfind("ready\n", 0) == 0; },
                                   std::chrono::seconds(90)))
        << "the listener did not hook: " << listener->Errors();
  }

  std::vector<Heard> HeardFrom(DWORD process) const {
    std::vector<Heard> heard;
    std::istringstream lines(listener->Output());
    for (std::string line; std::getline(lines, line);) {
      Heard h;
      std::istringstream fields(line);
      if (!(fields >> h.event >> h.process >> h.window >> h.role >> std::hex >> h.state >> std::dec) ||
          h.process != process)
        continue;
      fields.get();  // the one space before the name
      std::getline(fields, h.name);
      heard.push_back(h);
    }
    return heard;
  }

  static std::vector<std::string> NamesOf(const std::vector<Heard>& heard, const std::string& event) {
    std::vector<std::string> names;
    for (const Heard& h : heard)
      if (h.event == event)
        names.push_back(h.name);
    return names;
  }

  // Waits for the count-th showing to end, checking meanwhile that the user's window keeps the focus.
  ::testing::AssertionResult WaitForShowingsToEnd(size_t count, const FocusedWindow& work, bool& focusKept) {
    bool ended = wintest::WaitUntil(
        [&] {
          focusKept = focusKept && work.Focused();
          return journal.Find("flash", "callout").size() >= 2 * count && !OsdVisible();
        },
        30s);
    if (ended)
      return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "showing " << count << " did not end\n" << journal.Text();
  }

  std::unique_ptr<wintest::ChildProcess> listener;
};

TEST_F(ScreenReaderTest, EachShowingIsHeardOnceWithItsLevelsTextAsItStandsAndTheFocusStaysPut) {
  UseBios("group 15\nitem 15 0 : 0x00080001 0 0 0 3 \"Quiet\" \"Fast & <Loud>\" \"Turbo\"\n");
  StartAll();
  FocusedWindow work;
  ASSERT_TRUE(work.Focused()) << "the test's window could not take the focus";
  StartListener();
  bool focusKept = true;

  HotKey(kCtrlAltC);
  ASSERT_TRUE(WaitForShowingsToEnd(1, work, focusKept));
  HotKey(kCtrlAltB);
  ASSERT_TRUE(WaitForShowingsToEnd(2, work, focusKept));
  Notify(kLevelChange);
  ASSERT_TRUE(WaitForShowingsToEnd(3, work, focusKept));
  // A last showing: the listener takes one process's events in the order they were raised, so once it
  // has heard this one, it has heard whatever the hiding of the one before raised.
  HotKey(kCtrlAltA);
  ASSERT_TRUE(WaitForShowingsToEnd(4, work, focusKept));
  EXPECT_TRUE(focusKept) << "a showing took the focus from the user's window";
  auto heardLast = [&](const std::string& event) {
    auto names = NamesOf(HeardFrom(program->Id()), event);
    return !names.empty() && names.back() == "Quiet";
  };
  EXPECT_TRUE(wintest::WaitUntil([&] { return heardLast("liveregion") && heardLast("alert"); }))
      << "the last showing was not heard: " << listener->Output() << listener->Errors();

  std::vector<Heard> heard = HeardFrom(program->Id());
  const std::vector<std::string> expected{"Turbo", "Fast & <Loud>", "Fast & <Loud>", "Quiet"};
  EXPECT_EQ(NamesOf(heard, "liveregion"), expected) << listener->Output();
  EXPECT_EQ(NamesOf(heard, "alert"), expected) << listener->Output();
  HWND osd = OsdWindow();
  for (const Heard& h : heard) {
    EXPECT_EQ(h.window, HexOf(osd)) << "an event of another window than the OSD: " << h.event << " "
                                    << h.name;
    EXPECT_EQ(h.role, ROLE_SYSTEM_ALERT) << "the OSD is no alert to a reader: " << h.event << " " << h.name;
  }
  CloseProgram(mainWindow);
}

// Whether the process has a module of that name loaded.
bool HoldsModule(DWORD process, const wchar_t* name) {
  win32base::UniqueKernelHandle handle(
      OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, process));
  HMODULE modules[512];
  DWORD bytes = 0;
  if (!handle || !EnumProcessModules(handle.Get(), modules, sizeof modules, &bytes))
    return false;
  for (DWORD i = 0; i < bytes / sizeof(HMODULE) && i < std::size(modules); ++i) {
    wchar_t base[MAX_PATH] = {};
    if (GetModuleBaseNameW(handle.Get(), modules[i], base, MAX_PATH) && lstrcmpiW(base, name) == 0)
      return true;
  }
  return false;
}

TEST_F(ScreenReaderTest, WithoutAPictureOrAPlayerEachShowingIsStillHeardFromAnObjectThatIsNotInvisible) {
  UseFolderWithout({L"swfhost.dll"});
  StartAll();
  FocusedWindow work;
  ASSERT_TRUE(work.Focused()) << "the test's window could not take the focus";
  StartListener();
  auto heardLast = [&](const std::string& text) {
    auto heard = HeardFrom(program->Id());
    auto live = NamesOf(heard, "liveregion"), alerts = NamesOf(heard, "alert");
    return !live.empty() && live.back() == text && !alerts.empty() && alerts.back() == text;
  };

  // No picture: the OSD window stays hidden while the reader reads its object back.
  SetHotKeyCode(L"ShowOsd", 0);
  HotKey(kCtrlAltC);
  EXPECT_TRUE(wintest::WaitUntil([&] { return heardLast("Turbo"); }, 30s))
      << "a showing without a picture was not heard: " << listener->Output() << listener->Errors();
  // No player either: the level is set and nothing is shown.
  SetHotKeyCode(L"ShowOsd", 1);
  HotKey(kCtrlAltB);
  EXPECT_TRUE(wintest::WaitUntil([&] { return heardLast("Balanced"); }, 30s))
      << "a showing without a player was not heard: " << listener->Output() << listener->Errors();

  constexpr unsigned long unseen = STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN;
  for (const Heard& h : HeardFrom(program->Id())) {
    EXPECT_NE(h.state, 0xffffffffUL) << "the object gave no state: " << h.event << " " << h.name;
    EXPECT_EQ(h.state & unseen, 0u) << "the object read back says it cannot be seen: " << h.event << " "
                                    << h.name << " state 0x" << std::hex << h.state;
    EXPECT_EQ(h.role, ROLE_SYSTEM_ALERT) << "the OSD is no alert to a reader: " << h.event << " " << h.name;
  }
  EXPECT_TRUE(work.Focused()) << "a showing took the focus from the user's window";
  // Its objects may be released as late as the end of the program's COM apartment.
  EXPECT_TRUE(HoldsModule(program->Id(), L"uiautomationcore.dll"))
      << "the program does not keep UI Automation's library loaded";
  CloseProgram(mainWindow);
}

}  // namespace
}  // namespace e2e
