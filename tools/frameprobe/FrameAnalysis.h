#pragma once

#include <cstdint>
#include <optional>
#include <vector>

// What one showing put on the screen, told from the pixels the probe saw at a few points. A showing
// is meant to go from the desktop straight to its final picture (the backdrop with the movie in front)
// and back; every frame in between is reported, and those that show something that is neither the
// desktop, the backdrop nor the movie are counted as foreign.
namespace frameprobe {

using Pixel = std::uint32_t;  // 0xRRGGBB

// One look at the points, in milliseconds from the trigger.
struct Sample {
  double ms = 0.0;
  std::vector<Pixel> pixels;
};

enum class FrameKind {
  Desktop,    // every point as before the trigger
  Final,      // every point as in the picture the showing holds longest
  Composing,  // a mix of those, or the backdrop where the movie will be
  Foreign,    // at least one point that is none of them: a flash, an unpainted window
};

const char* KindName(FrameKind kind);

// A run of identical looks.
struct Frame {
  double from = 0.0;
  double to = 0.0;
  FrameKind kind = FrameKind::Desktop;
  std::vector<Pixel> pixels;
  // Per point: 'd' desktop, 'f' final, 'b' backdrop behind the movie, 'x' none of them.
  std::vector<char> verdicts;
};

struct ShowingReport {
  std::optional<double> firstChange;    // the first frame that is not the desktop
  std::optional<double> firstComplete;  // the first final frame
  std::optional<double> backToDesktop;  // the desktop again, for good
  std::vector<Pixel> finalPicture;
  std::vector<Frame> between;  // every frame that is neither the desktop nor final
  int composing = 0;
  int foreign = 0;
  // Points where the final picture is the desktop: a full-screen showing that something covers.
  int uncovered = 0;
};

// Points that lie inside the movie may also show the backdrop alone: it is learnt from the last frame
// before the desktop returns, when the movie has gone and the backdrop is still there.
ShowingReport Analyse(const std::vector<Sample>& samples, const std::vector<Pixel>& desktop,
                      const std::vector<bool>& inMovie, int tolerance);

bool Near(Pixel a, Pixel b, int tolerance);

}  // namespace frameprobe
