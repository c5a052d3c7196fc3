#include "ScreenSampler.h"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <cstdio>
#include <memory>
#include <sstream>

namespace frameprobe {
namespace {

struct ImageDeleter {
  void operator()(XImage* image) const { XDestroyImage(image); }
};
using UniqueImage = std::unique_ptr<XImage, ImageDeleter>;

int ShiftOf(unsigned long mask) {
  int shift = 0;
  while (mask && !(mask & 1)) {
    mask >>= 1;
    ++shift;
  }
  return shift;
}

KeySym KeySymNamed(const std::string& name) {
  if (name == "ctrl")
    return XK_Control_L;
  if (name == "alt")
    return XK_Alt_L;
  if (name == "shift")
    return XK_Shift_L;
  if (name == "win")
    return XK_Super_L;
  return XStringToKeysym(name.c_str());
}

}  // namespace

ScreenSampler::~ScreenSampler() {
  if (display_)
    XCloseDisplay(display_);
}

bool ScreenSampler::Open(const char* displayName) {
  display_ = XOpenDisplay(displayName);
  if (!display_) {
    error_ = std::string("cannot open display ") + (displayName ? displayName : "(DISPLAY unset)");
    return false;
  }
  int event = 0, error = 0, major = 0, minor = 0;
  if (!XTestQueryExtension(display_, &event, &error, &major, &minor)) {
    error_ = "the display has no XTest extension";
    return false;
  }
  root_ = DefaultRootWindow(display_);
  visual_ = DefaultVisual(display_, DefaultScreen(display_));
  if (visual_->c_class != TrueColor) {
    error_ = "the display is not a true-colour display";
    return false;
  }
  return true;
}

int ScreenSampler::Width() const {
  return DisplayWidth(display_, DefaultScreen(display_));
}

int ScreenSampler::Height() const {
  return DisplayHeight(display_, DefaultScreen(display_));
}

Pixel ScreenSampler::ToRgb(unsigned long pixel) const {
  auto channel = [pixel](unsigned long mask) {
    unsigned long value = (pixel & mask) >> ShiftOf(mask);
    unsigned long top = mask >> ShiftOf(mask);
    return static_cast<Pixel>(top ? value * 255 / top : 0);
  };
  return channel(visual_->red_mask) << 16 | channel(visual_->green_mask) << 8 | channel(visual_->blue_mask);
}

std::vector<Pixel> ScreenSampler::Read(const std::vector<Point>& points) {
  std::vector<Pixel> pixels;
  pixels.reserve(points.size());
  // One frame: no other client's drawing may come between the looks at its points.
  XGrabServer(display_);
  for (const Point& point : points) {
    UniqueImage image(XGetImage(display_, root_, point.x, point.y, 1, 1, AllPlanes, ZPixmap));
    pixels.push_back(image ? ToRgb(XGetPixel(image.get(), 0, 0)) : 0);
  }
  XUngrabServer(display_);
  XFlush(display_);
  return pixels;
}

bool ScreenSampler::PaintDesktop(Pixel rgb) {
  auto channel = [rgb](unsigned long mask, int shift) {
    unsigned long top = mask >> ShiftOf(mask);
    return (((rgb >> shift) & 0xFF) * top / 255) << ShiftOf(mask);
  };
  unsigned long pixel =
      channel(visual_->red_mask, 16) | channel(visual_->green_mask, 8) | channel(visual_->blue_mask, 0);
  XSetWindowBackground(display_, root_, pixel);
  XClearWindow(display_, root_);
  XSync(display_, False);
  return true;
}

bool ScreenSampler::SaveScreen(const std::string& path) {
  int width = Width(), height = Height();
  UniqueImage image(XGetImage(display_, root_, 0, 0, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap));
  if (!image)
    return false;
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
  if (!file)
    return false;
  std::fprintf(file.get(), "P6\n%d %d\n255\n", width, height);
  std::vector<unsigned char> row(static_cast<std::size_t>(width) * 3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      Pixel rgb = ToRgb(XGetPixel(image.get(), x, y));
      row[x * 3] = static_cast<unsigned char>(rgb >> 16);
      row[x * 3 + 1] = static_cast<unsigned char>(rgb >> 8);
      row[x * 3 + 2] = static_cast<unsigned char>(rgb);
    }
    if (std::fwrite(row.data(), 1, row.size(), file.get()) != row.size())
      return false;
  }
  return true;
}

bool ScreenSampler::PressChord(const std::string& chord) {
  std::vector<KeyCode> keys;
  std::stringstream names(chord);
  for (std::string name; std::getline(names, name, '+');) {
    KeySym symbol = KeySymNamed(name);
    KeyCode code = symbol == NoSymbol ? 0 : XKeysymToKeycode(display_, symbol);
    if (!code) {
      error_ = "no key named " + name + " on this keyboard";
      return false;
    }
    keys.push_back(code);
  }
  for (KeyCode key : keys)
    XTestFakeKeyEvent(display_, key, True, CurrentTime);
  for (auto key = keys.rbegin(); key != keys.rend(); ++key)
    XTestFakeKeyEvent(display_, *key, False, CurrentTime);
  XSync(display_, False);
  return true;
}

}  // namespace frameprobe
