#pragma once

#include <windows.h>
#include <oleauto.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "framework/Form.h"
#include "framework/Handler.h"
#include "framework/Image.h"
#include "framework/Timer.h"
#include "framework/UniqueHandle.h"
#include "osd/CallOutLedger.h"
#include "osd/OsdAnnouncer.h"
#include "osd/PlayerRequests.h"
#include "osd/TransFlash.h"

// One movie slot of the OSD.
struct _FlashITEM {
  framework::UniqueBstr Path;  // the movie file's full path
  std::string Name;
  std::int32_t Used = 0;
  TTransFlash* Flash = nullptr;  // never released: its player window lives as long as the process
};

inline constexpr int FlashSlotCount = 16;
inline constexpr UINT OsdTimerInterval = 3000;  // milliseconds
inline constexpr DWORD SendCommandWait = 100;   // milliseconds the movie is given after a request
// Added to the borderless form's extended style: top-most, tool window, never activated.
inline constexpr DWORD OsdExtendedStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;

// Where a movie of the given size sits on a screen of the given size, from the OSD window's top-left
// corner.
POINT MoviePosition(int screenWidth, int screenHeight, int width, int height);

// The on-screen display: a borderless, top-most tool window that never takes the focus, up to 16
// named movies (each a player window of its own) of which one is current, and a one-shot timer.
class TFlashOsdForm : public framework::TForm {
 public:
  TFlashOsdForm();

  // What screen readers hear of each showing; it answers for the window, so it is made before it.
  OsdAnnouncer Announcer;
  framework::TImage Background;  // the backdrop, sized to the screen before each showing
  framework::TTimer OsdTimer;
  TTransFlash* CurrentMovie = nullptr;
  std::array<_FlashITEM, FlashSlotCount> FlashItems;
  // The monitor the OSD covers, in physical pixels; empty until it is first sized, and then the
  // primary screen counts.
  RECT Monitor{};

  void CreateMovie(const std::string& name, const std::string& fileName, int width, int height);
  int PlaceMovie(const std::string& name, int width, int height);
  void SelectMovie(int index);
  void ShowMovies();
  void HideMovies();
  // Puts the form, still hidden, in front of every window, before its movies are shown.
  void PutOnTop();
  // Puts the selected movie back in front of the backdrop once the form is shown.
  void BringMovieToFront();
  // Paints the form and the selected movie now rather than when the message loop comes to them.
  void PaintNow();
  // Sends the request, then gives the movie SendCommandWait milliseconds.
  void SendCommand(const std::string& request);
  void SendShow();
  void SendEnd();
  // The showing that the call-outs still owed were asked for has been ended without them, its movie
  // hidden now: they are swallowed when they come, so that they do not step a later showing on, until
  // the movie has been hidden longer than the longest clip.
  void DisownCallOuts();
  void SetMovieEventHandler(framework::THandler handler);
  int AllocateSlot(const std::string& name);
  int FindSlot(const std::string& name) const;
  void OnOsdTimer(framework::TObject* sender);

  // Told when the one-shot timer has run out; set by whoever runs the showings.
  framework::THandler OnOsdTimedOut;
  // Told when the screen's size or DPI may have changed; set by whoever lays the OSD out.
  std::function<void()> OnScreenChanged;

 protected:
  void CreateParams(framework::TCreateParams& params) override;
  void Dispatch(framework::TMessage& message) override;

 private:
  // Makes the slot's player if it has none yet; false when no player can be had (the library or an
  // entry that a showing calls is missing, or it made no window). The slot stays claimed for a later try.
  bool CreatePlayer(int slot, int width, int height);
  // The size of the monitor the movies are placed on.
  SIZE MonitorSize() const;
  // False when there is no movie to send it to, or the movie refused it.
  bool Send(const std::string& request);
};

extern TFlashOsdForm* FlashOsdForm;

// The slot index of the selected movie, or 7 or 8 after the first call-out of the movie of slot 0 or 1.
extern std::int32_t OsdPhase;
// No movie's step: a call-out in this phase does nothing.
inline constexpr std::int32_t OsdPhaseIdle = 9;
extern framework::THandler MovieEventHandler;
// The call-outs the movies still owe for the "show" and "end" requests they took.
extern CallOutLedger CallOuts;

// Where the call-outs lead, set when the showings are readied; until then a call-out that needs one
// does nothing. MovieSignal takes the first call-out of the movie of slot 0 or 1, with the slot;
// StartOsdTimer every call-out of the movie of slot 4.
struct TCallOutRoutes {
  std::function<void(std::int32_t slot)> MovieSignal;
  std::function<void()> StartOsdTimer;
};
extern TCallOutRoutes CallOutRoutes;

// The one call-out callback of every player window: moves the OSD to its next step by OsdPhase. It
// runs inside the player library's window procedure, so it throws nothing: a failure is reported from
// the main loop once the library's call has returned.
void WINAPI FlashCallCallback(std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) noexcept;
