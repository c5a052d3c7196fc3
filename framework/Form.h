#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/Message.h"
#include "framework/Object.h"
#include "framework/UniqueHandle.h"
#include "framework/WindowHost.h"

namespace framework {

class TControl;

struct TFontDescription {
  const wchar_t* Name;
  int Height;  // negative: character height in pixels, as a form designer stores it
};

enum class TBorderStyle { Sizeable, None };

// What a form designer stores for a form; each form keeps its own next to its module.
struct TFormDescription {
  const wchar_t* Caption;
  int Left;
  int Top;
  int ClientWidth;
  int ClientHeight;
  int Color;  // a system colour index, such as COLOR_BTNFACE
  TFontDescription Font;
  int PixelsPerInch;
  TBorderStyle BorderStyle;
};

// The window-creation parameters a form may adjust before its window is made.
struct TCreateParams {
  std::wstring Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = 0;
  int Y = 0;
  int Width = 0;
  int Height = 0;
  HWND WndParent = nullptr;
};

// A top-level window whose window class is named after the form class. Its window is made on demand,
// by the first call that needs the handle; until then its bounds are only stored.
class TForm : public TObject, private WindowHost {
 public:
  TForm(const wchar_t* className, const TFormDescription& description);
  ~TForm() override;

  HWND Handle();
  bool HandleAllocated() const { return window_.Valid(); }
  const std::wstring& ClassName() const { return className_; }

  void Show();
  void Hide();
  bool Visible() const;
  // The main form's close ends the application; any other form's close hides it.
  void Close();
  // Runs OnDestroy while the window still exists, then destroys the window. The owner calls it before
  // deleting the form: a destructor cannot, since by then the derived form that OnDestroy serves is gone.
  void Destroy() noexcept;

  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetBounds(int left, int top, int width, int height);

  // Handles a message exactly as if it had arrived at the window.
  void Perform(TMessage& message);

  // Adds a child control; it gets its window together with the form's (at once if that exists).
  void InsertControl(TControl& control);
  // Has the client area drawn again, with the controls that paint on it.
  void Invalidate();
  // Paints what is due now, before returning, rather than when the message loop comes to it.
  void Update();

  TNotifyEvent OnDestroy;
  // The session is ending: what must be done before the process may be ended without warning. The
  // form stays until the message loop has ended, since the end may come inside any wait of a handler
  // that still uses it.
  TNotifyEvent OnEndSession;

 protected:
  virtual void CreateParams(TCreateParams& params);
  // The message dispatch. An override handles what it knows and passes the rest to its base.
  virtual void Dispatch(TMessage& message);
  // The framework's own handling, then the system's.
  void DefaultHandler(TMessage& message);

 private:
  void CreateWindowNow();
  void DestroyWindowNow() noexcept;
  void ApplyBoundsFromWindow();
  void EraseBackground(HDC dc);
  void PaintClient(HDC dc);
  LRESULT HandleMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) noexcept override;

  std::wstring className_;
  TFormDescription description_;
  UniqueWindow window_;
  UniqueGdiObject font_;
  std::vector<TControl*> controls_;
  int left_;
  int top_;
  int width_;
  int height_;
  bool destroyed_ = false;
};

}  // namespace framework
