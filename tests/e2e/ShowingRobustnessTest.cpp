#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <iostream>
#include <string>
#include <vector>

#include "AnnouncementFixture.h"

namespace e2e {
namespace {

using ShowingRobustnessTest = AnnouncementFixture;

// What any program of the user can do to windows of another: post each window-life message, send each,
// and send creations whose object pointer points nowhere.
void ForgeWindowLifeMessages(const std::vector<HWND>& windows) {
  constexpr UINT kLife[] = {WM_NCCREATE, WM_CREATE, WM_DESTROY, WM_NCDESTROY};
  for (HWND window : windows) {
    for (UINT message : kLife)
      PostMessageW(window, message, 0, 0);
  }
  CREATESTRUCTW creation{};
  creation.lpCreateParams = reinterpret_cast<void*>(0x1234);
  for (HWND window : windows) {
    for (UINT message : kLife) {
      bool creating = message == WM_NCCREATE || message == WM_CREATE;
      DWORD_PTR result = 0;
      SendMessageTimeoutW(window, message, 0, creating ? reinterpret_cast<LPARAM>(&creation) : 0, SMTO_NORMAL,
                          2000, &result);
    }
  }
}

std::vector<HWND> EveryWindowOf(DWORD processId) {
  std::vector<HWND> windows = WindowsOf(processId, L"");
  std::vector<HWND> messageOnly = MessageOnlyWindowsOf(processId);
  windows.insert(windows.end(), messageOnly.begin(), messageOnly.end());
  return windows;
}

// Stops every thread of the process for a while, as a machine under load may, and lets it go on where
// it stood; false when no thread could be stopped.
bool StallProcess(DWORD processId, DWORD milliseconds) {
  win32base::UniqueFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  if (!snapshot)
    return false;
  std::vector<win32base::UniqueKernelHandle> stopped;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot.Get(), &entry); more; more = Thread32Next(snapshot.Get(), &entry)) {
    if (entry.th32OwnerProcessID != processId)
      continue;
    win32base::UniqueKernelHandle thread(OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID));
    if (thread && SuspendThread(thread.Get()) != static_cast<DWORD>(-1))
      stopped.push_back(std::move(thread));
  }
  Sleep(milliseconds);
  for (const auto& thread : stopped)
    ResumeThread(thread.Get());
  return !stopped.empty();
}

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

TEST_F(ShowingRobustnessTest, APlayerLibraryWithoutTheEntriesTheProgramNeverCallsStillPlays) {
  // A player library that has flash_create, the call-back setter and flash_callFunction, but neither
  // flash_play nor flash_stop, which the program looks up and never calls.
  wchar_t runner[MAX_PATH];
  GetModuleFileNameW(nullptr, runner, MAX_PATH);
  std::wstring player(runner);
  player = player.substr(0, player.find_last_of(L"\\/")) + L"\\player-without-play-and-stop\\swfhost.dll";
  UseFolderWithout({L"swfhost.dll"});
  ASSERT_TRUE(CopyFileW(player.c_str(), (copiedFolder + L"\\swfhost.dll").c_str(), FALSE))
      << "no test player";
  StartAll();
  HotKey(kCtrlAltA);
  ASSERT_TRUE(WaitForShowingsToEnd(1));
  CloseProgram(mainWindow);
}

TEST_F(ShowingRobustnessTest, AShowingTheDeadlineEndedLeavesNothingThatCutsTheNextShowingShort) {
  // A movie whose outro outlasts the showing's deadline: the deadline ends the first showing while its
  // movie still owes the outro's call-out, which then comes in the middle of the next showing.
  UseFolderWithout({});
  const std::wstring moviePath = copiedFolder + L"\\Resource\\GearProfileOn.swf";
  std::string movie;
  {
    std::ifstream in(std::filesystem::path(moviePath), std::ios::binary);
    movie.assign(std::istreambuf_iterator<char>(in), {});
  }
  const std::size_t outro = movie.find("outro.ms = ");
  ASSERT_NE(outro, std::string::npos) << "the movie has no outro time";
  movie.replace(outro, movie.find('\n', outro) - outro, "outro.ms = 9000");
  std::ofstream(std::filesystem::path(moviePath), std::ios::binary | std::ios::trunc) << movie;
  StartAll();

  HotKey(kCtrlAltA);
  ASSERT_FALSE(journal.WaitFor("acpi", "write").empty()) << journal.Text();
  // Whether the movie has been asked for that clip since the journal's line "from".
  auto requested = [&](std::size_t from, const std::string& request) {
    auto lines = journal.Lines();
    for (std::size_t i = from; i < lines.size(); ++i)
      if (lines[i].Event == "call" && lines[i].Text.find(">" + request + "<") != std::string::npos)
        return true;
    return false;
  };
  ASSERT_TRUE(
      wintest::WaitUntil([&] { return requested(0, "end") && !OsdVisible(); }, std::chrono::seconds(30)))
      << "the deadline did not end the first showing\n"
      << journal.Text();

  const std::size_t before = journal.Lines().size();
  HotKey(kCtrlAltB);
  ASSERT_EQ(journal.WaitFor("acpi", "write", 2).size(), 2u) << journal.Text();
  // The second showing is hidden by its own end (here its deadline again), which comes after it has
  // asked its movie for the outro; a call-out owed to the first showing must not hide it before.
  ASSERT_TRUE(wintest::WaitUntil([&] { return requested(before, "show") && OsdVisible(); }))
      << journal.Text();
  ASSERT_TRUE(wintest::WaitUntil([&] { return !OsdVisible(); }, std::chrono::seconds(40)))
      << "the second showing did not end\n"
      << journal.Text();
  EXPECT_TRUE(requested(before, "end")) << "the second showing was hidden before it asked for its outro\n"
                                        << journal.Text();
  CloseProgram(mainWindow);
}

TEST_F(ShowingRobustnessTest, ARefusedRequestAndAShowingEndedByItsDeadlineLeaveLaterShowingsTheirOwnLength) {
  StartAll();
  // Notifications back to back, faster than the movie plays its intros: it takes the first "show",
  // queues what it can and refuses the rest, and calls out only for what it took.
  constexpr int kBurst = 12;
  for (int i = 0; i < kBurst; ++i)
    PostMessageW(mainWindow, kServiceNotify, contract::MessageTag, kLevelChange);
  auto taken = [&] { return Requests("externalCommand").size() - journal.Find("flash", "refuse").size(); };
  ASSERT_TRUE(wintest::WaitUntil(
      [&] {
        return Requests("changeLabel").size() == kBurst && Requests("externalCommand").size() > kBurst &&
               journal.Find("flash", "callout").size() >= taken() && !OsdVisible();
      },
      std::chrono::seconds(40)))
      << "the burst's showing did not end\n"
      << journal.Text();
  ASSERT_FALSE(journal.Find("flash", "refuse").empty()) << "the movie refused no request\n" << journal.Text();
  // The last call-out's fade-out leaves no trace once the OSD is hidden; it must be over before the next
  // showing, which it would end.
  Sleep(1000);

  // A showing during which the program is stopped longer than a showing may last: its deadline ends it.
  const size_t showsBefore = Requests("externalCommand").size();
  HotKey(kCtrlAltA);
  ASSERT_TRUE(wintest::WaitUntil([&] { return Requests("externalCommand").size() > showsBefore; }))
      << journal.Text();
  ASSERT_TRUE(StallProcess(program->Id(), 11000)) << "the program could not be stopped";
  ASSERT_TRUE(wintest::WaitUntil([&] { return !OsdVisible(); }, std::chrono::seconds(30)))
      << "the deadline did not end the stalled showing\n"
      << journal.Text();

  // Each later showing runs from its movie's intro to its outro, neither held up to the deadline nor cut
  // short, and none is dropped.
  const DWORD codes[] = {kCtrlAltB, kCtrlAltC, kCtrlAltA};
  for (size_t i = 0; i < std::size(codes); ++i) {
    const size_t from = journal.Lines().size(), writes = Writes().size();
    HotKey(codes[i]);
    ASSERT_TRUE(wintest::WaitUntil([&] { return Writes().size() > writes; }))
        << "showing " << i + 1 << " after the stall was dropped\n"
        << journal.Text();
    // The player's own record of it: shown, then hidden.
    double shown = -1, hidden = -1;
    ASSERT_TRUE(wintest::WaitUntil(
        [&] {
          auto lines = journal.Lines();
          std::string player;
          for (size_t l = from; l < lines.size() && hidden < 0; ++l) {
            const auto& line = lines[l];
            if (line.Component != "flash" || line.Event != "visible" || line.Args.size() < 2)
              continue;
            if (player.empty() && line.Args[1] == "1") {
              player = line.Args[0];
              shown = line.Ms;
            } else if (!player.empty() && line.Args[0] == player && line.Args[1] == "0") {
              hidden = line.Ms;
            }
          }
          return hidden >= 0 && !OsdVisible();
        },
        std::chrono::seconds(30)))
        << "showing " << i + 1 << " after the stall did not end\n"
        << journal.Text();
    std::cout << "measured: showing " << i + 1 << " after the stall on screen " << hidden - shown << " ms\n";
    EXPECT_GT(hidden - shown, 2500.0) << "showing " << i + 1 << " was cut short\n" << journal.Text();
    EXPECT_LT(hidden - shown, 7000.0) << "showing " << i + 1 << " was held up to the deadline\n"
                                      << journal.Text();
  }
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

TEST_F(ShowingRobustnessTest, ForgedWindowLifeMessagesDuringAShowingChangeNothing) {
  StartAll();
  HotKey(kCtrlAltA);
  ASSERT_TRUE(wintest::WaitUntil([&] { return OsdVisible(); })) << "the showing did not begin\n"
                                                                << journal.Text();
  // The main-thread channel and the timers have message-only windows, which are forged to as well.
  ASSERT_FALSE(MessageOnlyWindowsOf(program->Id()).empty())
      << "the program's message-only windows were not found";
  std::vector<HWND> serviceWindows = EveryWindowOf(service->Id());
  ASSERT_FALSE(serviceWindows.empty()) << "the service's window was not found";
  ForgeWindowLifeMessages(EveryWindowOf(program->Id()));
  ForgeWindowLifeMessages(serviceWindows);

  // The showing goes on to its end and hides the OSD, and the program answers as before: a hot key, the
  // service's notification and the close request.
  ASSERT_TRUE(WaitForShowingsToEnd(1));
  HotKey(kCtrlAltC);
  ASSERT_TRUE(WaitForShowingsToEnd(2));
  EXPECT_EQ(Writes().size(), 2u) << journal.Text();
  Notify(kLevelChange);
  ASSERT_TRUE(WaitForShowingsToEnd(3)) << "the service's notification went unanswered";
  ASSERT_TRUE(program->Running()) << "the program ended";
  CloseProgram(mainWindow);
}

TEST_F(ShowingRobustnessTest, WindowMemoryAnotherProgramWritesChangesNothing) {
  StartAll();
  HotKey(kCtrlAltA);
  ASSERT_TRUE(wintest::WaitUntil([&] { return OsdVisible(); })) << "the showing did not begin\n"
                                                                << journal.Text();
  // What any program of the user may write into another's windows: the user data, the extra bytes, a
  // property named as a mark of destruction, and then forged window-life messages on top.
  std::vector<HWND> windows = EveryWindowOf(program->Id());
  ASSERT_FALSE(windows.empty()) << "the program's windows were not found";
  for (HWND window : windows) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0x1234);
    SetWindowLongPtrW(window, 0, 0);
    SetPropW(window, L"GearShiftDestructionBegun", reinterpret_cast<HANDLE>(1));
  }
  ForgeWindowLifeMessages(windows);

  ASSERT_TRUE(WaitForShowingsToEnd(1)) << "the showing under way did not end";
  HotKey(kCtrlAltC);
  ASSERT_TRUE(WaitForShowingsToEnd(2)) << "the next hot key was not shown";
  EXPECT_EQ(Writes().size(), 2u) << journal.Text();
  ASSERT_TRUE(program->Running()) << "the program ended";
  CloseProgram(mainWindow);
}

}  // namespace
}  // namespace e2e
