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

}  // namespace

std::string FormatStatusLine(const StatusReport& report) {
  // Without an OSD window there is no rectangle; zeros keep the line's shape for scripts that split it.
  WindowRect rect = report.osd == OsdState::None ? WindowRect{} : report.osdRect;
  std::string line = "main=" + (report.mainWindow.empty() ? std::string("none") : report.mainWindow);
  line += std::string(" osd=") + OsdText(report.osd);
  line += " osdrect=" + std::to_string(rect.left) + "," + std::to_string(rect.top) + "," +
          std::to_string(rect.right) + "," + std::to_string(rect.bottom);
  line += " players=" + std::to_string(report.visiblePlayers) + "/" + std::to_string(report.totalPlayers);
  return line;
}

}  // namespace gsctl
