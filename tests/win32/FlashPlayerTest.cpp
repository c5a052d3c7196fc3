#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "FrameworkFixture.h"
#include "TestJournal.h"
#include "WinTestSupport.h"
#include "journal/Journal.h"
#include "osd/FlashOsd.h"
#include "osd/FlashPlayer.h"
#include "win32base/UniqueHandle.h"

namespace {

// The OSD form with the shipped player library and its two movies, as a showing uses them.
class FlashPlayerTest : public FrameworkFixture {
 protected:
  void SetUp() override {
    FrameworkFixture::SetUp();
    // The library comes from the shipped folder. The movies are looked for beside the runner, where
    // there are none: a player then draws its plain look, which is all these tests need.
    SetDllDirectoryW(wintest::DistDir().c_str());
    form = std::make_unique<TFlashOsdForm>();
    form->CreateMovie("GearProfileOn", "GearProfileOn.swf", 400, 650);
    form->CreateMovie("GearProfileOff", "GearProfileOff.swf", 400, 650);
    ASSERT_NE(form->FlashItems[0].Flash, nullptr) << "no player for slot 0\n" << journal.Text();
    player = form->FlashItems[0].Flash->PlayerWindow;
  }
  void TearDown() override {
    SetDllDirectoryW(nullptr);
    FrameworkFixture::TearDown();
  }

  std::string HexOf(HWND window) const { return journal::Hex(reinterpret_cast<uintptr_t>(window)); }

  wintest::TestJournal journal;
  std::unique_ptr<TFlashOsdForm> form;
  HWND player = nullptr;
};

TEST_F(FlashPlayerTest, MoviesGetHiddenPlacedPlayersOwnedByTheOsd) {
  ASSERT_NE(form->FlashItems[1].Flash, nullptr);
  EXPECT_EQ(FlashList.size(), 2u);
  for (int slot : {0, 1}) {
    HWND window = form->FlashItems[slot].Flash->PlayerWindow;
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(GetWindow(window, GW_OWNER), form->Handle());
    RECT rect;
    GetWindowRect(window, &rect);
    POINT at = MoviePosition(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), 400, 650);
    EXPECT_EQ(rect.left, at.x);
    EXPECT_EQ(rect.top, at.y);
    EXPECT_EQ(rect.right - rect.left, 400);
    EXPECT_EQ(rect.bottom - rect.top, 650);
  }
  auto created = journal.WaitFor("flash", "create", 2);
  ASSERT_EQ(created.size(), 2u) << journal.Text();
  EXPECT_NE(created[0].Text.find("//Resource//GearProfileOn.swf"), std::string::npos) << created[0].Text;
}

TEST_F(FlashPlayerTest, AShowingReachesTheMovieAndItsCallOutsMoveThePhase) {
  form->SelectMovie(0);
  form->SendCommand(InvokeRequest("changeLabel", "Turbo"));
  form->SendShow();
  EXPECT_TRUE(IsWindowVisible(player));
  auto calls = journal.WaitFor("flash", "call", 2);
  ASSERT_EQ(calls.size(), 2u) << journal.Text();
  EXPECT_EQ(calls[0].Text, "flash call " + HexOf(player) + " " + InvokeRequest("changeLabel", "Turbo"));
  EXPECT_EQ(calls[1].Text, "flash call " + HexOf(player) + " " + InvokeRequest("externalCommand", "show"));
  ASSERT_TRUE(wintest::WaitUntil([] { return OsdPhase == 7; })) << "the intro's call-out never came\n"
                                                                << journal.Text();

  form->SendEnd();
  ASSERT_FALSE(journal.WaitFor("flash", "callout", 2).empty()) << journal.Text();
  EXPECT_EQ(OsdPhase, 7);
  form->HideMovies();
  EXPECT_FALSE(IsWindowVisible(player));
}

TEST_F(FlashPlayerTest, AShownPlayerNeverTakesTheForegroundOrTheFocus) {
  win32base::UniqueWindow own(CreateWindowExW(0, L"EDIT", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300,
                                              200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
  ASSERT_TRUE(own);
  SetForegroundWindow(own.Get());
  SetFocus(own.Get());
  ASSERT_TRUE(wintest::WaitUntil([&] { return GetForegroundWindow() == own.Get(); }));

  form->SelectMovie(0);
  form->SendShow();
  ASSERT_TRUE(wintest::WaitUntil([&] { return OsdPhase == 7; })) << journal.Text();
  EXPECT_TRUE(IsWindowVisible(player));
  EXPECT_EQ(GetForegroundWindow(), own.Get()) << "the player took the foreground";
  EXPECT_EQ(GetFocus(), own.Get()) << "the player took the focus";
  // A click on the player must not activate it either.
  EXPECT_EQ(SendMessageW(player, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(form->Handle()),
                         MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)),
            MA_NOACTIVATE);
  EXPECT_EQ(GetForegroundWindow(), own.Get());
}

TEST_F(FlashPlayerTest, APlayerTakesNoWorkFromAMessageWithoutItsProcessKey) {
  // The player hands its entries' work to its window in WM_APP messages that carry pointers; one sent
  // by anybody else (any process can) with a wild pointer must be ignored, not followed.
  std::wstring text =
      L"<invoke name=\"changeLabel\" returntype=\"xml\"><arguments><string>x</string></arguments></invoke>";
  VARIANT request;
  VariantInit(&request);
  request.vt = VT_BSTR;
  request.bstrVal = SysAllocString(text.c_str());
  for (UINT message = WM_APP + 0x51; message <= WM_APP + 0x54; ++message) {
    EXPECT_EQ(SendMessageW(player, message, 0, reinterpret_cast<LPARAM>(&request)), 0);
    EXPECT_EQ(SendMessageW(player, message, 0x12345678, 0x12345678), 0);
  }
  EXPECT_TRUE(IsWindow(player));
  form->SelectMovie(0);
  form->SendCommand(InvokeRequest("changeLabel", "y"));
  // The lines are written in the order of their events: a call taken from the stray messages would be
  // there before this one.
  const std::string taken = "flash call " + HexOf(player) + " " + InvokeRequest("changeLabel", "y");
  ASSERT_TRUE(wintest::WaitUntil([&] { return journal.Contains(taken); })) << journal.Text();
  EXPECT_EQ(journal.Find("flash", "call").size(), 1u) << "only the request through the library is taken\n"
                                                      << journal.Text();
  SysFreeString(request.bstrVal);
}

}  // namespace
