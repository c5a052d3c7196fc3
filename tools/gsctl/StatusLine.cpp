#include "StatusLine.h"

namespace gsctl {
namespace {

const char* OsdText(OsdState state) {
  switch (state) {
    case OsdState::Visible:
      return "visible";
    case OsdState::Hidden:
      return "hidden";
    case OsdState::None:
      break;
  }
  return "none";
}

const char* LastText(LastShowing last) {
  switch (last) {
    case LastShowing::Shown:
      return "shown";
    case LastShowing::NoPictureFullScreen:
      return "no-picture-fullscreen";
    case LastShowing::Off:
      return "off";
    case LastShowing::None:
      break;
  }
  return "none";
}

std::string RectText(const WindowRect& rect) {
  return std::to_string(rect.left) + "," + std::to_string(rect.top) + "," + std::to_string(rect.right) + "," +
         std::to_string(rect.bottom);
}

}  // namespace

std::string FormatStatusLine(const StatusReport& report) {
  // Without an OSD window there is no rectangle; zeros keep the line's shape for scripts that split it.
  WindowRect rect = report.osd == OsdState::None ? WindowRect{} : report.osdRect;
  std::string line = "main=" + (report.mainWindow.empty() ? std::string("none") : report.mainWindow);
  line += std::string(" osd=") + OsdText(report.osd);
  line += " osdrect=" + RectText(rect);
  line += " players=" + std::to_string(report.visiblePlayers) + "/" + std::to_string(report.totalPlayers);
  // Appended, so that scripts reading the fields before them by place go on working.
  line += std::string(" last=") + LastText(report.last);
  line += " monitor=" + RectText(report.last == LastShowing::None ? WindowRect{} : report.lastMonitor);
  return line;
}

}  // namespace gsctl
