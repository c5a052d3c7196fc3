#pragma once

#include <windows.h>

#include "framework/UniqueHandle.h"

namespace framework {

enum class TPixelFormat {
  Device,  // whatever the held bitmap has
  Bits32,  // 32 bits per pixel, blue green red and one unused byte
};

// Owns one GDI bitmap. Empty (width and height 0) until it is given one.
class TBitmap {
 public:
  TBitmap() = default;

  HBITMAP Handle() const { return static_cast<HBITMAP>(bitmap_.Get()); }
  // Takes the bitmap over and deletes the one held before; null empties it. The pixel format stays.
  void SetHandle(HBITMAP bitmap);
  // A held bitmap of another depth is converted at once, and so is every one given later.
  void SetPixelFormat(TPixelFormat format);
  TPixelFormat PixelFormat() const { return format_; }
  bool Empty() const { return !bitmap_.Valid(); }
  int Width() const;
  int Height() const;

 private:
  void Convert();

  UniqueGdiObject bitmap_;
  TPixelFormat format_ = TPixelFormat::Device;
};

}  // namespace framework
