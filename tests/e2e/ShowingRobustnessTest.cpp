#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <iostream>
#include <string>

#include "AnnouncementFixture.h"

namespace e2e {
namespace {

using ShowingRobustnessTest = AnnouncementFixture;

TEST_F(ShowingRobustnessTest, WithoutThePlayerLibraryTheLevelIsStillSetAndNoEmptyOsdCoversTheDesktop) {
  UseFolderWithout({L"swfhost.dll"});
  // Nor from the current directory or PATH, which hold a player library here: only the program's
  // folder and the system's are searched.
  wchar_t previousDirectory[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, previousDirectory);
  SetCurrentDirectoryW(wintest::DistDir().c_str());
  wchar_t previousPath[32767];
  GetEnvironmentVariableW(L"PATH", previousPath, 32767);
  SetEnvironmentVariableW(L"PATH", (wintest::DistDir() + L";" + previousPath).c_str());
  StartAll();
  SetCurrentDirectoryW(previousDirectory);
  SetEnvironmentVariableW(L"PATH", previousPath);
  HotKey(kCtrlAltC);
  ASSERT_FALSE(journal.WaitFor("acpi", "write").empty()) << journal.Text();
  // The showing has nothing to show: the configuration window is told as after any showing, and the
  // OSD is not seen at all, or for no longer than a whole showing with its movie would be.
  DWORD seenSince = 0, longestSeen = 0;
  ASSERT_TRUE(wintest::WaitUntil(
      [&] {
        bool seen = OsdVisible();
        DWORD now = GetTickCount();
        if (seen && !seenSince)
          seenSince = now;
        if (seen)
          longestSeen = std::max<DWORD>(longestSeen, now - seenSince);
        else
          seenSince = 0;
        return !seen && !journal.Find("companion", "message").empty();
      },
      std::chrono::seconds(30)))
      << "the showing did not end\n"
      << journal.Text();
  std::cout << "measured: OSD without a movie seen for " << longestSeen << " ms\n";
  EXPECT_LT(longestSeen, 3000u) << "an OSD with nothing to say covered the desktop";

  HotKey(kCtrlAltA);  // accepted again: the program is no longer busy
  ASSERT_EQ(journal.WaitFor("acpi", "write", 2).size(), 2u) << journal.Text();
  EXPECT_EQ(Writes()[1].Text, "acpi write 0x80001 0 3 ok");
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

TEST_F(ShowingRobustnessTest, AFolderTheCodePageCannotSpellRunsWithoutTheHookAndLoadsNoLookAlike) {
  // "ő" is not in code page 1252; its look-alike there is "o". Beside the program's folder stands one
  // with the look-alike's name and a hook library in it, which the program must not take for its own.
  UseFolderWithout({}, L"gs-e2e-pr\u0151gram-");
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring lookAlike =
      std::wstring(temp) + L"gs-e2e-program-" + std::to_wstring(GetCurrentProcessId());
  const std::wstring lookAlikeHook = lookAlike + L"\\TapWatch32.dll";
  CreateDirectoryW(lookAlike.c_str(), nullptr);
  ASSERT_TRUE(CopyFileW(wintest::DistFile(L"TapWatch32.dll").c_str(), lookAlikeHook.c_str(), FALSE));
  StartAll();
  HotKey(kCtrlAltA);
  EXPECT_TRUE(WaitForShowingsToEnd(1));
  EXPECT_TRUE(journal.Find("hook", "hook").empty()) << "a hook library was loaded from another folder";
  CloseProgram(mainWindow);
  DeleteFileW(lookAlikeHook.c_str());
  RemoveDirectoryW(lookAlike.c_str());
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
