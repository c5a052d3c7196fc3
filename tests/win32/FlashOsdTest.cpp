#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "FrameworkFixture.h"
#include "WinTestSupport.h"
#include "framework/Handler.h"
#include "framework/UniqueHandle.h"
#include "osd/FlashOsd.h"
#include "osd/FlashOsdManipulator.h"
#include "osd/FlashPlayer.h"
#include "osd/TransFlash.h"

namespace {

using FlashOsdTest = FrameworkFixture;

// A plain popup that stands in for a player window where only its placement and visibility count.
framework::UniqueWindow MakePopup(int x, int y, int width, int height) {
  return framework::UniqueWindow(CreateWindowExW(WS_EX_NOACTIVATE, L"STATIC", L"", WS_POPUP, x, y, width,
                                                 height, nullptr, nullptr, GetModuleHandleW(nullptr),
                                                 nullptr));
}

TEST_F(FlashOsdTest, OsdWindowIsTopMostToolWindowThatNeverActivatesAndHasNoTaskBarButton) {
  framework::Application().MainFormOnTaskBar = true;
  TFlashOsdForm form;
  LONG exStyle = GetWindowLongW(form.Handle(), GWL_EXSTYLE);
  EXPECT_EQ(exStyle & 0x08000088, 0x08000088);
  EXPECT_EQ(exStyle & WS_EX_APPWINDOW, 0);
  EXPECT_EQ(GetWindowLongW(form.Handle(), GWL_STYLE) & WS_CAPTION, 0);
  EXPECT_FALSE(IsWindowVisible(form.Handle())) << "the OSD starts hidden";
  EXPECT_EQ(form.Background.Width(), 105);
  EXPECT_FALSE(form.Background.HasBitmap()) << "the backdrop is loaded later";
  framework::Application().MainFormOnTaskBar = false;
}

TEST_F(FlashOsdTest, MoviePositionFollowsTheScreenSize) {
  struct Case {
    int screenWidth, screenHeight;
    LONG x, y;
  };
  for (const Case& c : {Case{1920, 1080, 760, 322}, Case{1024, 600, 312, 85}, Case{399, 768, 0, 166},
                        Case{800, 649, 200, 92}, Case{1280, 650, 440, 107}}) {
    POINT at = MoviePosition(c.screenWidth, c.screenHeight, 400, 650);
    EXPECT_EQ(at.x, c.x) << c.screenWidth << "x" << c.screenHeight;
    EXPECT_EQ(at.y, c.y) << c.screenWidth << "x" << c.screenHeight;
  }
}

TEST_F(FlashOsdTest, SlotsRefuseARepeatedNameAndASeventeenthMovie) {
  TFlashOsdForm form;
  EXPECT_EQ(form.AllocateSlot("GearProfileOn"), 0);
  EXPECT_EQ(form.AllocateSlot("GearProfileOff"), 1);
  EXPECT_EQ(form.AllocateSlot("GearProfileOn"), -1) << "a name already in use";
  EXPECT_EQ(form.FindSlot("gearprofileon"), -1) << "names compare with case";
  for (int i = 2; i < FlashSlotCount; ++i)
    EXPECT_EQ(form.AllocateSlot("movie" + std::to_string(i)), i);
  EXPECT_EQ(form.AllocateSlot("seventeenth"), -1);
  EXPECT_EQ(form.FindSlot("seventeenth"), -1);
  EXPECT_EQ(form.FindSlot("movie15"), 15);
  EXPECT_EQ(form.PlaceMovie("nowhere", 400, 650), -1);
}

TEST_F(FlashOsdTest, SelectingAnEmptySlotLeavesNoCurrentMovieAndSendsNothing) {
  TFlashOsdForm form;
  form.SelectMovie(5);
  EXPECT_EQ(OsdPhase, 5);
  EXPECT_EQ(form.CurrentMovie, nullptr);
  form.ShowMovies();
  form.HideMovies();
  form.SendShow();
  form.SendEnd();
}

TEST_F(FlashOsdTest, SendCommandGivesTheMovieAtLeastAHundredMilliseconds) {
  TFlashOsdForm form;
  form.SelectMovie(0);
  for (int i = 0; i < 3; ++i) {
    auto start = std::chrono::steady_clock::now();
    form.SendCommand(InvokeRequest("changeLabel", "Turbo"));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
  }
}

TEST_F(FlashOsdTest, RequestsAreTheInvokeTextsOfThePlayer) {
  EXPECT_EQ(InvokeRequest("externalCommand", "show"),
            "<invoke name=\"externalCommand\" returntype=\"xml\"><arguments><string>show</string></arguments>"
            "</invoke>");
  EXPECT_EQ(InvokeRequest("changeLabel", "Quiet").size(), 98u);
}

struct CountingTarget {
  int runs = 0;
  void Signal() { ++runs; }
};

TEST_F(FlashOsdTest, CallOutsMoveThePhaseAndRunTheStoredHandlerOnlyOnceItIsSet) {
  TFlashOsdForm form;
  form.SelectMovie(0);
  MovieEventHandler = {};
  FlashCallCallback(0, 0, 0, 0);
  EXPECT_EQ(OsdPhase, 7) << "the first call-out of slot 0";
  FlashCallCallback(0, 0, 0, 0);
  EXPECT_EQ(OsdPhase, 7) << "no handler yet: nothing happens";

  CountingTarget target;
  form.SetMovieEventHandler(framework::MakeHandler<CountingTarget, &CountingTarget::Signal>(target));
  FlashCallCallback(0, 0, 0, 0);
  EXPECT_EQ(target.runs, 1);
  EXPECT_EQ(OsdPhase, 7);

  form.SelectMovie(1);
  FlashCallCallback(0, 0, 0, 0);
  EXPECT_EQ(OsdPhase, 8);
  EXPECT_EQ(target.runs, 1) << "the first call-out of slot 1 runs no handler";
  FlashCallCallback(0, 0, 0, 0);
  EXPECT_EQ(target.runs, 2);

  for (int phase : {2, 3, 5, 6}) {
    form.SelectMovie(phase);
    FlashCallCallback(0, 0, 0, 0);
    EXPECT_EQ(OsdPhase, phase);
  }
  EXPECT_EQ(target.runs, 6);
  for (int phase : {9, 15, -1}) {
    OsdPhase = phase;
    FlashCallCallback(0, 0, 0, 0);
    EXPECT_EQ(OsdPhase, phase);
  }
  EXPECT_EQ(target.runs, 6) << "phases without a movie do nothing";
  MovieEventHandler = {};
}

// The call-out runs inside the player library's window procedure: an exception must not unwind through
// its frames. It is reported from the main loop instead, once the library's call has returned.
struct ThrowingTarget {
  void Signal() { throw std::runtime_error("no thread for the fade-out"); }
};

TEST_F(FlashOsdTest, ACallOutThatFailsThrowsNothingAndIsReportedFromTheMainLoop) {
  ThrowingTarget target;
  MovieEventHandler = framework::MakeHandler<ThrowingTarget, &ThrowingTarget::Signal>(target);
  OsdPhase = 7;
  EXPECT_NO_THROW(FlashCallCallback(0, 0, 0, 0));
  EXPECT_TRUE(reports.empty()) << "reported inside the library's call";
  EXPECT_TRUE(wintest::WaitUntil([&] { return !reports.empty(); }));
  EXPECT_EQ(reports, std::vector<std::string>{"no thread for the fade-out"});
  MovieEventHandler = {};
}

TEST_F(FlashOsdTest, CallOutOfTheSlotFourMovieStartsTheOsdTimerAndItsTickStopsIt) {
  TFlashOsdForm form;
  FlashOsdForm = &form;
  FlashOsdWindowManipulator::Instance().ConnectCallOuts();
  form.SelectMovie(4);
  FlashCallCallback(0, 0, 0, 0);
  EXPECT_EQ(OsdPhase, 4);
  EXPECT_TRUE(form.OsdTimer.Enabled());
  EXPECT_EQ(form.OsdTimer.Interval(), 3000u);
  form.Show();
  form.OnOsdTimer(&form.OsdTimer);
  EXPECT_FALSE(form.OsdTimer.Enabled()) << "one tick, then the timer stays stopped";
  EXPECT_TRUE(form.Visible()) << "nothing else happens: the OSD is not hidden by it";
  form.Hide();
  FlashOsdForm = nullptr;
}

TEST_F(FlashOsdTest, VisibilityIsTheOwnersWishUnlessTheWholeListIsHidden) {
  framework::UniqueWindow parent = MakePopup(0, 0, 200, 200);
  framework::UniqueWindow player = MakePopup(0, 0, 40, 40);
  TTransFlash flash;
  flash.PlayerWindow = player.Get();
  flash.ParentWindow = parent.Get();
  FlashList.push_back(&flash);

  flash.ListRestore();
  EXPECT_FALSE(IsWindowVisible(player.Get())) << "restoring a player its owner does not want hides it";
  flash.ListHide();
  flash.SetVisible(true);
  EXPECT_FALSE(IsWindowVisible(player.Get())) << "the list's hiding overrides the owner's wish";
  RestoreAllFlashes();
  EXPECT_TRUE(IsWindowVisible(player.Get()));
  ForEachFlash(7);
  EXPECT_TRUE(IsWindowVisible(player.Get())) << "an unknown operation changes nothing";
  HideAllFlashes();
  EXPECT_FALSE(IsWindowVisible(player.Get()));
  EXPECT_TRUE(flash.Visible);
  FlashList.clear();
  ForEachFlash(FlashOpListRestore);
  EXPECT_FALSE(IsWindowVisible(player.Get())) << "an empty list reaches nobody";
}

TEST_F(FlashOsdTest, PlayerIsPlacedFromWhereItsParentIsNow) {
  framework::UniqueWindow parent = MakePopup(100, 50, 200, 200);
  framework::UniqueWindow player = MakePopup(0, 0, 10, 10);
  TTransFlash flash;
  flash.PlayerWindow = player.Get();
  flash.ParentWindow = parent.Get();
  flash.SetBounds(760, 322, 400, 650);
  RECT rect;
  GetWindowRect(player.Get(), &rect);
  EXPECT_EQ(rect.left, 860);
  EXPECT_EQ(rect.top, 372);
  EXPECT_EQ(rect.right - rect.left, 400);
  EXPECT_EQ(rect.bottom - rect.top, 650);

  SetWindowPos(parent.Get(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  GetWindowRect(player.Get(), &rect);
  EXPECT_EQ(rect.left, 860) << "a move of the parent is followed only on Reposition";
  flash.Reposition();
  GetWindowRect(player.Get(), &rect);
  EXPECT_EQ(rect.left, 760);
  EXPECT_EQ(rect.top, 322);
}

TEST_F(FlashOsdTest, APlayerWindowThatWouldTakeTheActivationIsPlacedShownAndHiddenWithoutIt) {
  framework::UniqueWindow own(CreateWindowExW(0, L"EDIT", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300,
                                              200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
  ASSERT_TRUE(own);
  SetForegroundWindow(own.Get());
  ASSERT_TRUE(wintest::WaitUntil([&] { return GetForegroundWindow() == own.Get(); }))
      << "the test's window could not take the foreground";
  framework::UniqueWindow parent = MakePopup(0, 0, 200, 200);
  // An owned popup with nothing of its own against activation: a player library need not refuse it.
  framework::UniqueWindow player(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, parent.Get(),
                                                 nullptr, GetModuleHandleW(nullptr), nullptr));
  ASSERT_TRUE(player);
  TTransFlash flash;
  flash.PlayerWindow = player.Get();
  flash.ParentWindow = parent.Get();
  FlashList.push_back(&flash);
  struct Step {
    const char* what;
    std::function<void()> run;
  };
  const Step steps[] = {
      {"placed and sized", [&] { flash.SetBounds(20, 20, 40, 40); }},
      {"shown", [&] { flash.SetVisible(true); }},
      {"moved while shown", [&] { flash.SetBounds(30, 30, 50, 50); }},
      {"hidden and shown again with the list",
       [&] {
         HideAllFlashes();
         RestoreAllFlashes();
       }},
      {"hidden", [&] { flash.SetVisible(false); }},
  };
  for (const Step& step : steps) {
    step.run();
    wintest::PumpMessages();
    EXPECT_EQ(GetForegroundWindow(), own.Get()) << "the player took the foreground when " << step.what;
    EXPECT_NE(GetActiveWindow(), player.Get()) << "the player was activated when " << step.what;
  }
  FlashList.clear();
}

TEST_F(FlashOsdTest, MissingPlayerLibraryCreatesNoPlayerAndALaterLoadWorks) {
  // The runner's folder has no swfhost.dll; the shipped folder has.
  TFlashOsdForm form;
  form.CreateMovie("GearProfileOn", "GearProfileOn.swf", 400, 650);
  ASSERT_EQ(form.FindSlot("GearProfileOn"), 0) << "the slot is kept for a later try";
  EXPECT_EQ(form.FlashItems[0].Flash, nullptr);
  EXPECT_FALSE(osd::FlashPlayerComplete());
  form.SelectMovie(0);
  form.SendShow();  // nothing to send to, nothing called

  ASSERT_TRUE(SetDllDirectoryW(wintest::DistDir().c_str()));
  EXPECT_NE(form.PlaceMovie("GearProfileOn", 400, 650), 0);
  SetDllDirectoryW(nullptr);
  ASSERT_TRUE(osd::FlashPlayerComplete()) << "swfhost.dll was not loaded from the shipped folder";
  ASSERT_NE(form.FlashItems[0].Flash, nullptr);
  HWND player = form.FlashItems[0].Flash->PlayerWindow;
  ASSERT_TRUE(IsWindow(player));
  EXPECT_FALSE(IsWindowVisible(player)) << "a new player is hidden";
  EXPECT_EQ(GetWindow(player, GW_OWNER), form.Handle());
}

}  // namespace
