#include "tray/LevelIconPicture.h"

#include <cstring>
#include <vector>

namespace tray {
namespace {

using UniqueBitmap = win32base::UniqueHandle<win32base::NullHandleTraits<HBITMAP, DeleteObject>>;

std::uint32_t Opaque(COLORREF colour) {
  return 0xFF000000u | (static_cast<std::uint32_t>(GetRValue(colour)) << 16) |
         (static_cast<std::uint32_t>(GetGValue(colour)) << 8) | GetBValue(colour);
}

// In high contrast the user's own colours: the text colour on the window colour is what the user has
// chosen to read.
GaugeColours ThemeColours() {
  HIGHCONTRASTW contrast{};
  contrast.cbSize = sizeof contrast;
  if (SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
      (contrast.dwFlags & HCF_HIGHCONTRASTON)) {
    const std::uint32_t text = Opaque(GetSysColor(COLOR_WINDOWTEXT));
    return {text, text, text};
  }
  return EverydayColours;
}

}  // namespace

int SmallIconSize(UINT dpi) {
  // Looked up: systems before Windows 10 1607 do not have it, and there the system's DPI is the one.
  using ForDpi = int(WINAPI*)(int, UINT);
  static const auto forDpi = reinterpret_cast<ForDpi>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetSystemMetricsForDpi")));
  const int size = forDpi ? forDpi(SM_CXSMICON, dpi) : GetSystemMetrics(SM_CXSMICON);
  return size > 0 ? size : 16;
}

UniqueIcon MakeLevelIcon(int size, Gauge gauge) {
  const std::vector<std::uint32_t> pixels = DrawGauge(size, gauge, ThemeColours());
  BITMAPV5HEADER header{};
  header.bV5Size = sizeof header;
  header.bV5Width = size;
  header.bV5Height = -size;  // top row first
  header.bV5Planes = 1;
  header.bV5BitCount = 32;
  header.bV5Compression = BI_BITFIELDS;
  header.bV5RedMask = 0x00FF0000;
  header.bV5GreenMask = 0x0000FF00;
  header.bV5BlueMask = 0x000000FF;
  header.bV5AlphaMask = 0xFF000000;
  void* bits = nullptr;
  UniqueBitmap colour(
      CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!colour || !bits)
    return UniqueIcon();
  std::memcpy(bits, pixels.data(), pixels.size() * sizeof pixels[0]);
  // The alpha channel decides; a mask that hides nothing serves shells that draw without it.
  const std::vector<BYTE> opaque(static_cast<std::size_t>((size + 15) / 16 * 2) * size, 0);
  UniqueBitmap mask(CreateBitmap(size, size, 1, 1, opaque.data()));
  if (!mask)
    return UniqueIcon();
  ICONINFO info{};
  info.fIcon = TRUE;
  info.hbmMask = mask.Get();
  info.hbmColor = colour.Get();
  return UniqueIcon(CreateIconIndirect(&info));
}

}  // namespace tray
