#include "Timeline.h"

#include <algorithm>

namespace swfhost {
namespace {

double EaseOut(double t) {
  double rest = 1.0 - t;
  return 1.0 - rest * rest * rest;
}

double EaseIn(double t) {
  return t * t * t;
}

}  // namespace

void Timeline::Start(Clip clip, double now) {
  running_ = clip;
  startedAt_ = now;
  frozen_ = false;
}

Timeline::Outcome Timeline::Request(Clip clip, double now) {
  if (frozen_) {
    // A stopped clip owes nobody a call-out any more; the request starts on a clean stage.
    running_.reset();
    frozen_ = false;
  }
  if (!running_) {
    Start(clip, now);
    return Outcome::Started;
  }
  if (waiting_.size() >= kMaxWaiting)
    return Outcome::Refused;
  waiting_.push_back(clip);
  return Outcome::Waiting;
}

void Timeline::Play(double now) {
  waiting_.clear();
  Start(Clip::Intro, now);
}

void Timeline::Stop(double now) {
  waiting_.clear();
  if (!running_ || frozen_)
    return;
  frozenElapsed_ = std::clamp(now - startedAt_, 0.0, static_cast<double>(Duration(*running_)));
  frozen_ = true;
}

std::vector<Clip> Timeline::Advance(double now) {
  std::vector<Clip> ended;
  while (running_ && !frozen_ && now - startedAt_ >= Duration(*running_)) {
    Clip clip = *running_;
    ended.push_back(clip);
    gone_ = clip == Clip::Outro;
    // The next clip starts where this one ended, not when the timer happened to notice, so a late
    // tick does not stretch the sequence.
    double endedAt = startedAt_ + Duration(clip);
    running_.reset();
    if (!waiting_.empty()) {
      Clip next = waiting_.front();
      waiting_.pop_front();
      Start(next, endedAt);
    }
  }
  return ended;
}

Frame Timeline::FrameOf(Clip clip, double elapsed) const {
  int duration = Duration(clip);
  double t = duration > 0 ? std::clamp(elapsed / duration, 0.0, 1.0) : 1.0;
  Frame frame;
  if (clip == Clip::Intro) {
    double eased = EaseOut(t);
    frame.appear = eased;
    frame.slide = (1.0 - eased) * timing_.introSlide;
  } else {
    double eased = EaseIn(t);
    frame.appear = 1.0 - eased;
    frame.slide = -eased * timing_.outroSlide;
  }
  return frame;
}

Frame Timeline::FrameAt(double now) const {
  if (running_)
    return FrameOf(*running_, frozen_ ? frozenElapsed_ : now - startedAt_);
  if (gone_)
    return Frame{0.0, -static_cast<double>(timing_.outroSlide)};
  return Frame{};
}

}  // namespace swfhost
