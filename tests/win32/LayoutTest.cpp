#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

#include "FrameworkFixture.h"
#include "MessageBoxCatcher.h"
#include "TestJournal.h"
#include "WinTestSupport.h"
#include "framework/Application.h"
#include "journal/Journal.h"
#include "layout/BackdropImage.h"
#include "layout/Layout.h"
#include "osd/FlashOsd.h"
#include "osd/FlashPlayer.h"
#include "win32base/GdiPlusApi.h"

namespace {

// The OSD form as the program has it, with GDI+ running and the shipped player library. This runner
// sits in a folder laid out like the program's, with its Resource folder.
class LayoutTest : public FrameworkFixture {
 protected:
  void SetUp() override {
    FrameworkFixture::SetUp();
    GdiplusStartupInput input{1, nullptr, FALSE, FALSE};
    ASSERT_EQ(GdiplusStartup(&gdiplus, &input, nullptr), 0);
    SetDllDirectoryW(wintest::DistDir().c_str());
    form = std::make_unique<TFlashOsdForm>();
    FlashOsdForm = form.get();
    // The layout lives as long as the process and remembers what an earlier test did to it; each test
    // starts from the layout of a program that has just started.
    moviesLoaded = false;
    FlashOsdLayout::Instance().bitmap.reset();
  }
  void TearDown() override {
    FlashOsdForm = nullptr;
    form.reset();
    SetDllDirectoryW(nullptr);
    GdiplusShutdown(gdiplus);
    FrameworkFixture::TearDown();
  }

  static std::string HexOf(HWND window) { return journal::Hex(reinterpret_cast<uintptr_t>(window)); }
  HWND Player(int slot) const { return form->FlashItems[slot].Flash->PlayerWindow; }

  // The requests the movie of the slot was sent, in order (Settle's own left out).
  std::vector<std::string> RequestsTo(int slot) {
    std::vector<std::string> requests;
    std::string prefix = "flash call " + HexOf(Player(slot)) + " ";
    for (const auto& line : journal.Find("flash", "call")) {
      if (line.Text.rfind(prefix, 0) == 0 && line.Text.find(kSettle) == std::string::npos)
        requests.push_back(line.Text.substr(prefix.size()));
    }
    return requests;
  }

  // Returns once the player library has journalled everything done so far. It writes its lines from a
  // thread of its own, in order: once a request it ignores, made now, is in the journal, so is all before.
  void Settle() {
    VARIANT request;
    VariantInit(&request);
    request.vt = VT_BSTR;
    std::wstring text(kSettle, kSettle + std::char_traits<char>::length(kSettle));
    request.bstrVal = SysAllocString(text.c_str());
    osd::FlashPlayer().CallFunction(Player(0), request);
    VariantClear(&request);
    ASSERT_TRUE(wintest::WaitUntil([&] { return !journal.Find("flash", "ignore").empty(); }))
        << journal.Text();
  }

  static constexpr char kSettle[] =
      "<invoke name=\"settle\" returntype=\"xml\"><arguments></arguments></invoke>";

  ULONG_PTR gdiplus = 0;
  wintest::TestJournal journal;
  std::unique_ptr<TFlashOsdForm> form;
};

// The picture's pixels, top row first, as 0x00RRGGBB.
std::vector<DWORD> PixelsOf(const framework::TBitmap& bitmap) {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), bitmap.Width(), -bitmap.Height(), 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  std::vector<DWORD> pixels(static_cast<size_t>(bitmap.Width()) * bitmap.Height());
  HDC screen = GetDC(nullptr);
  GetDIBits(screen, bitmap.Handle(), 0, bitmap.Height(), pixels.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  for (DWORD& pixel : pixels)
    pixel &= 0x00FFFFFF;
  return pixels;
}

TEST_F(LayoutTest, MissingPictureIsReportedOnceWithItsPathAndLeavesAnEmpty32BitBitmap) {
  framework::TBitmap bitmap;
  std::wstring path = framework::TApplication::ExeFolder() + L"Resource\\no-such-picture.png";
  std::vector<MessageBoxCatcher::Box> boxes;
  {
    MessageBoxCatcher catcher;
    LoadImageIntoBitmap(path, bitmap);
    boxes = catcher.Boxes();
  }
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Caption, L"LoadImage");
  EXPECT_EQ(boxes[0].Text, L"Can not load image " + path);
  EXPECT_TRUE(bitmap.Empty());
  EXPECT_EQ(bitmap.Width(), 0);
  EXPECT_EQ(bitmap.Height(), 0);
  EXPECT_EQ(bitmap.PixelFormat(), framework::TPixelFormat::Bits32);
}

TEST_F(LayoutTest, TransparencyComesOutBlendedOverOpaqueBlack) {
  framework::TBitmap bitmap;
  MessageBoxCatcher catcher;
  LoadImageIntoBitmap(framework::TApplication::ExeFolder() + L"half-transparent.png", bitmap);
  EXPECT_TRUE(catcher.Boxes().empty());
  ASSERT_EQ(bitmap.Width(), 4);
  ASSERT_EQ(bitmap.Height(), 1);
  std::vector<DWORD> pixels = PixelsOf(bitmap);
  // Opaque red, white at half opacity, transparent green, blue at a quarter.
  const DWORD expected[] = {0xFF0000, 0x7F7F7F, 0x000000, 0x000040};
  for (int x = 0; x < 4; ++x) {
    for (int shift : {0, 8, 16}) {
      int want = (expected[x] >> shift) & 0xFF, got = (pixels[x] >> shift) & 0xFF;
      EXPECT_NEAR(got, want, 1) << "pixel " << x << ": " << std::hex << pixels[x];
    }
  }
}

TEST_F(LayoutTest, LoadBackgroundGivesTheOsdAStretchedCopyOfTheBackdropAndHidesIt) {
  form->Show();
  MessageBoxCatcher catcher;
  FlashOsdLayout::Instance().LoadBackground();
  EXPECT_TRUE(catcher.Boxes().empty());
  ASSERT_NE(FlashOsdLayout::Instance().bitmap, nullptr);
  EXPECT_EQ(FlashOsdLayout::Instance().bitmap->Width(), 1280);
  EXPECT_EQ(FlashOsdLayout::Instance().bitmap->Height(), 720);
  EXPECT_EQ(FlashOsdLayout::Instance().bitmap->PixelFormat(), framework::TPixelFormat::Bits32);
  EXPECT_TRUE(form->Background.HasBitmap());
  EXPECT_TRUE(form->Background.Stretch());
  EXPECT_FALSE(form->Visible());
}

TEST_F(LayoutTest, SizeToScreenCoversTheScreenAndBringsBackARightSizedFormThatStandsElsewhere) {
  int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  FlashOsdLayout::Instance().SizeToScreen();
  RECT rect;
  GetWindowRect(form->Handle(), &rect);
  EXPECT_EQ(rect.left, 0);
  EXPECT_EQ(rect.top, 0);
  EXPECT_EQ(rect.right, width);
  EXPECT_EQ(rect.bottom, height);
  EXPECT_EQ(form->Background.Width(), width);
  EXPECT_EQ(form->Background.Height(), height);

  form->SetBounds(100, 50, width, height);
  FlashOsdLayout::Instance().SizeToScreen();
  GetWindowRect(form->Handle(), &rect);
  EXPECT_EQ(rect.left, 0) << "the place is compared as well as the size";
  EXPECT_EQ(rect.top, 0);

  // A monitor chosen for a showing that has gone since (none stands at 20000,0): the primary instead.
  FlashOsdLayout::Instance().SetMonitor({20000, 0, 21280, 1024});
  FlashOsdLayout::Instance().SizeToScreen();
  GetWindowRect(form->Handle(), &rect);
  EXPECT_EQ(rect.left, 0) << "a monitor that has gone falls back to the primary";
  EXPECT_EQ(rect.top, 0);
  EXPECT_EQ(rect.right, width);
  EXPECT_EQ(rect.bottom, height);
}

TEST_F(LayoutTest, FirstShowProfileCreatesBothMoviesHiddenAndLaterCallsOnlyPlaceThem) {
  form->Show();
  FlashOsdLayout::Instance().ShowProfile(0);
  EXPECT_TRUE(moviesLoaded);
  EXPECT_EQ(form->FindSlot("GearProfileOn"), 0);
  EXPECT_EQ(form->FindSlot("GearProfileOff"), 1);
  ASSERT_NE(form->FlashItems[0].Flash, nullptr) << journal.Text();
  ASSERT_NE(form->FlashItems[1].Flash, nullptr);
  EXPECT_FALSE(form->Visible()) << "loading the movies hides the OSD";
  EXPECT_FALSE(IsWindowVisible(Player(0)));
  EXPECT_FALSE(IsWindowVisible(Player(1)));
  Settle();
  EXPECT_EQ(journal.Find("flash", "create").size(), 2u);

  POINT at = MoviePosition(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), 400, 650);
  SetWindowPos(Player(0), nullptr, 5, 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  FlashOsdLayout::Instance().ShowProfile(0);
  FlashOsdLayout::Instance().ShowProfile(7);  // no such profile: nothing placed
  RECT rect;
  GetWindowRect(Player(0), &rect);
  EXPECT_EQ(rect.left, at.x);
  EXPECT_EQ(rect.top, at.y);
  EXPECT_EQ(rect.right - rect.left, 400);
  Settle();
  EXPECT_EQ(journal.Find("flash", "create").size(), 2u) << "no movie is made twice";
}

TEST_F(LayoutTest, ShowLabelLabelsAndShowsSlotZeroWhateverProfileWasPlaced) {
  FlashOsdLayout::Instance().ShowProfile(1);
  auto start = std::chrono::steady_clock::now();
  FlashOsdLayout::Instance().ShowLabel("Quieter");
  auto took = std::chrono::steady_clock::now() - start;
  // Checked before any message is pumped: the movie's call-out cannot have moved the phase yet.
  EXPECT_EQ(OsdPhase, 0);
  EXPECT_EQ(form->CurrentMovie, form->FlashItems[0].Flash);
  EXPECT_GE(took, std::chrono::milliseconds(100));
  EXPECT_TRUE(form->Visible());
  EXPECT_TRUE(IsWindowVisible(Player(0)));
  EXPECT_FALSE(IsWindowVisible(Player(1)));
  Settle();
  std::vector<std::string> requests = RequestsTo(0);
  ASSERT_EQ(requests.size(), 2u) << journal.Text();
  EXPECT_EQ(requests[0], InvokeRequest("changeLabel", "Quieter"));
  EXPECT_EQ(requests[0].size(), 100u) << "93 fixed bytes and the 7 of the label";
  EXPECT_EQ(requests[1], InvokeRequest("externalCommand", "show"));
  EXPECT_TRUE(RequestsTo(1).empty());
}

TEST_F(LayoutTest, EndTimerAndHideReachTheCurrentMovieAndTheForm) {
  FlashOsdLayout::Instance().ShowProfile(0);
  FlashOsdLayout::Instance().ShowLabel("Turbo");
  FlashOsdLayout::Instance().EndMovie();
  Settle();
  EXPECT_EQ(RequestsTo(0).back(), InvokeRequest("externalCommand", "end"));

  FlashOsdLayout::Instance().SetOsdTimer(false);
  EXPECT_FALSE(form->OsdTimer.Enabled()) << "stopping a stopped timer leaves it stopped";
  FlashOsdLayout::Instance().SetOsdTimer(true);
  EXPECT_TRUE(form->OsdTimer.Enabled());
  EXPECT_EQ(form->OsdTimer.Interval(), 3000u);
  FlashOsdLayout::Instance().SetOsdTimer(false);
  EXPECT_FALSE(form->OsdTimer.Enabled());

  FlashOsdLayout::Instance().HideOsd();
  EXPECT_FALSE(form->Visible());
  EXPECT_FALSE(IsWindowVisible(Player(0)));
}

}  // namespace
