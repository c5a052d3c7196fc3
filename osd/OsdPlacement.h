#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

// What the user asked for, where the OSD shows: values of the program's key, each already checked, so
// that anything absent or out of range is its default here.
enum class OsdMonitorChoice : std::uint32_t { Primary = 0, ForegroundWindow = 1, Pointer = 2 };
enum class OverFullScreen : std::uint32_t { ShowOver = 0, NoPicture = 1, OtherMonitor = 2 };

struct OsdSettings {
  OsdMonitorChoice monitor = OsdMonitorChoice::Primary;
  OverFullScreen overFullScreen = OverFullScreen::ShowOver;
  bool showOsd = true;
};

// One monitor, in physical pixels.
struct MonitorFacts {
  RECT rect{};
  bool primary = false;
};

// The foreground window as the showing finds it.
struct ForegroundFacts {
  bool present = false;  // there is a foreground window at all
  bool ours = false;     // it belongs to this process
  bool visible = false;
  bool minimised = false;
  bool maximised = false;
  // The shell's desktop: the shell window, or a Progman or WorkerW window of its process (the one that
  // holds the foreground after "Show desktop" or a click on the desktop).
  bool shellDesktop = false;
  bool captioned = false;  // WS_CAPTION fully set
  RECT rect{};             // its window rectangle
  int monitor = -1;        // the monitor nearest to it, an index into the monitors; -1 when none
};

// Everything the choice depends on, gathered afresh for each showing.
struct ScreenFacts {
  std::vector<MonitorFacts> monitors;  // in the system's order
  ForegroundFacts foreground;
  int pointerMonitor = -1;  // the monitor under the mouse pointer; -1 when it cannot be told
  // What SHQueryUserNotificationState answered; 0 when it was not asked or could not be.
  int notificationState = 0;
};

enum class ShowingOutcome { Shown, NoPictureFullScreen, Off };

struct OsdPlacement {
  ShowingOutcome outcome = ShowingOutcome::Shown;
  // The monitor the OSD covers; without a picture, the one it would have covered.
  RECT monitor{};
};

// SHQueryUserNotificationState's answers that speak of a full-screen program. Direct3D full screen and
// presentation mode are enough on their own; busy is only the shell's guess (an always-on-top tool
// raises it with nothing full-screen) and counts only beside a foreground window that covers its monitor.
inline constexpr int NotificationStateBusy = 2;              // QUNS_BUSY
inline constexpr int NotificationStateD3dFullScreen = 3;     // QUNS_RUNNING_D3D_FULL_SCREEN
inline constexpr int NotificationStatePresentationMode = 4;  // QUNS_PRESENTATION_MODE

// A full-screen program of another process holds the foreground.
bool FullScreenProgramInFront(const ScreenFacts& facts);

// Where this showing goes, or that it goes without a picture. With the default settings this is
// always the primary monitor, shown, whatever the facts.
OsdPlacement DecideOsdPlacement(const OsdSettings& settings, const ScreenFacts& facts);
