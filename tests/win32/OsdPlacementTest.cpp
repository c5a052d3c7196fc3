#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "osd/OsdPlacement.h"

namespace {

// A primary monitor of 1920 x 1080 and a second of 1280 x 1024 to its left, at negative coordinates.
constexpr RECT Primary{0, 0, 1920, 1080};
constexpr RECT Left{-1280, 0, 0, 1024};

ScreenFacts TwoMonitors() {
  ScreenFacts facts;
  facts.monitors = {{Primary, true}, {Left, false}};
  facts.notificationState = 5;  // QUNS_ACCEPTS_NOTIFICATIONS
  return facts;
}

// Another process's visible window on the given monitor.
ForegroundFacts Window(const RECT& rect, int monitor, bool captioned) {
  ForegroundFacts window;
  window.present = true;
  window.visible = true;
  window.captioned = captioned;
  window.rect = rect;
  window.monitor = monitor;
  return window;
}

std::string Describe(const OsdPlacement& placement) {
  const char* outcome = placement.outcome == ShowingOutcome::Shown                 ? "shown"
                        : placement.outcome == ShowingOutcome::NoPictureFullScreen ? "no-picture"
                                                                                   : "off";
  const RECT& r = placement.monitor;
  return std::string(outcome) + " " + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
         std::to_string(r.right) + "," + std::to_string(r.bottom);
}

struct Case {
  const char* what;
  OsdSettings settings;
  ScreenFacts facts;
  const char* expected;
};

TEST(OsdPlacementTest, ChoosesTheMonitorOrNoPictureByTheSettingsTheForegroundWindowAndTheSystemState) {
  const OsdSettings defaults;
  const OsdSettings byForeground{OsdMonitorChoice::ForegroundWindow, OverFullScreen::ShowOver, true};
  const OsdSettings byPointer{OsdMonitorChoice::Pointer, OverFullScreen::ShowOver, true};
  const OsdSettings skipFullScreen{OsdMonitorChoice::Primary, OverFullScreen::NoPicture, true};
  const OsdSettings moveAway{OsdMonitorChoice::Primary, OverFullScreen::OtherMonitor, true};
  const OsdSettings never{OsdMonitorChoice::Primary, OverFullScreen::ShowOver, false};

  ScreenFacts game = TwoMonitors();  // a caption-less window covering the primary monitor
  game.foreground = Window(Primary, 0, false);
  ScreenFacts maximised = TwoMonitors();  // a framed window as large as the primary's work area
  maximised.foreground = Window({-8, -8, 1928, 1088}, 0, true);
  ScreenFacts minimisedGame = game;
  minimisedGame.foreground.minimised = true;
  ScreenFacts desktop = game;
  desktop.foreground.shellDesktop = true;
  ScreenFacts ourOwn = game;
  ourOwn.foreground.ours = true;
  ScreenFacts smallPopup = TwoMonitors();
  smallPopup.foreground = Window({100, 100, 900, 700}, 0, false);
  ScreenFacts onLeft = TwoMonitors();
  onLeft.foreground = Window({-1000, 100, -200, 700}, 1, true);
  ScreenFacts pointerLeft = TwoMonitors();
  pointerLeft.pointerMonitor = 1;
  ScreenFacts spanning = TwoMonitors();  // one caption-less window over both monitors
  spanning.foreground = Window({-1280, 0, 1920, 1080}, 0, false);
  ScreenFacts gameOnLeft = TwoMonitors();
  gameOnLeft.foreground = Window(Left, 1, false);
  ScreenFacts oneMonitorGame = game;
  oneMonitorGame.monitors.pop_back();
  // Told only by the system: a Direct3D program, a presentation, or the user busy, while the
  // foreground window itself looks like nothing in particular.
  ScreenFacts d3d = smallPopup;
  d3d.notificationState = 3;
  ScreenFacts presentation = TwoMonitors();
  presentation.notificationState = 4;
  // Busy is the shell's guess, raised by an always-on-top tool as well: it counts only beside a window
  // that covers its monitor, framed or not, never beside a maximised one.
  ScreenFacts busy = TwoMonitors();
  busy.notificationState = 2;
  ScreenFacts busyFramedCover = TwoMonitors();
  busyFramedCover.foreground = Window(Primary, 0, true);
  busyFramedCover.notificationState = 2;
  ScreenFacts busyMaximised = busyFramedCover;
  busyMaximised.foreground.maximised = true;
  // With the taskbar hidden, a caption-less maximised window covers the whole monitor.
  ScreenFacts maximisedBare = game;
  maximisedBare.foreground.maximised = true;
  ScreenFacts quietHours = TwoMonitors();
  quietHours.notificationState = 1;  // QUNS_NOT_PRESENT: not one of the three
  ScreenFacts badIndexes = TwoMonitors();
  badIndexes.pointerMonitor = 7;

  const std::vector<Case> cases = {
      {"the defaults show over a game, on the primary", defaults, game, "shown 0,0,1920,1080"},
      {"the foreground window's monitor", byForeground, onLeft, "shown -1280,0,0,1024"},
      {"our own foreground window means the primary", byForeground, ourOwn, "shown 0,0,1920,1080"},
      {"no foreground window means the primary", byForeground, TwoMonitors(), "shown 0,0,1920,1080"},
      {"the pointer's monitor", byPointer, pointerLeft, "shown -1280,0,0,1024"},
      {"a monitor index out of range means the primary", byPointer, badIndexes, "shown 0,0,1920,1080"},
      {"ShowOsd 0 never shows", never, TwoMonitors(), "off 0,0,1920,1080"},
      {"a caption-less window covering its monitor is skipped", skipFullScreen, game,
       "no-picture 0,0,1920,1080"},
      {"a maximised framed window is no full-screen program", skipFullScreen, maximised,
       "shown 0,0,1920,1080"},
      {"a minimised one is none", skipFullScreen, minimisedGame, "shown 0,0,1920,1080"},
      {"the shell's desktop is none", skipFullScreen, desktop, "shown 0,0,1920,1080"},
      {"our own window is none", skipFullScreen, ourOwn, "shown 0,0,1920,1080"},
      {"a caption-less window smaller than its monitor is none", skipFullScreen, smallPopup,
       "shown 0,0,1920,1080"},
      {"Direct3D full screen by the system's state", skipFullScreen, d3d, "no-picture 0,0,1920,1080"},
      {"presentation mode by the system's state", skipFullScreen, presentation, "no-picture 0,0,1920,1080"},
      {"busy alone shows", skipFullScreen, busy, "shown 0,0,1920,1080"},
      {"busy with a framed window covering its monitor", skipFullScreen, busyFramedCover,
       "no-picture 0,0,1920,1080"},
      {"busy with a maximised window shows", skipFullScreen, busyMaximised, "shown 0,0,1920,1080"},
      {"a caption-less maximised window is none", skipFullScreen, maximisedBare, "shown 0,0,1920,1080"},
      {"another state shows", skipFullScreen, quietHours, "shown 0,0,1920,1080"},
      {"moved to the monitor the game leaves free", moveAway, game, "shown -1280,0,0,1024"},
      {"the monitor asked for is kept when the game is elsewhere", moveAway, gameOnLeft,
       "shown 0,0,1920,1080"},
      {"the state alone holds the primary: the other monitor", moveAway, presentation,
       "shown -1280,0,0,1024"},
      {"a game over every monitor leaves no picture", moveAway, spanning, "no-picture 0,0,1920,1080"},
      {"a single monitor under a game leaves no picture", moveAway, oneMonitorGame,
       "no-picture 0,0,1920,1080"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Describe(DecideOsdPlacement(c.settings, c.facts)), c.expected) << c.what;
}

}  // namespace
