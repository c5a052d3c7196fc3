#include "ProgramWindows.h"

#include <cstdint>
#include <string>

#include "contract/ProcessContract.h"
#include "journal/Journal.h"

namespace gsctl {
namespace {

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  int length = GetClassNameW(window, name, 256);
  return std::wstring(name, length > 0 ? static_cast<size_t>(length) : 0);
}

std::wstring CaptionOf(HWND window) {
  wchar_t text[256] = {};
  int length = GetWindowTextW(window, text, 256);
  return std::wstring(text, length > 0 ? static_cast<size_t>(length) : 0);
}

struct Survey {
  DWORD processId = 0;
  HWND osd = nullptr;
  unsigned visiblePlayers = 0;
  unsigned totalPlayers = 0;
};

BOOL CALLBACK VisitTopLevelWindow(HWND window, LPARAM context) {
  auto& survey = *reinterpret_cast<Survey*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != survey.processId)
    return TRUE;
  std::wstring windowClass = ClassOf(window);
  if (windowClass == contract::PlayerWindowClass) {
    ++survey.totalPlayers;
    if (IsWindowVisible(window))
      ++survey.visiblePlayers;
  } else if (windowClass == contract::OsdFormClass && !survey.osd &&
             CaptionOf(window) == contract::OsdFormCaption) {
    survey.osd = window;
  }
  return TRUE;
}

// A signed 32-bit number kept in a property's pointer-sized value.
long PropertyNumber(HWND window, const wchar_t* name) {
  return static_cast<long>(static_cast<std::int32_t>(
      static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(GetPropW(window, name)))));
}

LastShowing LastShowingOf(HWND osd) {
  switch (PropertyNumber(osd, contract::LastShowingProperty)) {
    case contract::ShowingShown:
      return LastShowing::Shown;
    case contract::ShowingNoPictureFullScreen:
      return LastShowing::NoPictureFullScreen;
    case contract::ShowingOff:
      return LastShowing::Off;
    default:
      return LastShowing::None;
  }
}

}  // namespace

HWND FindMainForm() {
  return FindWindowW(contract::MainFormClass, contract::MainFormCaption);
}

StatusReport SurveyProgramWindows(HWND mainForm) {
  StatusReport report;
  if (!mainForm)
    return report;
  report.mainWindow = journal::Hex(reinterpret_cast<UINT_PTR>(mainForm));

  // Another program may own windows of the same classes; only the main form's process counts.
  Survey survey;
  GetWindowThreadProcessId(mainForm, &survey.processId);
  EnumWindows(VisitTopLevelWindow, reinterpret_cast<LPARAM>(&survey));

  report.visiblePlayers = survey.visiblePlayers;
  report.totalPlayers = survey.totalPlayers;
  if (survey.osd) {
    report.osd = IsWindowVisible(survey.osd) ? OsdState::Visible : OsdState::Hidden;
    RECT rect{};
    GetWindowRect(survey.osd, &rect);
    report.osdRect = {rect.left, rect.top, rect.right, rect.bottom};
    report.last = LastShowingOf(survey.osd);
    const auto& edges = contract::LastMonitorProperties;
    report.lastMonitor = {PropertyNumber(survey.osd, edges[0]), PropertyNumber(survey.osd, edges[1]),
                          PropertyNumber(survey.osd, edges[2]), PropertyNumber(survey.osd, edges[3])};
  }
  return report;
}

}  // namespace gsctl
