#pragma once

#include <X11/Xlib.h>

#include <string>
#include <vector>

#include "FrameAnalysis.h"

namespace frameprobe {

struct Point {
  int x = 0;
  int y = 0;
};

// The X screen as a person sees it, read a few pixels at a time, and the keyboard as a person presses
// it: through XTest, so that a key takes the path of a real one into whatever has the focus.
class ScreenSampler {
 public:
  ScreenSampler() = default;
  ScreenSampler(const ScreenSampler&) = delete;
  ScreenSampler& operator=(const ScreenSampler&) = delete;
  ~ScreenSampler();

  // False, with the reason in Error(), when no display answers or it has no XTest.
  bool Open(const char* displayName);
  const std::string& Error() const { return error_; }
  int Width() const;
  int Height() const;

  std::vector<Pixel> Read(const std::vector<Point>& points);
  // Gives the desktop (the root window) a plain colour of its own: on the black of a bare X server a
  // window that shows nothing but black could not be told from the desktop.
  bool PaintDesktop(Pixel rgb);
  // The whole screen as a binary PPM.
  bool SaveScreen(const std::string& path);
  // Keys down in order, then up in reverse order. Names: ctrl, alt, shift, win, or a key's X name
  // (a letter, a digit, F1, ...). False when a name has no key on this keyboard.
  bool PressChord(const std::string& chord);

 private:
  Pixel ToRgb(unsigned long pixel) const;

  Display* display_ = nullptr;
  Window root_ = 0;
  Visual* visual_ = nullptr;
  std::string error_;
};

}  // namespace frameprobe
