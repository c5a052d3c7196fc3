#pragma once

#include <windows.h>

#include <memory>

#include "framework/UniqueHandle.h"

namespace framework {

enum class TPixelFormat {
  Device,  // whatever the held bitmap has
  Bits32,  // 32 bits per pixel, blue green red and one unused byte
};

// A 32-bit top-down DIB section of the given size with the picture of source drawn into it, scaled
// smoothly when the sizes differ; empty when GDI cannot make or draw one or memory runs short.
UniqueGdiObject Copy32Bits(HBITMAP source, int width, int height);

// A GDI bitmap that several owners may hold at once; it is deleted with the last of them.
using SharedBitmap = std::shared_ptr<const UniqueGdiObject>;

// Owns one GDI bitmap. Empty (width and height 0) until it is given one. Others may share the picture
// (Share): a later change gives this bitmap a new picture and leaves theirs as it was.
class TBitmap {
 public:
  TBitmap() = default;

  HBITMAP Handle() const { return bitmap_ ? static_cast<HBITMAP>(bitmap_->Get()) : nullptr; }
  // The picture as it is now, for a holder that only draws it; null while empty.
  SharedBitmap Share() const { return bitmap_; }
  // Takes the bitmap over and deletes the one held before; null empties it. The pixel format stays.
  void SetHandle(HBITMAP bitmap);
  // A held bitmap of another depth is converted at once, and so is every one given later.
  void SetPixelFormat(TPixelFormat format);
  TPixelFormat PixelFormat() const { return format_; }
  bool Empty() const { return !bitmap_; }
  int Width() const;
  int Height() const;

 private:
  void Convert();
  void Hold(HBITMAP bitmap);

  SharedBitmap bitmap_;
  TPixelFormat format_ = TPixelFormat::Device;
};

}  // namespace framework
