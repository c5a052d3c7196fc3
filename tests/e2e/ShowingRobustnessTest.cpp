#include <windows.h>

#include <gtest/gtest.h>

#include <iostream>
#include <string>

#include "AnnouncementFixture.h"

namespace e2e {
namespace {

using ShowingRobustnessTest = AnnouncementFixture;

TEST_F(ShowingRobustnessTest, WithoutThePlayerLibraryTheLevelIsStillSetAndTheOsdGoesAwayOnItsOwn) {
  UseFolderWithout({L"swfhost.dll"});
  StartAll();
  HotKey(kCtrlAltC);
  ASSERT_FALSE(journal.WaitFor("acpi", "write").empty()) << journal.Text();
  ASSERT_TRUE(wintest::WaitUntil([&] { return OsdVisible(); })) << "the showing never began";
  DWORD shownAt = GetTickCount();
  ASSERT_TRUE(wintest::WaitUntil([&] { return !OsdVisible(); }, std::chrono::seconds(30)))
      << "a showing without a movie stayed on the screen";
  DWORD took = GetTickCount() - shownAt;
  std::cout << "measured: OSD without a movie hidden after " << took << " ms\n";
  EXPECT_GE(took, 9000u) << "hidden long before its time";

  HotKey(kCtrlAltA);  // accepted again: the program is no longer busy
  ASSERT_EQ(journal.WaitFor("acpi", "write", 2).size(), 2u) << journal.Text();
  EXPECT_EQ(Writes()[1].Text, "acpi write 0x80001 0 3");
  CloseProgram(mainWindow);
}

TEST_F(ShowingRobustnessTest, WithoutTheHookLibraryStartUpCompletesWithoutAMessage) {
  UseFolderWithout({L"TapWatch32.dll"});
  StartAll();
  // Resident: it answers a hot-key message from another source.
  HotKey(kCtrlAltA);
  ASSERT_TRUE(WaitForShowingsToEnd(1));
  EXPECT_TRUE(WindowsOf(program->Id(), L"#32770").empty()) << "a message box is open";
  EXPECT_TRUE(journal.Find("hook", "hook").empty()) << "there is no hook to install";
  CloseProgram(mainWindow);
}

TEST_F(ShowingRobustnessTest, ThirtyShowingsInARowLeaveTheResidentMemoryWhereItStood) {
  StartAll();
  SIZE_T afterSecond = 0;
  for (size_t showing = 1; showing <= 30; ++showing) {
    HotKey(showing % 2 ? kCtrlAltA : kCtrlAltC);
    ASSERT_TRUE(WaitForShowingsToEnd(showing));
    if (showing == 2)
      afterSecond = ProgramMemory();
  }
  SIZE_T afterThirtieth = ProgramMemory();
  if (afterSecond == 0)
    GTEST_SKIP() << "this platform does not report the program's resident memory";
  std::cout << "measured: resident memory after showing 2: " << afterSecond / 1024
            << " KiB, after 30: " << afterThirtieth / 1024 << " KiB\n";
  EXPECT_LE(afterThirtieth, afterSecond + 1024 * 1024) << "the showings leak";
  EXPECT_EQ(Writes().size(), 30u);
  CloseProgram(mainWindow);
}

}  // namespace
}  // namespace e2e
