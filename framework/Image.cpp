#include "framework/Image.h"

#include <algorithm>

namespace framework {

TImage::TImage(TForm& owner, const TImageDescription& description) : owner_(owner), bounds_(description) {
  owner.InsertControl(*this);
}

void TImage::SetBitmap(HBITMAP bitmap) {
  bitmap_.Reset(bitmap ? CopyImage(bitmap, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION) : nullptr);
  owner_.Invalidate();
}

void TImage::SetBounds(int left, int top, int width, int height) {
  bounds_ = {left, top, width, height};
  owner_.Invalidate();
}

void TImage::SetStretch(bool stretch) {
  stretch_ = stretch;
  owner_.Invalidate();
}

void TImage::Paint(HDC dc) {
  if (!bitmap_)
    return;
  BITMAP info{};
  if (!GetObjectW(bitmap_.Get(), sizeof info, &info))
    return;
  HDC source = CreateCompatibleDC(dc);
  if (!source)
    return;
  HGDIOBJ previous = SelectObject(source, bitmap_.Get());
  if (stretch_) {
    // Halftone keeps a stretched photograph smooth; the brush origin must follow the mode change.
    int oldMode = SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchBlt(dc, bounds_.Left, bounds_.Top, bounds_.Width, bounds_.Height, source, 0, 0, info.bmWidth,
               info.bmHeight, SRCCOPY);
    SetStretchBltMode(dc, oldMode);
  } else {
    BitBlt(dc, bounds_.Left, bounds_.Top, std::min<int>(bounds_.Width, info.bmWidth),
           std::min<int>(bounds_.Height, info.bmHeight), source, 0, 0, SRCCOPY);
  }
  SelectObject(source, previous);
  DeleteDC(source);
}

}  // namespace framework
