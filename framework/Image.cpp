#include "framework/Image.h"

#include <algorithm>
#include <utility>

namespace framework {

TImage::TImage(TForm& owner, const TImageDescription& description) : owner_(owner), bounds_(description) {
  owner.InsertControl(*this);
}

void TImage::Assign(SharedBitmap picture) {
  picture_ = std::move(picture);
  BITMAP info{};
  if (picture_ && !GetObjectW(picture_->Get(), sizeof info, &info))
    picture_.reset();
  pictureSize_ = {info.bmWidth, info.bmHeight};
  Rescale();
  owner_.Invalidate();
}

void TImage::SetBitmap(HBITMAP bitmap) {
  HANDLE copy = bitmap ? CopyImage(bitmap, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION) : nullptr;
  Assign(copy ? std::make_shared<const UniqueGdiObject>(copy) : nullptr);
}

void TImage::SetBitmap(const TBitmap& bitmap) {
  Assign(bitmap.Share());
}

void TImage::SetBounds(int left, int top, int width, int height) {
  bool resized = width != bounds_.Width || height != bounds_.Height;
  bounds_ = {left, top, width, height};
  if (resized)
    Rescale();
  owner_.Invalidate();
}

void TImage::SetStretch(bool stretch) {
  if (stretch != stretch_) {
    stretch_ = stretch;
    Rescale();
  }
  owner_.Invalidate();
}

void TImage::Rescale() {
  scaled_.Reset();
  bool sameSize = pictureSize_.cx == bounds_.Width && pictureSize_.cy == bounds_.Height;
  if (picture_ && stretch_ && !sameSize)
    scaled_ = Copy32Bits(static_cast<HBITMAP>(picture_->Get()), bounds_.Width, bounds_.Height);
}

SIZE TImage::DrawnSize() const {
  if (stretch_)
    return {std::max(0, bounds_.Width), std::max(0, bounds_.Height)};
  return {std::clamp<LONG>(pictureSize_.cx, 0, std::max(0, bounds_.Width)),
          std::clamp<LONG>(pictureSize_.cy, 0, std::max(0, bounds_.Height))};
}

bool TImage::Covers(RECT& covered) const {
  SIZE size = DrawnSize();
  if (!picture_ || size.cx == 0 || size.cy == 0)
    return false;
  covered = {bounds_.Left, bounds_.Top, bounds_.Left + size.cx, bounds_.Top + size.cy};
  return true;
}

void TImage::Paint(HDC dc) {
  if (!picture_)
    return;
  bool scaling =
      stretch_ && !scaled_ && (pictureSize_.cx != bounds_.Width || pictureSize_.cy != bounds_.Height);
  HGDIOBJ picture = scaled_ ? scaled_.Get() : picture_->Get();
  HDC source = CreateCompatibleDC(dc);
  if (!source)
    return;
  HGDIOBJ previous = SelectObject(source, picture);
  if (scaling) {
    // No scaled copy could be made (short of memory): scale while painting, slowly, rather than not at all.
    int oldMode = SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchBlt(dc, bounds_.Left, bounds_.Top, bounds_.Width, bounds_.Height, source, 0, 0, pictureSize_.cx,
               pictureSize_.cy, SRCCOPY);
    SetStretchBltMode(dc, oldMode);
  } else {
    SIZE size = DrawnSize();
    BitBlt(dc, bounds_.Left, bounds_.Top, size.cx, size.cy, source, 0, 0, SRCCOPY);
  }
  SelectObject(source, previous);
  DeleteDC(source);
}

}  // namespace framework
