#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "TestJournal.h"
#include "WindowSearch.h"

namespace e2e {
namespace {

using wintest::ChildProcess;
using wintest::DistCommand;

// gearmain.exe, the suite's configuration window, as the resident program meets it: found by class and
// caption, sent its message synchronously.
class CompanionTest : public ::testing::Test {
 protected:
  HWND StartCompanion() {
    companion = std::make_unique<ChildProcess>(DistCommand(L"gearmain.exe"));
    EXPECT_TRUE(companion->Started()) << "gearmain.exe did not start, error " << companion->StartError();
    HWND window = WaitForWindow(companion->Id(), L"TfrmGearMain", L"GearMain");
    EXPECT_NE(window, nullptr) << "no TfrmGearMain window appeared\n" << companion->Errors();
    return window;
  }

  // As the program sends it, with a limit so that a wedged window fails the test instead of hanging it.
  static bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 1;
    return SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, 10000, &result) && result == 0;
  }

  wintest::TestJournal journal;
  std::unique_ptr<ChildProcess> companion;
};

TEST_F(CompanionTest, RunsHiddenWithTheWindowTheProgramLooksFor) {
  HWND window = StartCompanion();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(FindWindowA("TfrmGearMain", "GearMain"), window);
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_TRUE(VisibleWindowsOf(companion->Id()).empty()) << "gearmain shows a window";
  EXPECT_NE(GetForegroundWindow(), window);
}

TEST_F(CompanionTest, JournalsOnlyTheAnnouncementMessageWithItsArguments) {
  HWND window = StartCompanion();
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(Send(window, 0x7EE, 99, 99));
  ASSERT_TRUE(Send(window, 0x7ED, 99, 99)) << "0x7ed must be answered at once with 0";
  ASSERT_TRUE(Send(window, 0x7ED, 7, -2));
  journal.WaitFor("companion", "message", 2);
  std::vector<std::string> expected{"companion message 0x7ed 99 99", "companion message 0x7ed 7 -2"};
  EXPECT_EQ(journal.Events(), expected) << journal.Text();
}

TEST_F(CompanionTest, SecondCopyExitsWithOneAndTheFirstKeepsRunning) {
  HWND window = StartCompanion();
  ASSERT_NE(window, nullptr);
  auto second = wintest::RunDistProgram(L"gearmain.exe", L"");
  EXPECT_EQ(second.exitCode, 1u);
  EXPECT_NE(second.errors.find("already"), std::string::npos) << "stderr: " << second.errors;
  EXPECT_TRUE(companion->Running());
  EXPECT_EQ(FindWindowA("TfrmGearMain", "GearMain"), window);
}

TEST_F(CompanionTest, StopEndsTheRunningOneWithExitCodeZero) {
  ASSERT_NE(StartCompanion(), nullptr);
  auto stop = wintest::RunDistProgram(L"gearmain.exe", L"stop");
  EXPECT_EQ(stop.exitCode, 0u) << stop.errors;
  EXPECT_FALSE(companion->Running()) << "stop returned before the process ended";
  EXPECT_EQ(companion->WaitForExit(), 0u);
  EXPECT_EQ(FindWindowA("TfrmGearMain", "GearMain"), nullptr);
}

TEST_F(CompanionTest, StopWithoutOneRunningFails) {
  auto stop = wintest::RunDistProgram(L"gearmain.exe", L"stop");
  EXPECT_EQ(stop.exitCode, 1u);
  EXPECT_NE(stop.errors.find("no GearMain window"), std::string::npos) << "stderr: " << stop.errors;
}

}  // namespace
}  // namespace e2e
