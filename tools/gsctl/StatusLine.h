#pragma once

#include <string>

namespace gsctl {

enum class OsdState { None, Hidden, Visible };

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
};

// "main=<hwnd|none> osd=<visible|hidden|none> osdrect=<l,t,r,b> players=<visible>/<total>"
std::string FormatStatusLine(const StatusReport& report);

}  // namespace gsctl
