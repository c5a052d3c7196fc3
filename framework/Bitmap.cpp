#include "framework/Bitmap.h"

namespace framework {

namespace {

BITMAP Describe(HBITMAP bitmap) {
  BITMAP info{};
  if (!bitmap || !GetObjectW(bitmap, sizeof info, &info))
    return BITMAP{};
  return info;
}

// A top-down 32-bit DIB section with the picture of source drawn into it; null when GDI cannot make one.
HBITMAP CopyAs32Bits(HBITMAP source, int width, int height) {
  BITMAPINFO header{};
  header.bmiHeader.biSize = sizeof header.bmiHeader;
  header.bmiHeader.biWidth = width;
  header.bmiHeader.biHeight = -height;
  header.bmiHeader.biPlanes = 1;
  header.bmiHeader.biBitCount = 32;
  header.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  UniqueGdiObject copy(CreateDIBSection(nullptr, &header, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!copy)
    return nullptr;
  HDC from = CreateCompatibleDC(nullptr);
  HDC to = CreateCompatibleDC(nullptr);
  bool drawn = false;
  if (from && to) {
    HGDIOBJ oldFrom = SelectObject(from, source);
    HGDIOBJ oldTo = SelectObject(to, copy.Get());
    drawn = BitBlt(to, 0, 0, width, height, from, 0, 0, SRCCOPY) != 0;
    SelectObject(from, oldFrom);
    SelectObject(to, oldTo);
  }
  if (from)
    DeleteDC(from);
  if (to)
    DeleteDC(to);
  return drawn ? static_cast<HBITMAP>(copy.Release()) : nullptr;
}

}  // namespace

void TBitmap::SetHandle(HBITMAP bitmap) {
  bitmap_.Reset(bitmap);
  Convert();
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
  format_ = format;
  Convert();
}

void TBitmap::Convert() {
  if (format_ != TPixelFormat::Bits32 || !bitmap_)
    return;
  BITMAP info = Describe(Handle());
  if (info.bmBitsPixel == 32)
    return;
  // A picture that cannot be converted is kept as it is rather than lost.
  if (HBITMAP converted = CopyAs32Bits(Handle(), info.bmWidth, info.bmHeight))
    bitmap_.Reset(converted);
}

int TBitmap::Width() const {
  return Describe(Handle()).bmWidth;
}

int TBitmap::Height() const {
  return Describe(Handle()).bmHeight;
}

}  // namespace framework
