#pragma once

#include <windows.h>

#include <cstdint>
#include <future>
#include <string>
#include <string_view>
#include <vector>

#include "MovieDescription.h"
#include "Timeline.h"
#include "win32base/UniqueHandle.h"

// The movie's pictures. The panel is worked out pixel by pixel; GDI draws the gear without smoothing, so
// it is drawn at several times its size and averaged down; text comes from an antialiased font. Every
// picture that does not change from frame to frame is made once, when a frame first needs it (the label
// when it is given), and a frame only blends them together: a player that is made but not yet shown
// costs next to nothing.
namespace swfhost {

struct MemoryDcTraits {
  using Value = HDC;
  static Value Invalid() noexcept { return nullptr; }
  static void Close(Value value) noexcept { DeleteDC(value); }
};

// A 32-bit top-down DIB with a memory DC of its own. As a sprite its pixels are premultiplied BGRA.
class Surface {
 public:
  Surface() = default;
  Surface(Surface&&) = default;
  // Not member-wise: that would delete the old bitmap while its DC still holds it.
  Surface& operator=(Surface&& other) noexcept;

  bool Create(int width, int height);
  void Reset();

  explicit operator bool() const { return dc_.Valid(); }
  HDC Dc() const { return dc_.Get(); }
  // GDI may hold drawing calls of this thread in a batch: they must reach the bitmap before its pixels are
  // read or written directly.
  std::uint32_t* Pixels() const {
    GdiFlush();
    return pixels_;
  }
  int Width() const { return width_; }
  int Height() const { return height_; }

 private:
  // Declared first so that it goes last: the DC holding it is deleted before the bitmap.
  win32base::UniqueGdiObject bitmap_;
  win32base::UniqueHandle<MemoryDcTraits> dc_;
  std::uint32_t* pixels_ = nullptr;
  int width_ = 0, height_ = 0;
};

// How a label is set in its box: the largest size from the movie's range at which it fits, wrapped at
// word boundaries; at the smallest size long words are broken between characters, and what still does
// not fit is cut at a character boundary and ends in an ellipsis.
struct FittedLabel {
  int size = 0;
  std::wstring text;
  int height = 0;
  UINT format = 0;
  bool shortened = false;
};

FittedLabel FitLabel(HDC dc, const std::wstring& face, int weight, const std::wstring& text, int width,
                     int height, int largest, int smallest);

win32base::UniqueGdiObject MakeFont(const std::wstring& face, int size, int weight);

// The first face of the list that the system has; the last one otherwise, for GDI to substitute.
std::wstring InstalledFace(const std::vector<std::string>& faces);

// What a label request makes: the face (looked up when none was given), the label set in its box and
// drawn, and the panel when the movie has none yet. Uses nothing but what it is given, so it can be
// made on any thread.
struct LabelArt {
  std::wstring face;
  FittedLabel fitted;
  Surface sprite;
  Surface panel;
};

LabelArt MakeLabelArt(const MovieDescription& movie, std::wstring face, const std::wstring& label,
                      bool withPanel);

class MovieArt {
 public:
  // Forgets every picture made so far; label is the text to show until SetLabel gives another.
  void Reset(const std::wstring& label);
  // Frees the pictures that only the intro and the outro draw (the gear's steps, the title); they are
  // made again when a frame next needs them. The panel and the label stay: every showing starts with
  // them, and making them again would add to its wait.
  void ReleaseAnimation();
  // Starts on the label at once, on a thread of its own: the program gives the movie a while after the
  // text before it asks for the show, and the window's thread spends that while waiting with it, so
  // the label (and, the first time, the face and the panel) is ready when the first frame needs it.
  void SetLabel(const MovieDescription& movie, const std::wstring& label);
  // False only when GDI could not provide the panel's bitmap (out of resources): nothing was drawn.
  bool Compose(const Surface& target, const MovieDescription& movie, Frame frame);

  const std::wstring& LabelText() const { return labelText_; }

 private:
  // One per step of a tooth's turn: the intro turns the gear by one tooth.
  static constexpr int kGearSteps = 8;

  // Waits for the label under way, if any, and takes what it made.
  void Settle();
  void Take(LabelArt art);
  const std::wstring& Face(const MovieDescription& movie);
  // Null when GDI cannot provide it: the gear is left out of that frame.
  const Surface* GearAt(const MovieDescription& movie, int step);

  Surface panel_;
  std::vector<Surface> gear_;
  Surface title_;
  Surface labelSprite_;
  FittedLabel label_;
  std::wstring face_;
  std::wstring labelText_;
  bool labelStale_ = true;  // the sprite is not of labelText_, and none is under way
  std::future<LabelArt> pending_;
};

}  // namespace swfhost
