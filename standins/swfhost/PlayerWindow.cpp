#include "PlayerWindow.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cmath>
#include <memory>

#include "InvokeRequest.h"
#include "journal/Journal.h"
#include "journal/JournalWriter.h"
#include "win32base/OwnedWindow.h"

namespace swfhost {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "BSTR text is UTF-16");

enum : UINT {
  kSetCallbackMessage = WM_APP + 0x51,
  kRequestMessage,
  kPlayMessage,
  kStopMessage,
};

// The entry points hand their work to the window's thread in messages that carry pointers. Any process
// can send a window a message, so these count only when they carry this process's own key, which no
// other process knows.
WPARAM CallKey() {
  static const WPARAM key = [] {
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    static int anchor;
    auto mixed = static_cast<std::uint64_t>(now.QuadPart) * 0x9E3779B97F4A7C15ull ^
                 reinterpret_cast<std::uintptr_t>(&anchor) ^ (std::uint64_t{GetCurrentProcessId()} << 17);
    return static_cast<WPARAM>(mixed | 1);
  }();
  return key;
}

constexpr UINT_PTR kTickTimer = 1;
// About 60 frames a second; the clip clock, not the tick count, decides where an animation stands.
constexpr UINT kTickMs = 15;

double Now() {
  using namespace std::chrono;
  return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

HMODULE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

std::u16string_view View(const std::wstring& text) {
  return std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size());
}

std::string Utf8(const std::wstring& text) {
  return swfhost::Utf8(View(text));
}

// Journal arguments stay on one line whatever the caller put into the text.
std::string OneLine(std::string text) {
  std::replace_if(
      text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
  return text;
}

// BeginPaint's pairing with EndPaint, for every way out of a paint.
class PaintScope {
 public:
  explicit PaintScope(HWND window) : window_(window) { dc_ = BeginPaint(window, &paint_); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  ~PaintScope() {
    if (dc_)
      EndPaint(window_, &paint_);
  }
  HDC Dc() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_ = nullptr;
};

struct LoadedMovie {
  MovieDescription movie;
  std::string problem;
};

LoadedMovie LoadMovie(const std::wstring& path) {
  LoadedMovie loaded;
  std::size_t slash = path.find_last_of(L"/\\");
  std::string name = Utf8(slash == std::wstring::npos ? path : path.substr(slash + 1));
  win32base::UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                               FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                               FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    loaded.problem = "cannot open " + Utf8(path) + " (error " + std::to_string(GetLastError()) + ")";
    return loaded;
  }
  // One byte past the limit is enough for the parser to tell that the file is too large.
  std::string text(kMaxMovieFileSize + 1, '\0');
  DWORD total = 0, read = 0;
  while (total < text.size() &&
         ReadFile(file.Get(), text.data() + total, static_cast<DWORD>(text.size() - total), &read, nullptr) &&
         read > 0)
    total += read;
  text.resize(total);
  MovieParseResult parsed = ParseMovieDescription(text, name);
  if (parsed.movie)
    loaded.movie = std::move(*parsed.movie);
  else
    loaded.problem = parsed.error;
  return loaded;
}

bool RegisterPlayerClass(WNDCLASSEXW windowClass) {
  static const bool registered = [&windowClass] {
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  return registered;
}

}  // namespace

PlayerWindow::PlayerWindow(MovieDescription movie, std::string movieProblem)
    : movie_(std::move(movie)),
      drawn_(movie_),
      movieProblem_(std::move(movieProblem)),
      timeline_(ClipTiming{movie_.introMs, movie_.outroMs, movie_.introSlide, movie_.outroSlide}) {}

HWND PlayerWindow::Create(HWND parent, const std::wstring& moviePath) {
  LoadedMovie loaded = LoadMovie(moviePath);
  auto player = std::unique_ptr<PlayerWindow>(new PlayerWindow(std::move(loaded.movie), loaded.problem));
  if (!RegisterPlayerClass(WindowClass(kPlayerWindowClass, ThisModule())))
    return nullptr;
  // Owned by the window from WM_NCCREATE on, which deletes it at WM_NCDESTROY, also when creation fails
  // after that point.
  PlayerWindow* self = player.release();
  // Layered for the fade; never activated, so showing the OSD leaves the user's window in front.
  HWND window =
      CreateWindowExW(WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW | WS_EX_LAYERED, kPlayerWindowClass, L"", WS_POPUP,
                      0, 0, self->movie_.width, self->movie_.height, parent, nullptr, ThisModule(), self);
  if (!window) {
    if (!self->window_)
      delete self;
    return nullptr;
  }
  journal::Queue("flash", "create " + self->Subject() + " " + OneLine(Utf8(moviePath)));
  if (!self->movieProblem_.empty())
    journal::Queue("flash", "movie " + self->Subject() + " " + OneLine(self->movieProblem_) +
                                "; playing the default look");
  return window;
}

bool PlayerWindow::IsPlayer(HWND window) {
  if (!window || !IsWindow(window))
    return false;
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != GetCurrentProcessId())
    return false;
  wchar_t name[32] = {};
  GetClassNameW(window, name, static_cast<int>(std::size(name)));
  return std::wstring_view(name) == kPlayerWindowClass &&
         reinterpret_cast<HMODULE>(GetClassLongPtrW(window, GCLP_HMODULE)) == ThisModule();
}

void PlayerWindow::SetCallback(HWND player, FlashCalloutProc callback) {
  SendMessageW(player, kSetCallbackMessage, CallKey(), reinterpret_cast<LPARAM>(callback));
}

bool PlayerWindow::Call(HWND player, const VARIANT& request) {
  return SendMessageW(player, kRequestMessage, CallKey(), reinterpret_cast<LPARAM>(&request)) != 0;
}

void PlayerWindow::Play(HWND player) {
  SendMessageW(player, kPlayMessage, CallKey(), 0);
}

void PlayerWindow::Stop(HWND player) {
  SendMessageW(player, kStopMessage, CallKey(), 0);
}

LRESULT PlayerWindow::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  if (message == WM_NCDESTROY) {
    window_.Release();
    delete this;
    return DefWindowProcW(window, message, wParam, lParam);
  }
  // Out of memory in a request or a frame: that request or frame is lost, the movie goes on.
  return win32base::OwnedWindowMessage(
      window_, window, message, wParam, lParam, [&] { return Dispatch(message, wParam, lParam); },
      [&] { return message == kRequestMessage ? 0 : DefWindowProcW(window, message, wParam, lParam); });
}

LRESULT PlayerWindow::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = window_.Get();
  switch (message) {
    case WM_CREATE:
      SetLayeredWindowAttributes(window, 0, 255, LWA_ALPHA);
      {
        std::u16string label = Utf16(movie_.label);
        art_.Reset(std::wstring(label.begin(), label.end()));
      }
      return 0;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_WINDOWPOSCHANGING:
      // Whoever shows a player, with SWP_NOACTIVATE or without it, the player declines the activation.
      reinterpret_cast<WINDOWPOS*>(lParam)->flags |= SWP_NOACTIVATE;
      return 0;
    case WM_ACTIVATE:
      // Should the system activate it anyway, the window that was active gets it back.
      if (LOWORD(wParam) != WA_INACTIVE && lParam && IsWindow(reinterpret_cast<HWND>(lParam)))
        SetForegroundWindow(reinterpret_cast<HWND>(lParam));
      return 0;
    case WM_SETFOCUS:
      if (wParam && IsWindow(reinterpret_cast<HWND>(wParam)))
        SetFocus(reinterpret_cast<HWND>(wParam));
      return 0;
    case WM_SHOWWINDOW:
      OnVisibility(wParam != 0);
      break;
    case WM_WINDOWPOSCHANGED: {
      const auto* position = reinterpret_cast<const WINDOWPOS*>(lParam);
      if (position->flags & SWP_SHOWWINDOW) {
        OnVisibility(true);
        // Painted before whoever showed it goes on: until then the window holds no picture, and the
        // screen would show it empty.
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
      } else if (position->flags & SWP_HIDEWINDOW)
        OnVisibility(false);
      break;
    }
    case WM_SIZE:
      FitToWindow(LOWORD(lParam), HIWORD(lParam));
      ApplyShape(LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_TIMER:
      if (wParam == kTickTimer)
        OnTick();
      return 0;
    case kSetCallbackMessage:
    case kRequestMessage:
    case kPlayMessage:
    case kStopMessage:
      if (wParam != CallKey())
        return 0;
      break;
    default:
      break;
  }
  switch (message) {
    case kSetCallbackMessage:
      callback_ = reinterpret_cast<FlashCalloutProc>(lParam);
      return 1;
    case kRequestMessage:
      return OnRequest(*reinterpret_cast<const VARIANT*>(lParam)) ? 1 : 0;
    case kPlayMessage:
      timeline_.Play(Now());
      Refresh();
      return 1;
    case kStopMessage:
      timeline_.Stop(Now());
      Refresh();
      return 1;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

std::string PlayerWindow::Subject() const {
  return journal::Hex(reinterpret_cast<UINT_PTR>(window_.Get()));
}

bool PlayerWindow::OnRequest(const VARIANT& request) {
  if (request.vt != VT_BSTR) {
    journal::Queue("flash", "refuse " + Subject() + " the request is not a string (vt " +
                                journal::Hex(request.vt) + ")");
    return false;
  }
  std::wstring text(request.bstrVal ? request.bstrVal : L"",
                    request.bstrVal ? SysStringLen(request.bstrVal) : 0);
  std::u16string_view view = View(text);
  if (view.size() > kMaxRequestLength) {
    journal::Queue("flash", "call " + Subject() + " " +
                                OneLine(swfhost::Utf8(view.substr(0, kMaxRequestLength))) + " ...");
  } else {
    journal::Queue("flash", "call " + Subject() + " " + OneLine(swfhost::Utf8(view)));
  }
  InvokeParseResult parsed = ParseInvokeRequest(view);
  if (!parsed.request) {
    journal::Queue("flash", "refuse " + Subject() + " " + parsed.error);
    return false;
  }
  PlayerCommand command = CommandFor(*parsed.request);
  switch (command.action) {
    case PlayerAction::ChangeLabel:
      art_.SetLabel(drawn_, std::wstring(command.label.begin(), command.label.end()));
      InvalidateRect(window_.Get(), nullptr, FALSE);
      return true;
    case PlayerAction::Show:
    case PlayerAction::End:
      if (timeline_.Request(command.action == PlayerAction::Show ? Clip::Intro : Clip::Outro, Now()) ==
          Timeline::Outcome::Refused) {
        journal::Queue("flash", "refuse " + Subject() + " " + std::to_string(Timeline::kMaxWaiting) +
                                    " animations are already waiting");
        return false;
      }
      Refresh();
      return true;
    case PlayerAction::Ignore:
      journal::Queue("flash", "ignore " + Subject() + " " + command.why);
      return true;
  }
  return false;
}

// Brings the window's fade, the timer and the picture up to the clock.
void PlayerWindow::Refresh() {
  HWND window = window_.Get();
  Frame frame = timeline_.FrameAt(Now());
  // The panel comes in faster than the content, which trails it (see MovieArt::Compose).
  double panel = std::clamp(frame.appear * 1.5, 0.0, 1.0);
  SetLayeredWindowAttributes(window, 0, static_cast<BYTE>(std::lround(panel * 255)), LWA_ALPHA);
  InvalidateRect(window, nullptr, FALSE);
  bool running = timeline_.Running();
  if (running && !ticking_)
    ticking_ = SetTimer(window, kTickTimer, kTickMs, nullptr) != 0;
  else if (!running && ticking_) {
    KillTimer(window, kTickTimer);
    ticking_ = false;
  }
}

void PlayerWindow::OnTick() {
  std::vector<Clip> ended = timeline_.Advance(Now());
  Refresh();
  HWND window = window_.Get();
  for (Clip clip : ended) {
    FlashCalloutProc callback = callback_;
    std::uint32_t number = ++callouts_;
    journal::Queue("flash", "callout " + Subject());
    if (!callback)
      continue;
    // First argument: 1 after the intro, 2 after the outro; second: the call-out's number for this player.
    callback(clip == Clip::Intro ? 1u : 2u, number, 0u, 0u);
    // The callback may have destroyed this player; only the handle may be looked at until that is ruled out.
    if (!IsWindow(window) || ObjectOf(window) != this)
      return;
  }
}

void PlayerWindow::OnPaint() {
  HWND window = window_.Get();
  PaintScope paint(window);
  HDC dc = paint.Dc();
  if (!dc)
    return;
  RECT client{};
  GetClientRect(window, &client);
  if (!frame_)
    frame_.Create(drawn_.width, drawn_.height);
  Frame frame = timeline_.FrameAt(Now());
  // The timeline slides in the design's pixels.
  frame.slide = frame.slide * drawn_.height / movie_.height;
  if (!frame_ || !art_.Compose(frame_, drawn_, frame)) {
    // Nothing to draw with: a plain dark face rather than whatever was behind.
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    return;
  }
  if (client.right == frame_.Width() && client.bottom == frame_.Height()) {
    BitBlt(dc, 0, 0, client.right, client.bottom, frame_.Dc(), 0, 0, SRCCOPY);
  } else {
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchBlt(dc, 0, 0, client.right, client.bottom, frame_.Dc(), 0, 0, frame_.Width(), frame_.Height(),
               SRCCOPY);
  }
}

void PlayerWindow::OnVisibility(bool visible) {
  if (visible == visible_)
    return;
  visible_ = visible;
  journal::Queue("flash", "visible " + Subject() + (visible ? " 1" : " 0"));
  // A hidden movie keeps only what its next first frame needs; the rest is made again when drawn.
  if (!visible) {
    art_.ReleaseAnimation();
    frame_.Reset();
  }
}

void PlayerWindow::FitToWindow(int width, int height) {
  if (width <= 0 || height <= 0 || (width == drawn_.width && height == drawn_.height))
    return;
  drawn_ = ScaledTo(movie_, width, height);
  // Every picture was made for the old size; the label's text stays and is set again at the new one.
  std::wstring label = art_.LabelText();
  art_.Reset(label);
  if (!label.empty())
    art_.SetLabel(drawn_, label);
  frame_.Reset();
}

void PlayerWindow::ApplyShape(int width, int height) {
  if (width <= 0 || height <= 0)
    return;
  int rx = movie_.radius * 2 * width / movie_.width, ry = movie_.radius * 2 * height / movie_.height;
  win32base::UniqueGdiObject region(CreateRoundRectRgn(0, 0, width + 1, height + 1, rx, ry));
  // The system owns the region once it accepts it.
  if (region && SetWindowRgn(window_.Get(), static_cast<HRGN>(region.Get()), TRUE))
    region.Release();
}

}  // namespace swfhost
