#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <iostream>
#include <string>
#include <thread>

#include "AnnouncementFixture.h"

namespace e2e {
namespace {

using AnnouncementTest = AnnouncementFixture;

// Where a line stands in the whole journal, for questions of order.
size_t PositionOf(const wintest::TestJournal& journal, const std::string& text) {
  auto events = journal.Events();
  for (size_t i = 0; i < events.size(); ++i) {
    if (events[i] == text)
      return i;
  }
  return events.size();
}

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

 private:
  win32base::UniqueWindow window_;
};

TEST_F(AnnouncementTest, OneHotKeyWritesTheLevelAnnouncesItFullScreenAndHidesAgainWithoutTakingTheFocus) {
  StartAll();
  FocusedWindow work;
  ASSERT_EQ(GetForegroundWindow(), work.Get()) << "the test's window could not take the focus";
  bool focusKept = true, sawFullScreen = false, sawPlayerInPlace = false;
  auto watch = [&] {
    focusKept = focusKept && GetForegroundWindow() == work.Get();
    if (OsdVisible()) {
      RECT rect;
      GetWindowRect(OsdWindow(), &rect);
      sawFullScreen =
          sawFullScreen || (rect.left == 0 && rect.top == 0 && rect.right == GetSystemMetrics(SM_CXSCREEN) &&
                            rect.bottom == GetSystemMetrics(SM_CYSCREEN));
      for (HWND player : Players()) {
        GetWindowRect(player, &rect);
        sawPlayerInPlace =
            sawPlayerInPlace || (IsWindowVisible(player) && rect.left == 760 && rect.top == 322 &&
                                 rect.right - rect.left == 400 && rect.bottom - rect.top == 650);
      }
    }
  };

  HotKey(kCtrlAltC);
  ASSERT_TRUE(wintest::WaitUntil(
      [&] {
        watch();
        return journal.Find("flash", "callout").size() >= 2 && !OsdVisible();
      },
      std::chrono::seconds(30)))
      << journal.Text();
  EXPECT_TRUE(focusKept) << "the showing took the focus";
  EXPECT_TRUE(sawFullScreen) << "the OSD never covered the screen";
  EXPECT_TRUE(sawPlayerInPlace) << "the movie was never seen at 760,322, 400 x 650";

  ASSERT_EQ(Writes().size(), 1u) << journal.Text();
  EXPECT_EQ(Writes()[0].Text, "acpi write 0x80001 2 3 ok");
  ASSERT_EQ(Requests("changeLabel").size(), 1u) << journal.Text();
  EXPECT_NE(Requests("changeLabel")[0].Text.find("<string>Turbo</string>"), std::string::npos)
      << "the label is the text of the level read back";
  EXPECT_TRUE(journal.ContainsPrefix("acpi read 0x80001 2"));
  for (HWND player : Players())
    EXPECT_FALSE(IsWindowVisible(player)) << "a player was left on the screen";

  // The journal's times: the movie is told to end 2000 ms after its first call-out, and everything is
  // hidden 250 ms after the next one.
  auto callouts = journal.Find("flash", "callout");
  auto commands = Requests("externalCommand");
  ASSERT_EQ(commands.size(), 2u) << journal.Text();
  const wintest::JournalLine show = commands[0], end = commands[1];
  EXPECT_NE(show.Text.find("<string>show</string>"), std::string::npos);
  EXPECT_NE(end.Text.find("<string>end</string>"), std::string::npos);
  wintest::JournalLine hidden;
  for (const auto& line : journal.Find("flash", "visible")) {
    if (hidden.Text.empty() && line.Ms > callouts[1].Ms && line.Args.size() >= 2 && line.Args[1] == "0")
      hidden = line;
  }
  ASSERT_FALSE(hidden.Text.empty()) << journal.Text();
  double toEnd = end.Ms - callouts[0].Ms, toHidden = hidden.Ms - callouts[1].Ms;
  std::cout << "measured: show to first call-out " << callouts[0].Ms - show.Ms
            << " ms, first call-out to end " << toEnd << " ms, next call-out to hidden " << toHidden
            << " ms\n";
  EXPECT_GE(toEnd, 1995.0);
  EXPECT_LT(toEnd, 5000.0);
  EXPECT_GE(toHidden, 245.0);
  EXPECT_LT(toHidden, 3000.0);

  // The configuration window hears of it once the showing has started.
  ASSERT_TRUE(journal.Contains("companion message 0x7ed 99 99")) << journal.Text();
  EXPECT_GT(PositionOf(journal, "companion message 0x7ed 99 99"), PositionOf(journal, show.Text));
  CloseProgram(mainWindow);
}

TEST_F(AnnouncementTest, HotKeyDuringAShowingIsDroppedAndOneAfterItsEndStartsTheNext) {
  StartAll();
  HotKey(kCtrlAltA);
  ASSERT_FALSE(journal.WaitFor("flash", "call", 2).empty());
  HotKey(kCtrlAltB);  // while the first showing runs
  ASSERT_TRUE(WaitForShowingsToEnd(1));
  EXPECT_EQ(Writes().size(), 1u) << "the hot key during the showing was not dropped\n" << journal.Text();
  HotKey(kCtrlAltB);
  // The second showing's movie is in front of its backdrop as the first one's was.
  ASSERT_FALSE(journal.WaitFor("flash", "callout", 3).empty()) << journal.Text();
  EXPECT_TRUE(MovieInFrontOfBackdrop()) << "the backdrop covers the movie of the second showing";
  ASSERT_TRUE(WaitForShowingsToEnd(2));
  ASSERT_EQ(Writes().size(), 2u) << journal.Text();
  EXPECT_EQ(Writes()[1].Text, "acpi write 0x80001 1 3 ok");
  ASSERT_EQ(Requests("changeLabel").size(), 2u);
  EXPECT_NE(Requests("changeLabel")[1].Text.find("<string>Balanced</string>"), std::string::npos);
  EXPECT_EQ(journal.Find("flash", "create").size(), 2u) << "the movies are made once, on the first showing";
  CloseProgram(mainWindow);
}

TEST_F(AnnouncementTest, RegistryCodesReplaceTheDefaultsOneByOneAndTheFirstMatchWins) {
  SetHotKeyCode(L"1", 0x10);
  SetHotKeyCode(L"2", 0x10);
  StartAll();
  HotKey(0x10);
  ASSERT_TRUE(WaitForShowingsToEnd(1));
  ASSERT_EQ(Writes().size(), 1u) << journal.Text();
  EXPECT_EQ(Writes()[0].Text, "acpi write 0x80001 0 3 ok");

  RemoveHotKeyKey();
  SetHotKeyCode(L"2", 0x20);  // read afresh on every hot key
  HotKey(kCtrlAltB);          // no longer anyone's code: nothing happens, nothing is busy
  HotKey(0x12345);
  HotKey(kCtrlAltC);
  ASSERT_TRUE(WaitForShowingsToEnd(2));
  HotKey(0x20);
  ASSERT_TRUE(WaitForShowingsToEnd(3));
  HotKey(kCtrlAltA);
  ASSERT_TRUE(WaitForShowingsToEnd(4));
  ASSERT_EQ(Writes().size(), 4u) << journal.Text();
  EXPECT_EQ(Writes()[1].Text, "acpi write 0x80001 2 3 ok");
  EXPECT_EQ(Writes()[2].Text, "acpi write 0x80001 1 3 ok");
  EXPECT_EQ(Writes()[3].Text, "acpi write 0x80001 0 3 ok");
  CloseProgram(mainWindow);
}

TEST_F(AnnouncementTest, CodeOfTheWrongTypeIsReportedAndTheProgramStaysResident) {
  const wchar_t text[] = L"0x5000041";
  SetHotKeyValue(L"1", REG_SZ, text, sizeof text);
  StartAll();
  HotKey(kCtrlAltA);
  HWND report = nullptr;
  ASSERT_TRUE(wintest::WaitUntil([&] {
    auto boxes = WindowsOf(program->Id(), L"#32770");
    report = boxes.empty() ? nullptr : boxes.front();
    return report != nullptr;
  })) << "no exception report";
  PostMessageW(report, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(wintest::WaitUntil([&] { return WindowsOf(program->Id(), L"#32770").empty(); }));
  EXPECT_TRUE(Writes().empty()) << journal.Text();
  EXPECT_TRUE(Requests("changeLabel").empty());

  RemoveHotKeyKey();
  HotKey(kCtrlAltA);
  ASSERT_TRUE(WaitForShowingsToEnd(1)) << "the program no longer answers";
  EXPECT_EQ(Writes().size(), 1u);
  CloseProgram(mainWindow);
}

TEST_F(AnnouncementTest, LevelChangeNotificationAnnouncesWithoutWritingAndTellsTheCompanionFirst) {
  StartAll();
  Notify(0x12345678);  // not the program's: nothing happens
  Notify(kLevelChange);
  ASSERT_TRUE(WaitForShowingsToEnd(1));
  EXPECT_TRUE(Writes().empty()) << journal.Text();
  ASSERT_EQ(Requests("changeLabel").size(), 1u) << journal.Text();
  EXPECT_NE(Requests("changeLabel")[0].Text.find("<string>Balanced</string>"), std::string::npos)
      << "the shipped BIOS stands at level 1";
  ASSERT_EQ(journal.Find("companion", "message").size(), 1u) << journal.Text();
  EXPECT_LT(PositionOf(journal, "companion message 0x7ed 99 99"),
            PositionOf(journal, Requests("changeLabel")[0].Text));
  CloseProgram(mainWindow);
}

TEST_F(AnnouncementTest, ConfigurationWindowThatStopsAnsweringDoesNotHangTheProgram) {
  // A configuration window of the test's own whose thread stops taking messages once it exists.
  win32base::UniqueKernelHandle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  std::atomic<bool> created{false};
  std::thread stuck([&] {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"TfrmGearMain";
    RegisterClassW(&windowClass);
    win32base::UniqueWindow window(CreateWindowExW(0, L"TfrmGearMain", L"GearMain", WS_OVERLAPPED, 0, 0, 0, 0,
                                                   nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
    created = true;
    WaitForSingleObject(release.Get(), 120000);
  });
  ASSERT_TRUE(wintest::WaitUntil([&] { return created.load(); }));
  StartService();
  mainWindow = StartProgram();
  ASSERT_NE(mainWindow, nullptr);
  HotKey(kCtrlAltA);
  bool ended = WaitForShowingsToEnd(1);
  HotKey(kCtrlAltB);
  bool answered = ended && WaitForShowingsToEnd(2);
  SetEvent(release.Get());
  stuck.join();
  EXPECT_TRUE(ended) << "the showing did not end while the configuration window hung";
  EXPECT_TRUE(answered) << "the next hot key was not answered";
  CloseProgram(mainWindow);
}

TEST_F(AnnouncementTest, ItemWithTwoLevelsAnnouncesTheLevelInForceForTheThird) {
  UseBios("group 15\nitem 15 1 : 0x00080001 0 0 0 2 \"Eco\" \"Sport\"\n");
  StartAll();
  HotKey(kCtrlAltC);
  ASSERT_TRUE(WaitForShowingsToEnd(1));
  EXPECT_TRUE(Writes().empty()) << journal.Text();
  ASSERT_EQ(Requests("changeLabel").size(), 1u);
  EXPECT_NE(Requests("changeLabel")[0].Text.find("<string>Sport</string>"), std::string::npos);
  CloseProgram(mainWindow);
}

TEST_F(AnnouncementTest, NumberItemsAnnounceTheirTextsAndACloseDuringAShowingEndsCleanly) {
  struct Case {
    const char* bios;
    DWORD key;
    const char* label;
  };
  const Case cases[] = {
      {"item 15 0 : 0x00020001 0 0 0 800 25 3\n", kCtrlAltC, "0.850"},
      // The minimum -50 in the low 24 bits, the exponent 0 above them.
      {"item 15 2 : 0x00020001 0 0 0 0x00ffffce 25 3\n", kCtrlAltA, "-0.050"},
      {"item 15 1 : 0x00000001 0 0 0 15 5 7 1 \"Auto\"\n", kCtrlAltA, "Auto"},
  };
  StartService();
  for (const Case& c : cases) {
    UseBios(std::string("group 15\n") + c.bios);
    mainWindow = StartProgram();
    ASSERT_NE(mainWindow, nullptr);
    size_t before = Requests("changeLabel").size();
    HotKey(c.key);
    ASSERT_TRUE(wintest::WaitUntil([&] { return Requests("changeLabel").size() > before; }))
        << journal.Text();
    EXPECT_NE(Requests("changeLabel").back().Text.find(std::string("<string>") + c.label + "</string>"),
              std::string::npos)
        << Requests("changeLabel").back().Text;
    // Closed while the movie plays: the program must end at once and cleanly.
    CloseProgram(mainWindow);
  }
}

}  // namespace
}  // namespace e2e
