#pragma once

#include <windows.h>

#include "framework/Bitmap.h"
#include "framework/Control.h"
#include "framework/Form.h"
#include "framework/UniqueHandle.h"

namespace framework {

struct TImageDescription {
  int Left;
  int Top;
  int Width;
  int Height;
};

// A picture on a form, without a window of its own: it holds its own copy of a bitmap and draws it,
// stretched to its bounds or at its own size from their top-left corner, whenever the form paints.
class TImage : public TControl {
 public:
  TImage(TForm& owner, const TImageDescription& description);

  void CreateHandle(HWND, HFONT) override {}
  HWND Handle() const override { return nullptr; }
  void Notify(UINT) override {}
  void Paint(HDC dc) override;

  // Takes a copy of the bitmap (null clears the picture); the caller keeps its own.
  void SetBitmap(HBITMAP bitmap);
  void SetBitmap(const TBitmap& bitmap) { SetBitmap(bitmap.Handle()); }
  void SetStretch(bool stretch);
  bool Stretch() const { return stretch_; }
  bool HasBitmap() const { return bitmap_.Valid(); }
  void SetBounds(int left, int top, int width, int height);
  int Left() const { return bounds_.Left; }
  int Top() const { return bounds_.Top; }
  int Width() const { return bounds_.Width; }
  int Height() const { return bounds_.Height; }

 private:
  TForm& owner_;
  TImageDescription bounds_;
  UniqueGdiObject bitmap_;
  bool stretch_ = false;
};

}  // namespace framework
