#include "framework/Form.h"

#include "framework/Application.h"
#include "framework/Control.h"

namespace framework {
namespace {

DWORD BorderWindowStyle(TBorderStyle border) {
  return border == TBorderStyle::None ? WS_POPUP | WS_CLIPCHILDREN : WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
}

}  // namespace

TForm::TForm(const wchar_t* className, const TFormDescription& description)
    : className_(className), description_(description), left_(description.Left), top_(description.Top) {
  Application().FormConstructing(*this);
  RECT frame{0, 0, description.ClientWidth, description.ClientHeight};
  AdjustWindowRectEx(&frame, BorderWindowStyle(description.BorderStyle), FALSE, 0);
  width_ = frame.right - frame.left;
  height_ = frame.bottom - frame.top;
}

TForm::~TForm() {
  DestroyWindowNow();
}

HWND TForm::Handle() {
  if (!window_)
    CreateWindowNow();
  return window_.Get();
}

void TForm::CreateParams(TCreateParams& params) {
  params.Caption = description_.Caption;
  params.Style = BorderWindowStyle(description_.BorderStyle);
  // The main form carries the task-bar button when the application says so; the application's own
  // window never shows one.
  bool isMainForm = Application().MainForm() == this;
  params.ExStyle = Application().MainFormOnTaskBar && isMainForm ? WS_EX_APPWINDOW : 0;
  params.X = left_;
  params.Y = top_;
  params.Width = width_;
  params.Height = height_;
  params.WndParent = nullptr;
}

void TForm::CreateWindowNow() {
  TCreateParams params;
  CreateParams(params);
  // The window reaches window_ at WM_NCCREATE, before CreateWindowEx returns.
  CreateHostedWindow(*this, className_.c_str(), params.Caption.c_str(), params.Style, params.ExStyle,
                     params.X, params.Y, params.Width, params.Height, params.WndParent);
  ApplyBoundsFromWindow();

  // The stored height is in points at the designer's resolution; scale it to this screen's.
  HDC screen = GetDC(nullptr);
  int height =
      MulDiv(description_.Font.Height, GetDeviceCaps(screen, LOGPIXELSY), description_.PixelsPerInch);
  ReleaseDC(nullptr, screen);
  font_.Reset(CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                          DEFAULT_PITCH | FF_DONTCARE, description_.Font.Name));
  SendMessageW(window_.Get(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
  for (TControl* control : controls_)
    control->CreateHandle(window_.Get(), static_cast<HFONT>(font_.Get()));
}

void TForm::ApplyBoundsFromWindow() {
  RECT rect;
  if (!GetWindowRect(window_.Get(), &rect))
    return;
  left_ = rect.left;
  top_ = rect.top;
  width_ = rect.right - rect.left;
  height_ = rect.bottom - rect.top;
}

void TForm::InsertControl(TControl& control) {
  controls_.push_back(&control);
  if (window_)
    control.CreateHandle(window_.Get(), static_cast<HFONT>(font_.Get()));
}

void TForm::Invalidate() {
  if (window_)
    InvalidateRect(window_.Get(), nullptr, TRUE);
}

void TForm::Update() {
  if (window_)
    UpdateWindow(window_.Get());
}

void TForm::EraseBackground(HDC dc) {
  // What the controls paint over at once is left alone: erased first, it would reach the screen as a
  // flash of the form's colour before the picture.
  int saved = SaveDC(dc);
  RECT covered;
  for (TControl* control : controls_) {
    if (control->Covers(covered))
      ExcludeClipRect(dc, covered.left, covered.top, covered.right, covered.bottom);
  }
  RECT client;
  GetClientRect(window_.Get(), &client);
  FillRect(dc, &client, GetSysColorBrush(description_.Color));
  RestoreDC(dc, saved);
}

void TForm::PaintClient(HDC dc) {
  for (TControl* control : controls_)
    control->Paint(dc);
}

void TForm::Show() {
  // A window that must never take the focus is shown without activation.
  HWND window = Handle();
  bool activates = !(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_NOACTIVATE);
  ShowWindow(window, activates ? SW_SHOW : SW_SHOWNOACTIVATE);
}

void TForm::Hide() {
  if (window_)
    ShowWindow(window_.Get(), SW_HIDE);
}

bool TForm::Visible() const {
  return window_ && IsWindowVisible(window_.Get());
}

void TForm::Close() {
  if (Application().MainForm() == this) {
    Application().Terminate();
  } else {
    Hide();
  }
}

void TForm::Destroy() noexcept {
  if (destroyed_)
    return;
  destroyed_ = true;
  if (OnDestroy) {
    try {
      OnDestroy(this);
    } catch (...) {
      Application().HandleException();
    }
  }
  DestroyWindowNow();
}

void TForm::DestroyWindowNow() noexcept {
  // The form holds its window until WM_NCDESTROY: WM_DESTROY still gets its default handling, and a
  // Handle() call made there finds this window instead of making a second one.
  if (!window_)
    return;
  HWND window = window_.Get();
  DestroyWindow(window);
  if (window_.Get() == window) {
    // Not destroyed (it belongs to another thread, say): it must never reach this form again.
    WindowHost::Detach(window);
    window_.Release();
  }
}

void TForm::SetBounds(int left, int top, int width, int height) {
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  if (window_) {
    SetWindowPos(window_.Get(), nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void TForm::Perform(TMessage& message) {
  Dispatch(message);
}

void TForm::Dispatch(TMessage& message) {
  DefaultHandler(message);
}

void TForm::DefaultHandler(TMessage& message) {
  HWND window = window_.Get();
  switch (message.Msg) {
    case WM_COMMAND:
      for (TControl* control : controls_) {
        if (message.LParam != 0 && control->Handle() == reinterpret_cast<HWND>(message.LParam)) {
          control->Notify(HIWORD(message.WParam));
          message.Result = 0;
          return;
        }
      }
      break;
    case WM_CLOSE:
      Close();
      message.Result = 0;
      return;
    case WM_ERASEBKGND:
      EraseBackground(reinterpret_cast<HDC>(message.WParam));
      message.Result = 1;
      return;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      PaintClient(dc);
      EndPaint(window, &paint);
      message.Result = 0;
      return;
    }
    case WM_PRINTCLIENT: {
      HDC dc = reinterpret_cast<HDC>(message.WParam);
      EraseBackground(dc);
      PaintClient(dc);
      message.Result = 0;
      return;
    }
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
      message.Result = reinterpret_cast<LRESULT>(GetSysColorBrush(description_.Color));
      return;
    case WM_WINDOWPOSCHANGED:
      ApplyBoundsFromWindow();
      break;
  }
  // A record that never came from the window (a simulated one) has nothing for the system to do.
  message.Result = window ? DefWindowProcW(window, message.Msg, message.WParam, message.LParam) : 0;
}

LRESULT TForm::HandleMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
  if (msg == WM_NCCREATE)
    window_.Reset(window);
  if (msg == WM_NCDESTROY) {
    if (window_.Get() == window)
      window_.Release();  // already on its way out: nothing left to destroy
    return DefWindowProcW(window, msg, wParam, lParam);
  }
  TMessage message{msg, wParam, lParam, 0};
  try {
    Dispatch(message);
  } catch (...) {
    Application().HandleException();
  }
  return message.Result;
}

}  // namespace framework
