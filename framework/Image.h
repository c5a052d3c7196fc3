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

// A picture on a form, without a window of its own: it draws a bitmap, stretched to its bounds or at
// its own size from their top-left corner, whenever the form paints. A stretched picture is scaled
// once, whenever the picture, the bounds or the stretching change, and painted as a plain copy: a
// paint must be quick, or the screen shows the window half drawn.
class TImage : public TControl {
 public:
  TImage(TForm& owner, const TImageDescription& description);

  void CreateHandle(HWND, HFONT) override {}
  HWND Handle() const override { return nullptr; }
  void Notify(UINT) override {}
  void Paint(HDC dc) override;
  bool Covers(RECT& covered) const override;

  // Takes a copy of the bitmap (null clears the picture); the caller keeps its own.
  void SetBitmap(HBITMAP bitmap);
  // Shares the bitmap's picture: a later change of the bitmap does not reach the image.
  void SetBitmap(const TBitmap& bitmap);
  void SetStretch(bool stretch);
  bool Stretch() const { return stretch_; }
  bool HasBitmap() const { return picture_ != nullptr; }
  void SetBounds(int left, int top, int width, int height);
  int Left() const { return bounds_.Left; }
  int Top() const { return bounds_.Top; }
  int Width() const { return bounds_.Width; }
  int Height() const { return bounds_.Height; }

 private:
  void Assign(SharedBitmap picture);
  void Rescale();
  // The part of the bounds that the picture fills.
  SIZE DrawnSize() const;

  TForm& owner_;
  TImageDescription bounds_;
  SharedBitmap picture_;
  SIZE pictureSize_{};
  UniqueGdiObject scaled_;  // the picture at the bounds' size, while stretched to a size of its own
  bool stretch_ = false;
};

}  // namespace framework
