#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "FrameworkFixture.h"
#include "WinTestSupport.h"
#include "framework/Application.h"
#include "framework/Button.h"
#include "framework/Exception.h"
#include "framework/Form.h"
#include "framework/Bitmap.h"
#include "framework/Image.h"

namespace {

using framework::TFormDescription;

const TFormDescription kDescription{L"Test caption",
                                    10,
                                    20,
                                    300,
                                    200,
                                    COLOR_BTNFACE,
                                    {L"Tahoma", -11},
                                    96,
                                    framework::TBorderStyle::Sizeable};

class TTestForm : public framework::TForm {
 public:
  TTestForm() : TForm(L"TTestForm", kDescription) {}
  ~TTestForm() override { Destroy(); }
  std::vector<UINT> seen;
  bool throwStd = false;
  bool throwOther = false;

 protected:
  void Dispatch(framework::TMessage& message) override {
    if (message.Msg == WM_USER + 1) {
      seen.push_back(message.Msg);
      if (throwStd)
        throw framework::Exception("it went wrong");
      if (throwOther)
        throw 42;
      message.Result = 77;
      return;
    }
    TForm::Dispatch(message);
  }
};

class TOverlayForm : public framework::TForm {
 public:
  TOverlayForm()
      : TForm(L"TOverlayForm", {L"Overlay",
                                0,
                                0,
                                100,
                                100,
                                COLOR_BTNFACE,
                                {L"Tahoma", -11},
                                96,
                                framework::TBorderStyle::None}) {}
  ~TOverlayForm() override { Destroy(); }

 protected:
  void CreateParams(framework::TCreateParams& params) override {
    TForm::CreateParams(params);
    params.ExStyle =
        (params.ExStyle | WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE) & ~WS_EX_APPWINDOW;
  }
};

using FrameworkFormTest = FrameworkFixture;

std::wstring ClassNameOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

std::wstring CaptionOf(HWND window) {
  wchar_t text[64] = {};
  GetWindowTextW(window, text, 64);
  return text;
}

TEST_F(FrameworkFormTest, WindowIsMadeOnDemandFromTheStoredDescription) {
  TTestForm form;
  EXPECT_FALSE(form.HandleAllocated());
  HWND window = form.Handle();
  ASSERT_TRUE(IsWindow(window));
  EXPECT_EQ(ClassNameOf(window), L"TTestForm");
  EXPECT_EQ(CaptionOf(window), L"Test caption");
  EXPECT_FALSE(IsWindowVisible(window)) << "a form stays hidden until shown";
  RECT client;
  GetClientRect(window, &client);
  EXPECT_EQ(client.right - client.left, 300);
  EXPECT_EQ(client.bottom - client.top, 200);
  RECT frame;
  GetWindowRect(window, &frame);
  EXPECT_EQ(frame.left, 10);
  EXPECT_EQ(frame.top, 20);
  EXPECT_EQ(form.Handle(), window) << "the handle is made once";
}

TEST_F(FrameworkFormTest, CreateParamsOverrideShapesTheWindow) {
  TOverlayForm form;
  HWND window = form.Handle();
  LONG exStyle = GetWindowLongW(window, GWL_EXSTYLE);
  EXPECT_EQ(exStyle & (WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE),
            WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE);
  EXPECT_EQ(exStyle & WS_EX_APPWINDOW, 0);
  EXPECT_EQ(GetWindowLongW(window, GWL_STYLE) & WS_CAPTION, 0) << "a borderless form has no caption bar";

  HWND before = GetForegroundWindow();
  form.Show();
  EXPECT_TRUE(form.Visible());
  EXPECT_NE(GetForegroundWindow(), window) << "a never-activated form must not take the foreground";
  EXPECT_EQ(GetForegroundWindow(), before);
  form.Close();
  EXPECT_FALSE(form.Visible()) << "closing a form that is not the main form hides it";
}

TEST_F(FrameworkFormTest, OnlyTheMainFormCarriesTheTaskBarButton) {
  auto& application = framework::Application();
  application.MainFormOnTaskBar = true;
  TTestForm* mainForm = nullptr;
  application.CreateForm(mainForm);
  ASSERT_EQ(application.MainForm(), mainForm);
  EXPECT_NE(GetWindowLongW(mainForm->Handle(), GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);
  TTestForm other;
  EXPECT_EQ(GetWindowLongW(other.Handle(), GWL_EXSTYLE) & WS_EX_APPWINDOW, 0)
      << "a form that is not the main form must not get a task-bar button";
  application.MainFormOnTaskBar = false;
  application.DestroyForms();
}

// Asks for its handle while its window is being destroyed, as an OnDestroy-like handler might.
class THandleInDestroyForm : public framework::TForm {
 public:
  THandleInDestroyForm() : TForm(L"THandleInDestroyForm", kDescription) {}
  ~THandleInDestroyForm() override { Destroy(); }
  HWND seenInDestroy = nullptr;

 protected:
  void Dispatch(framework::TMessage& message) override {
    if (message.Msg == WM_DESTROY)
      seenInDestroy = Handle();
    TForm::Dispatch(message);
  }
};

TEST_F(FrameworkFormTest, HandleAskedForDuringDestructionIsTheWindowBeingDestroyed) {
  HWND window = nullptr;
  {
    THandleInDestroyForm form;
    window = form.Handle();
    form.Destroy();
    EXPECT_EQ(form.seenInDestroy, window) << "WM_DESTROY must still see the form's own window";
    EXPECT_FALSE(form.HandleAllocated());
  }
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(FindWindowW(L"THandleInDestroyForm", nullptr), nullptr) << "a second window was made and left";
}

TEST_F(FrameworkFormTest, DispatchOverrideSeesMessagesAndTheRestGoesToDefaultHandling) {
  TTestForm form;
  HWND window = form.Handle();
  EXPECT_EQ(SendMessageW(window, WM_USER + 1, 0, 0), 77);
  EXPECT_EQ(form.seen.size(), 1u);
  SetWindowTextW(window, L"renamed");
  EXPECT_EQ(CaptionOf(window), L"renamed") << "WM_SETTEXT must reach the system's handling";

  framework::TMessage simulated{WM_USER + 1, 0, 0, 0};
  form.Perform(simulated);
  EXPECT_EQ(simulated.Result, 77);
  EXPECT_EQ(form.seen.size(), 2u);
}

TEST_F(FrameworkFormTest, ExceptionsInHandlersReachTheStandardReport) {
  TTestForm form;
  HWND window = form.Handle();
  form.throwStd = true;
  SendMessageW(window, WM_USER + 1, 0, 0);
  form.throwStd = false;
  form.throwOther = true;
  SendMessageW(window, WM_USER + 1, 0, 0);
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[0], "it went wrong");
  EXPECT_EQ(reports[1], "") << "an object that is no exception is reported with an empty message";
  EXPECT_TRUE(IsWindow(window)) << "the form survives a failing handler";
}

TEST_F(FrameworkFormTest, OnDestroyRunsWhileTheWindowStillExists) {
  HWND window = nullptr;
  bool windowAliveInOnDestroy = false;
  int calls = 0;
  {
    TTestForm form;
    window = form.Handle();
    form.OnDestroy = [&](framework::TObject*) {
      ++calls;
      windowAliveInOnDestroy = IsWindow(window) != 0;
    };
    form.Destroy();
    form.Destroy();
  }
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(windowAliveInOnDestroy);
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(FrameworkFormTest, ButtonSitsOnItsFormAndReportsClicks) {
  TTestForm form;
  framework::TButton button(form, {L"Hot Key", 15, 25, 75, 25, 0});
  int clicks = 0;
  button.OnClick = [&](framework::TObject*) { ++clicks; };
  HWND window = form.Handle();
  HWND buttonWindow = button.Handle();
  ASSERT_TRUE(IsWindow(buttonWindow));
  EXPECT_EQ(GetParent(buttonWindow), window);
  EXPECT_EQ(CaptionOf(buttonWindow), L"Hot Key");
  RECT rect;
  GetWindowRect(buttonWindow, &rect);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
  EXPECT_EQ(rect.left, 15);
  EXPECT_EQ(rect.top, 25);
  EXPECT_EQ(rect.right - rect.left, 75);
  EXPECT_NE(SendMessageW(buttonWindow, WM_GETFONT, 0, 0), 0) << "the button carries the form's font";

  SendMessageW(buttonWindow, BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 1);
}

// An 8 x 1 picture, red on its left half and blue on its right.
framework::UniqueGdiObject TwoColourBitmap() {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), 8, -1, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap) {
    auto* pixels = static_cast<DWORD*>(bits);
    for (int x = 0; x < 8; ++x)
      pixels[x] = x < 4 ? 0x00FF0000 : 0x000000FF;  // 0x00RRGGBB
  }
  return framework::UniqueGdiObject(bitmap);
}

// Smooth stretching may blend a little; the colour must still be plainly the one expected.
bool Mostly(COLORREF colour, int red, int blue) {
  return std::abs(GetRValue(colour) - red) < 64 && std::abs(GetBValue(colour) - blue) < 64 &&
         GetGValue(colour) < 64;
}

TEST_F(FrameworkFormTest, ImagePaintsItsOwnCopyStretchedToItsBoundsAsPartOfTheForm) {
  TTestForm form;
  framework::TImage image(form, {10, 20, 40, 30});
  image.SetStretch(true);
  EXPECT_EQ(image.Handle(), nullptr) << "an image has no window of its own";
  {
    framework::UniqueGdiObject picture = TwoColourBitmap();
    ASSERT_TRUE(picture);
    image.SetBitmap(static_cast<HBITMAP>(picture.Get()));
  }  // the caller's bitmap is gone; the image's copy must not be
  ASSERT_TRUE(image.HasBitmap());

  HWND window = form.Handle();
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP target = CreateCompatibleBitmap(screen, 300, 200);
  ReleaseDC(nullptr, screen);
  HGDIOBJ previous = SelectObject(dc, target);
  SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  EXPECT_TRUE(Mostly(GetPixel(dc, 12, 25), 255, 0)) << "left half: " << std::hex << GetPixel(dc, 12, 25);
  EXPECT_TRUE(Mostly(GetPixel(dc, 47, 45), 0, 255))
      << "right half, stretched to the bounds: " << std::hex << GetPixel(dc, 47, 45);
  EXPECT_EQ(GetPixel(dc, 5, 5), GetSysColor(COLOR_BTNFACE)) << "outside the image: the form's colour";
  EXPECT_EQ(GetPixel(dc, 55, 25), GetSysColor(COLOR_BTNFACE));

  image.SetStretch(false);
  SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  EXPECT_TRUE(Mostly(GetPixel(dc, 17, 20), 0, 255)) << "unstretched: its own 8 x 1 pixels at the corner";
  EXPECT_EQ(GetPixel(dc, 12, 21), GetSysColor(COLOR_BTNFACE)) << "unstretched: nothing below its one row";

  image.SetBitmap(nullptr);
  SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  EXPECT_EQ(GetPixel(dc, 12, 25), GetSysColor(COLOR_BTNFACE)) << "a cleared image draws nothing";
  SelectObject(dc, previous);
  DeleteObject(target);
  DeleteDC(dc);
}

TEST_F(FrameworkFormTest, BitmapIsEmptyUntilGivenOneAndHoldsItAt32BitsOnceAsked) {
  framework::TBitmap bitmap;
  EXPECT_TRUE(bitmap.Empty());
  EXPECT_EQ(bitmap.Width(), 0);
  EXPECT_EQ(bitmap.Height(), 0);

  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), 3, 2, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP picture = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(picture, nullptr);
  static_cast<BYTE*>(bits)[2] = 0xFF;  // the bottom-left pixel red
  bitmap.SetHandle(picture);
  EXPECT_EQ(bitmap.Width(), 3);
  EXPECT_EQ(bitmap.Height(), 2);
  bitmap.SetPixelFormat(framework::TPixelFormat::Bits32);
  BITMAP held{};
  ASSERT_TRUE(GetObjectW(bitmap.Handle(), sizeof held, &held));
  EXPECT_EQ(held.bmBitsPixel, 32);
  EXPECT_EQ(held.bmWidth, 3);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(dc, bitmap.Handle());
  EXPECT_EQ(GetPixel(dc, 0, 1), RGB(255, 0, 0)) << "the picture survives the conversion";
  SelectObject(dc, previous);
  DeleteDC(dc);

  bitmap.SetHandle(nullptr);
  EXPECT_TRUE(bitmap.Empty());
  EXPECT_EQ(bitmap.PixelFormat(), framework::TPixelFormat::Bits32);
}

}  // namespace
