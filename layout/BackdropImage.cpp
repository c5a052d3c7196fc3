#include "layout/BackdropImage.h"

#include <windows.h>

#include "framework/MessageBox.h"
#include "win32base/GdiPlusApi.h"

namespace {

// Opaque black, as GDI+ writes colours: alpha, red, green, blue.
constexpr ARGB BlendBackground = 0xFF000000;

// A GDI+ bitmap read from a file, kept the way GDI+'s own classes keep one: the object lives on GDI+'s
// heap and its native bitmap is disposed of before that memory goes back.
class GdiplusFileBitmap {
 public:
  static void* operator new(std::size_t size) noexcept { return GdipAlloc(size); }
  static void operator delete(void* memory) noexcept { GdipFree(memory); }

  explicit GdiplusFileBitmap(const std::wstring& path) {
    if (GdipCreateBitmapFromFile(path.c_str(), &native_) != 0)
      native_ = nullptr;
  }
  ~GdiplusFileBitmap() {
    if (native_)
      GdipDisposeImage(reinterpret_cast<GpImage*>(native_));
  }
  GdiplusFileBitmap(const GdiplusFileBitmap&) = delete;
  GdiplusFileBitmap& operator=(const GdiplusFileBitmap&) = delete;

  // A GDI copy of the picture, owned by the caller; null when there is no picture.
  HBITMAP ToGdiBitmap(ARGB background) const {
    HBITMAP result = nullptr;
    if (!native_ || GdipCreateHBITMAPFromBitmap(native_, &result, background) != 0)
      return nullptr;
    return result;
  }

 private:
  GpBitmap* native_ = nullptr;
};

}  // namespace

void LoadImageIntoBitmap(const std::wstring& path, framework::TBitmap& target) {
  HBITMAP picture = nullptr;
  if (GdiplusFileBitmap* file = new GdiplusFileBitmap(path)) {
    picture = file->ToGdiBitmap(BlendBackground);
    delete file;  // the file is not held open once its picture is in GDI
  }
  target.SetHandle(picture);
  target.SetPixelFormat(framework::TPixelFormat::Bits32);
  if (target.Width() > 0 && target.Height() > 0)
    return;
  std::wstring message = L"Can not load image " + path;
  framework::ShowMessageBox(message, L"LoadImage");
}
