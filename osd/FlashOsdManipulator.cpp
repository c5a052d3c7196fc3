#include "osd/FlashOsdManipulator.h"

#include <algorithm>

#include "framework/Text.h"
#include "layout/Layout.h"
#include "osd/FlashOsd.h"
#include "osd/ShowingRecord.h"

FlashOsdWindowManipulator& FlashOsdWindowManipulator::Instance() {
  static auto* const manipulator = new FlashOsdWindowManipulator();  // kept for the life of the process
  return *manipulator;
}

void FlashOsdWindowManipulator::Prepare() {
  ConnectCallOuts();
  FlashOsdForm->Hide();
  FlashOsdLayout::Instance().LoadBackground();
  // The backdrop is scaled to the screen now, not at the first hot key: the first showing then costs
  // what a later one does.
  FlashOsdLayout::Instance().SizeToScreen();
}

void FlashOsdWindowManipulator::ConnectCallOuts() {
  CallOutRoutes.MovieSignal = [](std::int32_t slot) {
    FlashClass0Manipulator::Instance().OnMovieSignal(slot);
  };
  CallOutRoutes.StartOsdTimer = [] { FlashClass2Manipulator::Instance().StartOsdTimer(); };
  FlashOsdForm->OnDestroy = [](framework::TObject*) { FlashClass0Manipulator::Instance().StopDeadline(); };
  // Between showings the backdrop is scaled to a changed screen at once, so the next showing does not
  // wait for it; a showing on the screen keeps its size, and the next one fits it.
  FlashOsdForm->OnScreenChanged = [] {
    if (!IsWindowVisible(FlashOsdForm->Handle()))
      FlashOsdLayout::Instance().SizeToScreen();
  };
}

void FlashOsdWindowManipulator::FitToScreen(const OsdPlacement& placement) {
  RecordShowing(FlashOsdForm->Handle(), placement);
  if (placement.outcome != ShowingOutcome::Shown)
    return;
  FlashOsdLayout::Instance().SetMonitor(placement.monitor);
  FlashOsdLayout::Instance().SizeToScreen();
}

FlashClass0Manipulator& FlashClass0Manipulator::Instance() {
  static auto* const manipulator = new FlashClass0Manipulator();
  return *manipulator;
}

FlashClass0Manipulator::FlashClass0Manipulator()
    : deadline_(ShowingDeadline, false), nothingToShow_(USER_TIMER_MINIMUM, false) {
  deadline_.OnTimer = [this](framework::TObject* sender) { OnShowingDeadline(sender); };
  nothingToShow_.OnTimer = [this](framework::TObject* sender) { OnNothingToShow(sender); };
}

void FlashClass0Manipulator::Show(const char* text, std::int32_t a, std::int32_t b) {
  A = a;
  B = b;
  // Every Show gives the showing its full time again, counted from now.
  deadline_.SetEnabled(false);
  deadline_.SetInterval(ShowingDeadline + static_cast<UINT>(std::max(HoldTime - MovieEndDelay, 0)));
  deadline_.SetEnabled(true);
  FlashOsdLayout::Instance().ShowProfile(0);
  // Without a player the OSD would be a top-most sheet over the whole desktop that swallows every
  // click and says nothing; the level is set all the same, so the showing just ends. It ends from the
  // message loop, as a showing does, once whoever showed it has done what follows its Show.
  if (!FlashOsdLayout::Instance().ShowLabel(text))
    nothingToShow_.SetEnabled(true);
  Shown = 1;
}

void FlashClass0Manipulator::AnnounceWithoutPicture(const char* text) {
  // The name stays on the hidden OSD's object until the next showing: a reader takes the event later,
  // from its own process, and reads the name back then.
  FlashOsdForm->Announcer.Announce(framework::Widen(text ? text : ""));
}

void FlashClass0Manipulator::OnMovieSignal(std::int32_t kind) {
  if (kind == 0 || kind == 1)
    StartWaitThread(HoldTime,
                    framework::MakeHandler<FlashClass0Manipulator, &FlashClass0Manipulator::BeginEnd>(*this));
}

void FlashClass0Manipulator::BeginEnd() {
  FlashOsdForm->SetMovieEventHandler(
      framework::MakeHandler<FlashClass0Manipulator, &FlashClass0Manipulator::BeginFadeOut>(*this));
  FlashOsdLayout::Instance().EndMovie();
}

void FlashClass0Manipulator::BeginFadeOut() {
  StartFadeOutThread();
}

void FlashClass0Manipulator::EndShowing() {
  // Nothing is on the screen after this: a later Show starts the deadline again.
  deadline_.SetEnabled(false);
  FlashOsdLayout::Instance().HideOsd();
  OnShowingEnded.Run();
}

void FlashClass0Manipulator::StopDeadline() {
  deadline_.SetEnabled(false);
  nothingToShow_.SetEnabled(false);
}

void FlashClass0Manipulator::OnShowingDeadline(framework::TObject*) {
  EndShowingEarly();
}

void FlashClass0Manipulator::OnNothingToShow(framework::TObject*) {
  nothingToShow_.SetEnabled(false);
  EndShowingEarly();
}

void FlashClass0Manipulator::EndShowingEarly() {
  // The movie may still answer what this showing asked of it, and its threads may still be waiting:
  // none of that may step the next showing on, cut it short or clear Busy in its middle. The threads
  // find another generation, the owed call-outs are swallowed, and until the next showing selects its
  // movie a call-out has nothing to start.
  ++generation_;
  FlashOsdForm->DisownCallOuts();
  FlashOsdForm->SetMovieEventHandler({});
  OsdPhase = OsdPhaseIdle;
  EndShowing();
}

FlashClass2Manipulator& FlashClass2Manipulator::Instance() {
  static auto* const manipulator = new FlashClass2Manipulator();
  return *manipulator;
}

void FlashClass2Manipulator::StartOsdTimer() {
  FlashOsdLayout::Instance().SetOsdTimer(true);
}

void TWaitThread::Execute() {
  Sleep(static_cast<DWORD>(Delay));
  Synchronize([this] {
    if (Generation == FlashClass0Manipulator::Instance().Generation())
      OnElapsed.Run();
  });
}

void TMaskFanoutThread::Execute() {
  // The wait is measured on the tick counter; unsigned subtraction gives the true difference across a
  // wrap of the counter.
  DWORD start = GetTickCount();
  DWORD elapsed = 0;
  while (elapsed < FadeOutTime)
    elapsed = GetTickCount() - start;
  // The windows and Busy belong to the main thread: the hiding and the clearing happen there, in this
  // order, and not at all once the main thread has stopped taking work.
  Synchronize([this] {
    FlashClass0Manipulator& manipulator = FlashClass0Manipulator::Instance();
    if (Generation == manipulator.Generation())
      manipulator.EndShowing();
  });
}

void StartWaitThread(std::int32_t delay, framework::THandler handler) {
  auto* thread = new TWaitThread();  // frees itself when it has run
  thread->Delay = delay;
  thread->OnElapsed = handler;
  thread->Generation = FlashClass0Manipulator::Instance().Generation();
  thread->FreeOnTerminate = true;
  thread->Start();
}

void StartFadeOutThread() {
  auto* thread = new TMaskFanoutThread();  // frees itself when it has run
  thread->Generation = FlashClass0Manipulator::Instance().Generation();
  thread->FreeOnTerminate = true;
  thread->Start();
}
