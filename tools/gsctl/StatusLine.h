#pragma once

#include <string>

namespace gsctl {

enum class OsdState { None, Hidden, Visible };
// Where the last showing went: on the screen, left without a picture for a full-screen program, or
// without one because the user turned the OSD off; None before the first.
enum class LastShowing { None, Shown, NoPictureFullScreen, Off };

struct WindowRect {
  long left = 0, top = 0, right = 0, bottom = 0;
};

// What gsctl found of the program's windows.
struct StatusReport {
  std::string mainWindow;  // the main form's handle in the journal's hex style; empty when not running
  OsdState osd = OsdState::None;
  WindowRect osdRect;  // ignored while osd is None
  unsigned visiblePlayers = 0;
  unsigned totalPlayers = 0;
  LastShowing last = LastShowing::None;
  WindowRect lastMonitor;  // the monitor of the last showing; ignored while last is None
};

// "main=<hwnd|none> osd=<visible|hidden|none> osdrect=<l,t,r,b> players=<visible>/<total>
//  last=<none|shown|no-picture-fullscreen|off> monitor=<l,t,r,b>", on one line
std::string FormatStatusLine(const StatusReport& report);

}  // namespace gsctl
