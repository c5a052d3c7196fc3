#include "framework/Bitmap.h"

#include <cstdint>
#include <new>
#include <vector>

#include "framework/Resample.h"

namespace framework {

namespace {

BITMAP Describe(HBITMAP bitmap) {
  BITMAP info{};
  if (!bitmap || !GetObjectW(bitmap, sizeof info, &info))
    return BITMAP{};
  return info;
}

BITMAPINFO TopDown32Bits(int width, int height) {
  BITMAPINFO header{};
  header.bmiHeader.biSize = sizeof header.bmiHeader;
  header.bmiHeader.biWidth = width;
  header.bmiHeader.biHeight = -height;  // negative: the first row is the top one
  header.bmiHeader.biPlanes = 1;
  header.bmiHeader.biBitCount = 32;
  header.bmiHeader.biCompression = BI_RGB;
  return header;
}

// The bitmap's pixels as 32-bit values, rows top down.
bool GetBits(HBITMAP bitmap, int width, int height, std::uint32_t* pixels) {
  BITMAPINFO header = TopDown32Bits(width, height);
  HDC screen = GetDC(nullptr);
  int rows = GetDIBits(screen, bitmap, 0, static_cast<UINT>(height), pixels, &header, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  return rows == height;
}

}  // namespace

UniqueGdiObject Copy32Bits(HBITMAP source, int width, int height) {
  BITMAP from = Describe(source);
  if (!from.bmWidth || !from.bmHeight || width <= 0 || height <= 0)
    return UniqueGdiObject();
  BITMAPINFO header = TopDown32Bits(width, height);
  void* bits = nullptr;
  UniqueGdiObject copy(CreateDIBSection(nullptr, &header, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!copy)
    return copy;
  bool drawn = false;
  if (width == from.bmWidth && height == from.bmHeight) {
    drawn = GetBits(source, width, height, static_cast<std::uint32_t*>(bits));
  } else {
    // Scaled by our own filter: GDI's smooth stretching is many times slower on some systems (Wine),
    // and this runs while a hot key waits for its showing. Short of memory for it, there is no copy.
    try {
      std::vector<std::uint32_t> pixels(static_cast<std::size_t>(from.bmWidth) * from.bmHeight);
      drawn = GetBits(source, from.bmWidth, from.bmHeight, pixels.data());
      if (drawn)
        ResamplePixels(pixels.data(), from.bmWidth, from.bmHeight, static_cast<std::uint32_t*>(bits), width,
                       height);
    } catch (const std::bad_alloc&) {
      drawn = false;
    }
  }
  if (!drawn)
    copy.Reset();
  return copy;
}

void TBitmap::Hold(HBITMAP bitmap) {
  bitmap_ = bitmap ? std::make_shared<const UniqueGdiObject>(bitmap) : nullptr;
}

void TBitmap::SetHandle(HBITMAP bitmap) {
  Hold(bitmap);
  Convert();
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
  format_ = format;
  Convert();
}

void TBitmap::Convert() {
  if (format_ != TPixelFormat::Bits32 || Empty())
    return;
  BITMAP info = Describe(Handle());
  if (info.bmBitsPixel == 32)
    return;
  // A picture that cannot be converted is kept as it is rather than lost.
  if (UniqueGdiObject converted = Copy32Bits(Handle(), info.bmWidth, info.bmHeight))
    Hold(static_cast<HBITMAP>(converted.Release()));
}

int TBitmap::Width() const {
  return Describe(Handle()).bmWidth;
}

int TBitmap::Height() const {
  return Describe(Handle()).bmHeight;
}

}  // namespace framework
