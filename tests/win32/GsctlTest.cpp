#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "ChildProcess.h"
#include "RecordingWindow.h"
#include "WinTestSupport.h"
#include "journal/Journal.h"

namespace {

using wintest::ReceivedMessage;
using wintest::RecordingWindow;

wintest::ProgramRun Gsctl(const std::wstring& arguments) {
  return wintest::RunDistProgram(L"gsctl.exe", arguments);
}

class GsctlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(FindWindowW(L"TMainForm", L"GearShift"), nullptr) << "a main form of another program is up";
  }
};

TEST_F(GsctlTest, PostingCommandsReachTheMainForm) {
  RecordingWindow mainForm(L"TMainForm", L"GearShift");
  struct Case {
    const wchar_t* arguments;
    ReceivedMessage expected;
  };
  const Case cases[] = {
      {L"hotkey 0x5000041", {0x467, 0x55, 0x5000041}},
      {L"notify 0xa0060000", {0x408, 0x55, 0xa0060000}},
      {L"close", {0x400, 0x55, 0}},
      {L"send 0x400 0x155 4294967295", {0x400, 0x155, 0xffffffff}},
  };
  for (const Case& c : cases) {
    auto run = Gsctl(c.arguments);
    EXPECT_EQ(run.exitCode, 0u) << run.errors;
    EXPECT_TRUE(wintest::WaitUntil([&] { return mainForm.Received(c.expected); }))
        << "gsctl " << std::string(c.arguments, c.arguments + wcslen(c.arguments)) << " did not arrive";
  }
}

TEST_F(GsctlTest, StatusReportsTheOsdAndPlayersOfTheProgram) {
  RecordingWindow mainForm(L"TMainForm", L"GearShift");
  RecordingWindow osd(L"TFlashOsdForm", L"FlashOsdForm", WS_POPUP, {10, 20, 310, 220});
  RecordingWindow shownPlayer(L"SwfHostPlayer", L"", WS_POPUP, {0, 0, 40, 60});
  RecordingWindow hiddenPlayer(L"SwfHostPlayer", L"", WS_POPUP, {0, 0, 40, 60});
  ShowWindow(osd.Handle(), SW_SHOWNOACTIVATE);
  ShowWindow(shownPlayer.Handle(), SW_SHOWNOACTIVATE);
  wintest::PumpMessages();

  std::string main = journal::Hex(reinterpret_cast<UINT_PTR>(mainForm.Handle()));
  auto run = Gsctl(L"status");
  EXPECT_EQ(run.exitCode, 0u) << run.errors;
  EXPECT_EQ(run.output,
            "main=" + main + " osd=visible osdrect=10,20,310,220 players=1/2 last=none monitor=0,0,0,0\n");

  // Where the last showing went, as the program leaves it on the OSD window: a monitor left of the
  // primary has negative edges.
  SetPropW(osd.Handle(), L"GearShift.LastShowing", reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(2)));
  const LONG edges[4] = {-1280, 0, 0, 1024};
  const wchar_t* names[4] = {L"GearShift.MonitorLeft", L"GearShift.MonitorTop", L"GearShift.MonitorRight",
                             L"GearShift.MonitorBottom"};
  for (int i = 0; i < 4; ++i)
    SetPropW(osd.Handle(), names[i],
             reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(static_cast<DWORD>(edges[i]))));
  EXPECT_EQ(Gsctl(L"status").output, "main=" + main +
                                         " osd=visible osdrect=10,20,310,220 players=1/2 "
                                         "last=no-picture-fullscreen monitor=-1280,0,0,1024\n");
  SetPropW(osd.Handle(), L"GearShift.LastShowing", reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(3)));
  EXPECT_NE(Gsctl(L"status").output.find(" last=off monitor=-1280,0,0,1024\n"), std::string::npos);
  SetPropW(osd.Handle(), L"GearShift.LastShowing", reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(1)));
  EXPECT_NE(Gsctl(L"status").output.find(" last=shown monitor=-1280,0,0,1024\n"), std::string::npos);
  RemovePropW(osd.Handle(), L"GearShift.LastShowing");
  for (const wchar_t* name : names)
    RemovePropW(osd.Handle(), name);

  ShowWindow(osd.Handle(), SW_HIDE);
  wintest::PumpMessages();
  EXPECT_EQ(Gsctl(L"status").output,
            "main=" + main + " osd=hidden osdrect=10,20,310,220 players=1/2 last=none monitor=0,0,0,0\n");

  osd.Destroy();
  shownPlayer.Destroy();
  hiddenPlayer.Destroy();
  EXPECT_EQ(Gsctl(L"status").output,
            "main=" + main + " osd=none osdrect=0,0,0,0 players=0/0 last=none monitor=0,0,0,0\n");
}

TEST_F(GsctlTest, EveryCommandFailsWhenTheProgramIsNotRunning) {
  auto status = Gsctl(L"status");
  EXPECT_EQ(status.exitCode, 1u);
  EXPECT_EQ(status.output, "main=none osd=none osdrect=0,0,0,0 players=0/0 last=none monitor=0,0,0,0\n");
  EXPECT_NE(status.errors.find("not running"), std::string::npos) << status.errors;

  for (const wchar_t* arguments : {L"hotkey 1", L"notify 1", L"close", L"send 0x400 0x55 0"}) {
    auto run = Gsctl(arguments);
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_NE(run.errors.find("not running"), std::string::npos) << run.errors;
  }
}

TEST_F(GsctlTest, BadArgumentsAreRefusedWithUsage) {
  RecordingWindow mainForm(L"TMainForm", L"GearShift");
  auto run = Gsctl(L"hotkey ctrl-a");
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_NE(run.errors.find("usage: gsctl"), std::string::npos) << run.errors;
  wintest::PumpMessages();
  EXPECT_TRUE(mainForm.All().empty()) << "nothing may be posted for a refused command line";
}

}  // namespace
