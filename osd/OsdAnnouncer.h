#pragma once

#include <windows.h>
#include <oleacc.h>
#include <wrl/client.h>

#include <string>

#include "osd/ComApartment.h"
#include "osd/OsdAccessible.h"
#include "osd/UiaNotifier.h"

// What a person who cannot see the OSD hears of a showing: its announcement, spoken by a screen reader
// once, when the movie is shown, while the OSD never takes the focus. Readers of the older interface
// are told through WinEvents (a live region changed, an alert) and read the OSD's accessible object;
// readers of UI Automation through its notification and the live-region mark. Made and used on the
// main thread.
class OsdAnnouncer {
 public:
  OsdAnnouncer() = default;
  OsdAnnouncer(const OsdAnnouncer&) = delete;
  OsdAnnouncer& operator=(const OsdAnnouncer&) = delete;
  ~OsdAnnouncer();

  // Once the OSD's window exists: its client area is marked as a region whose changes are spoken at
  // once, interrupting the reader. A system that cannot mark it (Wine 8 answers E_NOTIMPL) still has
  // the events.
  void Attach(HWND window);
  // The window is going: its marks are cleared and no reader reaches its object any more.
  void Detach();

  // The movie of a showing is on the screen with text as its label, or nothing is (no picture, no
  // player): the OSD's name becomes text and the readers are told, once.
  void Announce(const std::wstring& text);
  // The showing is over: the OSD has no name until the next, and nothing is said. An announcement made
  // while the OSD was hidden keeps its name until the next one.
  void Silence();

  // Answers WM_GETOBJECT for the client area with the accessible object; false for any other object,
  // which the system's own answer serves.
  bool AnswerGetObject(WPARAM wParam, LPARAM lParam, LRESULT& result);

 private:
  ComApartment apartment_;
  HWND window_ = nullptr;
  std::wstring name_;
  bool withoutPicture_ = false;  // the last announcement was made while the OSD was hidden
  Microsoft::WRL::ComPtr<IAccPropServices> properties_;
  Microsoft::WRL::ComPtr<OsdAccessible> accessible_;
  UiaNotifier uia_;
};
