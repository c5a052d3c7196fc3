#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/Handler.h"
#include "framework/Thread.h"
#include "framework/Timer.h"
#include "osd/CallOutLedger.h"
#include "osd/OsdPlacement.h"

inline constexpr std::int32_t MovieEndDelay = 2000;  // milliseconds from the intro's call-out to "end"
inline constexpr DWORD FadeOutTime = 250;            // milliseconds from the outro's call-out to hiding
// A showing still up this long after its Show is ended as if it had faded out: a movie that never
// calls out must not leave the top-most OSD over the desktop and every later hot key dropped.
inline constexpr UINT ShowingDeadline = 10000;  // milliseconds
static_assert(LongestClip + MovieEndDelay + FadeOutTime <= ShowingDeadline,
              "the longest clip fits into a showing with the wait and the fade-out");

// Readies the OSD window: at start-up, and fitted to the screen before each showing.
class FlashOsdWindowManipulator {
 public:
  static FlashOsdWindowManipulator& Instance();
  // At start-up: the call-outs connected, the OSD hidden and its backdrop loaded.
  void Prepare();
  // Leads the players' call-outs to the showings' manipulators, and stops a showing's deadline with the
  // OSD form that it would hide.
  void ConnectCallOuts();
  // Before each showing: notes where it goes, and for a showing with a picture sizes the OSD to that
  // monitor. A showing without one touches no window.
  void FitToScreen(const OsdPlacement& placement);

 private:
  FlashOsdWindowManipulator() = default;
};

// Runs a showing of the movie of slot 0: label and show; 2000 ms after its first call-out, "end"; 250 ms
// after the next call-out, everything hidden and the Director no longer busy.
class FlashClass0Manipulator {
 public:
  static FlashClass0Manipulator& Instance();
  // Returns at once; the showing goes on through the movie's call-outs. With no movie to show (no
  // usable player) the OSD is not shown at all, and the showing ends once the caller's message has
  // been handled.
  void Show(const char* text, std::int32_t a, std::int32_t b);
  // A showing without a picture: screen readers are told the text all the same, and nothing is shown,
  // activated or waited for. Whatever an earlier showing still has on the screen goes on to its end.
  void AnnounceWithoutPicture(const char* text);
  void OnMovieSignal(std::int32_t kind);
  void BeginEnd();
  void BeginFadeOut();
  // The last step of every showing, on the main thread: hide, then clear the Director's Busy.
  void EndShowing();
  // The OSD form is going: a showing's deadline must not fire at a form that is gone.
  void StopDeadline();
  // A number that changes whenever a showing is ended before its movie finished: what a showing
  // left waiting (a wait or fade-out thread) carries the number it was started under, and acts only
  // while it is still the same.
  std::uint32_t Generation() const { return generation_; }

  std::int32_t A = 0;  // the last Show's two numbers, kept as given
  std::int32_t B = 0;
  std::int32_t Shown = 0;
  // The wait from the movie's first call-out to "end", taken by the next Show; its deadline grows with it.
  std::int32_t HoldTime = MovieEndDelay;
  // Told at the end of every showing, once the OSD is hidden; set by whoever runs the showings.
  framework::THandler OnShowingEnded;

 private:
  FlashClass0Manipulator();
  void OnShowingDeadline(framework::TObject* sender);
  void OnNothingToShow(framework::TObject* sender);
  // Ends the showing in progress before its movie has finished, and leaves nothing of it armed.
  void EndShowingEarly();

  framework::TTimer deadline_;
  // Ends a showing that has no movie to show, once the message that started it has been handled.
  framework::TTimer nothingToShow_;
  std::uint32_t generation_ = 0;
};

// A movie of slot 4: each call-out starts the OSD form's timer.
class FlashClass2Manipulator {
 public:
  static FlashClass2Manipulator& Instance();
  void StartOsdTimer();

  std::int32_t A = 0;
  std::int32_t B = 0;

 private:
  FlashClass2Manipulator() = default;
};

// Sleeps Delay milliseconds, then runs OnElapsed on the main thread and waits for it.
class TWaitThread : public framework::TThread {
 public:
  TWaitThread() = default;

  framework::THandler OnElapsed;
  std::int32_t Delay = 0;
  // The manipulator's generation it was started under; OnElapsed is not run under another.
  std::uint32_t Generation = 0;

 protected:
  void Execute() override;
};

// Lets FadeOutTime pass on the tick counter, then ends the showing on the main thread.
class TMaskFanoutThread : public framework::TThread {
 public:
  TMaskFanoutThread() = default;

  // The manipulator's generation it was started under; it ends no showing under another.
  std::uint32_t Generation = 0;

 protected:
  void Execute() override;
};

void StartWaitThread(std::int32_t delay, framework::THandler handler);
void StartFadeOutThread();
