#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <vector>

// The movie's two clips on a clock of milliseconds. Every "show" and every "end" is answered by exactly
// one call-out, in the order received, because the program counts call-outs to step through a showing:
// a clip that is running always plays to its end, and a request that arrives meanwhile waits for it
// ("end" during the intro: the intro finishes and calls out, then the outro plays and calls out).
// A show after a show replays the intro; an end while the label is already gone still takes the
// outro's time before it calls out, so a caller's timing does not depend on what came before.
namespace swfhost {

enum class Clip { Intro, Outro };

struct Frame {
  // 0 nothing of the label to be seen, 1 fully there.
  double appear = 1.0;
  // How far the content stands below its resting place (negative: above), in movie pixels.
  double slide = 0.0;
};

struct ClipTiming {
  int introMs = 400, outroMs = 300;
  int introSlide = 40, outroSlide = 40;
};

class Timeline {
 public:
  // A flood of requests while a clip runs is bounded: each waits its turn, so beyond this many the
  // newest is refused rather than queueing minutes of animation.
  static constexpr std::size_t kMaxWaiting = 8;

  enum class Outcome { Started, Waiting, Refused };

  explicit Timeline(ClipTiming timing) : timing_(timing) {}

  Outcome Request(Clip clip, double now);

  // The movie's own playback: play starts the intro afresh (forgetting what waited, and calling out at
  // its end like a show); stop freezes the frame and forgets what waited until the next play or request.
  void Play(double now);
  void Stop(double now);

  // Moves the clock on; the clips that ended since the last call, oldest first, one call-out each.
  std::vector<Clip> Advance(double now);

  Frame FrameAt(double now) const;

  // Whether the frame still changes with time, i.e. whether anyone should keep the clock ticking.
  bool Running() const { return running_.has_value() && !frozen_; }

 private:
  int Duration(Clip clip) const { return clip == Clip::Intro ? timing_.introMs : timing_.outroMs; }
  Frame FrameOf(Clip clip, double elapsed) const;
  void Start(Clip clip, double now);

  ClipTiming timing_;
  std::optional<Clip> running_;
  double startedAt_ = 0.0;
  bool frozen_ = false;
  double frozenElapsed_ = 0.0;
  std::deque<Clip> waiting_;
  // What a finished clip leaves on screen. A new movie shows its label until told otherwise, so a player
  // shown without a "show" is not blank.
  bool gone_ = false;
};

}  // namespace swfhost
