#include "osd/OsdPlacement.h"

namespace {

bool Covers(const RECT& outer, const RECT& inner) {
  return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
         outer.bottom >= inner.bottom;
}

bool Overlap(const RECT& a, const RECT& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

long long Area(const RECT& rect) {
  return static_cast<long long>(rect.right - rect.left) * (rect.bottom - rect.top);
}

int PrimaryIndex(const ScreenFacts& facts) {
  for (std::size_t i = 0; i < facts.monitors.size(); ++i) {
    if (facts.monitors[i].primary)
      return static_cast<int>(i);
  }
  return facts.monitors.empty() ? -1 : 0;
}

bool ValidIndex(const ScreenFacts& facts, int index) {
  return index >= 0 && static_cast<std::size_t>(index) < facts.monitors.size();
}

bool ForeignForeground(const ForegroundFacts& foreground) {
  return foreground.present && !foreground.ours;
}

int ChosenMonitor(OsdMonitorChoice choice, const ScreenFacts& facts) {
  int index = -1;
  if (choice == OsdMonitorChoice::ForegroundWindow && ForeignForeground(facts.foreground))
    index = facts.foreground.monitor;
  else if (choice == OsdMonitorChoice::Pointer)
    index = facts.pointerMonitor;
  return ValidIndex(facts, index) ? index : PrimaryIndex(facts);
}

bool StateSaysFullScreen(int state) {
  return state == NotificationStateD3dFullScreen || state == NotificationStatePresentationMode;
}

// Another process's window over the whole of its monitor that is neither the shell's desktop nor
// maximised: a maximised window keeps its place among the others, caption or not (with the taskbar
// hidden a caption-less one covers the whole monitor).
bool CoversItsMonitor(const ScreenFacts& facts) {
  const ForegroundFacts& window = facts.foreground;
  if (!ForeignForeground(window) || !window.visible || window.minimised || window.maximised ||
      window.shellDesktop || !ValidIndex(facts, window.monitor))
    return false;
  return Covers(window.rect, facts.monitors[static_cast<std::size_t>(window.monitor)].rect);
}

bool GeometricFullScreen(const ScreenFacts& facts) {
  return CoversItsMonitor(facts) && !facts.foreground.captioned;
}

// What the full-screen program holds: its window when it is another process's foreground window;
// told only by the system's state, the primary monitor, where such programs run.
RECT FullScreenArea(const ScreenFacts& facts) {
  if (ForeignForeground(facts.foreground) && facts.foreground.visible && !facts.foreground.minimised)
    return facts.foreground.rect;
  int primary = PrimaryIndex(facts);
  return primary >= 0 ? facts.monitors[static_cast<std::size_t>(primary)].rect : RECT{};
}

// The largest monitor of which the full-screen program holds no part; -1 when there is none.
int LargestFreeMonitor(const ScreenFacts& facts) {
  RECT held = FullScreenArea(facts);
  int best = -1;
  for (std::size_t i = 0; i < facts.monitors.size(); ++i) {
    const RECT& rect = facts.monitors[i].rect;
    if (Overlap(held, rect))
      continue;
    if (best < 0 || Area(rect) > Area(facts.monitors[static_cast<std::size_t>(best)].rect))
      best = static_cast<int>(i);
  }
  return best;
}

RECT RectOf(const ScreenFacts& facts, int index) {
  return ValidIndex(facts, index) ? facts.monitors[static_cast<std::size_t>(index)].rect : RECT{};
}

}  // namespace

bool FullScreenProgramInFront(const ScreenFacts& facts) {
  return GeometricFullScreen(facts) || StateSaysFullScreen(facts.notificationState) ||
         (facts.notificationState == NotificationStateBusy && CoversItsMonitor(facts));
}

OsdPlacement DecideOsdPlacement(const OsdSettings& settings, const ScreenFacts& facts) {
  int chosen = ChosenMonitor(settings.monitor, facts);
  OsdPlacement placement{ShowingOutcome::Shown, RectOf(facts, chosen)};
  if (!settings.showOsd) {
    placement.outcome = ShowingOutcome::Off;
    return placement;
  }
  // The rule is looked at only when the user asked for something else than showing over it.
  if (settings.overFullScreen == OverFullScreen::ShowOver || !FullScreenProgramInFront(facts))
    return placement;
  if (settings.overFullScreen == OverFullScreen::OtherMonitor) {
    // The monitor asked for is kept where the program leaves it free.
    if (ValidIndex(facts, chosen) && !Overlap(FullScreenArea(facts), RectOf(facts, chosen)))
      return placement;
    int free = LargestFreeMonitor(facts);
    if (free >= 0) {
      placement.monitor = RectOf(facts, free);
      return placement;
    }
  }
  placement.outcome = ShowingOutcome::NoPictureFullScreen;
  return placement;
}
