// GearBaseline.exe: the least that a program of Gear Shift's shape costs under Wine, written straight
// against Win32 with no framework, player or service, so that scripts/bench can tell what the program
// adds from what the platform takes anyway.
//
//   GearBaseline.exe <backdrop.png> <intro ms> <outro ms>
//
// It has the program's skeleton: a hidden window (class GearBaselineMain, caption "GearBaseline") with
// a message loop; a full-screen, top-most, never-activated window with the backdrop stretched over it;
// a 400 x 650 popup in front of that, placed where the program places its movie. The backdrop is
// scaled to the screen once, at start-up, and painted as a plain copy: the least a showing can cost. The
// program's hot-key message (0x467, wParam 0x55) runs a showing of the program's shape, timed by the same
// designed steps: both windows shown, the intro, 2000 ms, the outro, 250 ms, both hidden. Messages
// during a showing are dropped, as the program drops hot keys while it is busy. WM_USER with 0x55 ends
// it, as it ends the program.
#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <string>
#include <utility>

#include "contract/ProcessContract.h"
#include "journal/Journal.h"
#include "win32base/BaseWindow.h"
#include "win32base/GdiPlusApi.h"
#include "win32base/UniqueHandle.h"
#include "win32base/WindowLifeMessages.h"

namespace {

constexpr UINT CloseRequestMessage = contract::CloseRequestMessage;
constexpr UINT HotKeyMessage = contract::HotKeyMessage;
constexpr WPARAM MessageTag = contract::MessageTag;
constexpr int PopupWidth = 400;
constexpr int PopupHeight = 650;
constexpr UINT HoldMs = 2000;  // from the end of the intro to the start of the outro
constexpr UINT FadeMs = 250;   // from the end of the outro to hiding
constexpr UINT_PTR StepTimer = 1;

const wchar_t MainClass[] = L"GearBaselineMain";
const wchar_t OsdClass[] = L"GearBaselineOsd";
const wchar_t PopupClass[] = L"GearBaselinePopup";

struct LocalMemoryTraits {
  using Value = HLOCAL;
  static Value Invalid() noexcept { return nullptr; }
  static void Close(Value value) noexcept { LocalFree(value); }
};

// The GDI+ session of the process, closed after every picture of it is gone.
class GdiplusSession {
 public:
  GdiplusSession() {
    const GdiplusStartupInput input{1, nullptr, FALSE, FALSE};
    if (GdiplusStartup(&token_, &input, nullptr) != 0)
      token_ = 0;
  }
  ~GdiplusSession() {
    if (token_)
      GdiplusShutdown(token_);
  }
  GdiplusSession(const GdiplusSession&) = delete;
  GdiplusSession& operator=(const GdiplusSession&) = delete;
  bool Ready() const { return token_ != 0; }

 private:
  ULONG_PTR token_ = 0;
};

// The picture as a GDI bitmap of the given size, its transparent parts blended over black as the
// program does, scaled smoothly; the picture at its own size is not kept.
win32base::UniqueGdiObject LoadBackdrop(const std::wstring& path, int width, int height) {
  GpBitmap* picture = nullptr;
  if (GdipCreateBitmapFromFile(path.c_str(), &picture) != 0)
    return {};
  HBITMAP bitmap = nullptr;
  if (GdipCreateHBITMAPFromBitmap(picture, &bitmap, 0xFF000000) != 0)
    bitmap = nullptr;
  GdipDisposeImage(reinterpret_cast<GpImage*>(picture));
  win32base::UniqueGdiObject original(bitmap);
  BITMAP info{};
  if (!original || !GetObjectW(original.Get(), sizeof info, &info))
    return {};
  HDC screen = GetDC(nullptr);
  win32base::UniqueGdiObject scaled(CreateCompatibleBitmap(screen, width, height));
  HDC from = CreateCompatibleDC(screen), to = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  bool drawn = false;
  if (scaled && from && to) {
    HGDIOBJ oldFrom = SelectObject(from, original.Get()), oldTo = SelectObject(to, scaled.Get());
    SetStretchBltMode(to, HALFTONE);
    SetBrushOrgEx(to, 0, 0, nullptr);
    drawn = StretchBlt(to, 0, 0, width, height, from, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY) != 0;
    SelectObject(from, oldFrom);
    SelectObject(to, oldTo);
  }
  if (from)
    DeleteDC(from);
  if (to)
    DeleteDC(to);
  return drawn ? std::move(scaled) : win32base::UniqueGdiObject();
}

class Baseline : private win32base::BaseWindow<Baseline> {
 public:
  Baseline(UINT introMs, UINT outroMs) : introMs_(introMs), outroMs_(outroMs) {}

  // In the program's order: the main window, the backdrop, then the windows that show it.
  bool Create(HINSTANCE instance, const std::wstring& backdropPath);

 private:
  enum class Step { Idle, Intro, Hold, Outro, Fade };

  friend class win32base::BaseWindow<Baseline>;

  LRESULT HandleMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
  LRESULT Handle(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
  void BeginShowing();
  void NextStep();
  void After(UINT milliseconds, Step step);
  void PaintBackdrop(HWND window);
  static void PaintPanel(HWND window);
  std::string Subject() const { return journal::Hex(reinterpret_cast<UINT_PTR>(osd_.Get())); }

  UINT introMs_, outroMs_;
  win32base::UniqueGdiObject backdrop_;
  Step step_ = Step::Idle;
  // Destroyed in reverse: the popup before the window that owns it, the main window last.
  win32base::UniqueWindow main_, osd_, popup_;
};

bool Baseline::Create(HINSTANCE instance, const std::wstring& backdropPath) {
  for (const wchar_t* name : {MainClass, OsdClass, PopupClass}) {
    WNDCLASSEXW windowClass = WindowClass(name, instance);
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    if (!RegisterClassExW(&windowClass))
      return false;
  }
  main_.Reset(CreateWindowExW(0, MainClass, L"GearBaseline", WS_OVERLAPPEDWINDOW, 0, 0, 434, 320, nullptr,
                              nullptr, instance, this));
  int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  backdrop_ = LoadBackdrop(backdropPath, screenWidth, screenHeight);
  if (!main_ || !backdrop_)
    return false;
  osd_.Reset(CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, OsdClass,
                             L"GearBaselineOsd", WS_POPUP | WS_CLIPCHILDREN, 0, 0, screenWidth, screenHeight,
                             nullptr, nullptr, instance, this));
  // Where the program puts its movie: centred across, a third of its height above the middle.
  int x = (screenWidth - PopupWidth) / 2;
  int y = static_cast<int>((screenHeight - PopupHeight * 0.67) * 0.5);
  popup_.Reset(CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, PopupClass, L"", WS_POPUP, x, y,
                               PopupWidth, PopupHeight, osd_.Get(), nullptr, instance, this));
  return main_ && osd_ && popup_;
}

LRESULT Baseline::HandleMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
  if (msg != WM_NCCREATE) {
    try {
      return Handle(window, msg, wParam, lParam);
    } catch (...) {
      // Only journalling can throw (out of memory); the window goes on with default handling.
    }
  }
  return DefWindowProcW(window, msg, wParam, lParam);
}

LRESULT Baseline::Handle(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (window == main_.Get()) {
    if (msg == HotKeyMessage && wParam == MessageTag) {
      BeginShowing();
      return 0;
    }
    if ((msg == CloseRequestMessage && (wParam & 0xFF) == MessageTag) || msg == WM_CLOSE) {
      PostQuitMessage(0);
      return 0;
    }
    if (msg == WM_TIMER && wParam == StepTimer) {
      NextStep();
      return 0;
    }
  } else if (msg == WM_PAINT) {
    if (window == osd_.Get())
      PaintBackdrop(window);
    else
      PaintPanel(window);
    return 0;
  } else if (msg == WM_ERASEBKGND) {
    return 1;  // every pixel is painted in WM_PAINT
  } else if (msg == WM_MOUSEACTIVATE) {
    return MA_NOACTIVATE;
  }
  return DefWindowProcW(window, msg, wParam, lParam);
}

void Baseline::BeginShowing() {
  if (step_ != Step::Idle)
    return;
  journal::Write("baseline", "show " + Subject());
  // The popup first and the full-screen window after it, in the program's order.
  ShowWindow(popup_.Get(), SW_SHOWNOACTIVATE);
  ShowWindow(osd_.Get(), SW_SHOWNOACTIVATE);
  After(introMs_, Step::Intro);
}

void Baseline::NextStep() {
  KillTimer(main_.Get(), StepTimer);
  switch (step_) {
    case Step::Intro:
      After(HoldMs, Step::Hold);
      break;
    case Step::Hold:
      journal::Write("baseline", "end " + Subject());
      After(outroMs_, Step::Outro);
      break;
    case Step::Outro:
      After(FadeMs, Step::Fade);
      break;
    case Step::Fade:
      ShowWindow(popup_.Get(), SW_HIDE);
      ShowWindow(osd_.Get(), SW_HIDE);
      step_ = Step::Idle;
      journal::Write("baseline", "hidden " + Subject());
      break;
    case Step::Idle:
      break;
  }
}

void Baseline::After(UINT milliseconds, Step step) {
  step_ = step;
  SetTimer(main_.Get(), StepTimer, milliseconds, nullptr);
}

void Baseline::PaintBackdrop(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  RECT client;
  GetClientRect(window, &client);
  BITMAP info{};
  HDC source = backdrop_ ? CreateCompatibleDC(dc) : nullptr;
  if (source && GetObjectW(backdrop_.Get(), sizeof info, &info)) {
    HGDIOBJ previous = SelectObject(source, backdrop_.Get());
    BitBlt(dc, 0, 0, client.right, client.bottom, source, 0, 0, SRCCOPY);
    SelectObject(source, previous);
  } else {
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  }
  if (source)
    DeleteDC(source);
  EndPaint(window, &paint);
}

void Baseline::PaintPanel(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  RECT client;
  GetClientRect(window, &client);
  win32base::UniqueGdiObject brush(CreateSolidBrush(RGB(0x26, 0x2b, 0x36)));
  FillRect(dc, &client, static_cast<HBRUSH>(brush.Get()));
  EndPaint(window, &paint);
}

UINT ReadMilliseconds(const wchar_t* text) {
  wchar_t* end = nullptr;
  unsigned long value = std::wcstoul(text, &end, 10);
  return end != text && *end == L'\0' && value <= 60000 ? static_cast<UINT>(value) : 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  int count = 0;
  win32base::UniqueHandle<LocalMemoryTraits> arguments(CommandLineToArgvW(GetCommandLineW(), &count));
  auto* argv = static_cast<wchar_t**>(arguments.Get());
  if (!argv || count != 4) {
    MessageBoxW(nullptr, L"usage: GearBaseline.exe <backdrop.png> <intro ms> <outro ms>", L"GearBaseline",
                MB_OK);
    return 2;
  }
  GdiplusSession gdiplus;
  if (!gdiplus.Ready())
    return 1;
  int status = 1;
  {
    Baseline baseline(ReadMilliseconds(argv[2]), ReadMilliseconds(argv[3]));
    if (baseline.Create(instance, argv[1])) {
      MSG msg;
      while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        win32base::DropPostedWindowLifeMessage(msg);
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      status = 0;
    }
  }
  return status;
}
