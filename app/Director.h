#pragma once

#include <windows.h>

#include <array>
#include <atomic>
#include <cstdint>

#include "contract/ProcessContract.h"
#include "osd/OsdPlacement.h"

inline constexpr std::uint32_t LevelChangeNotification = contract::LevelChangeNotification;
inline constexpr UINT CompanionMessage = contract::CompanionMessage;
inline constexpr WPARAM CompanionWParam = contract::CompanionWParam;
inline constexpr LPARAM CompanionLParam = contract::CompanionLParam;
// The companion is another program: it is given this long to answer before the program goes on.
inline constexpr UINT CompanionReplyTimeout = 5000;  // milliseconds

// Turns hot-key codes and service notifications into a level switch and its announcement, and owns
// the keyboard hook library. One per process, never destroyed.
class Director {
 public:
  static Director& Instance();
  virtual ~Director();

  // At start-up: nothing running, the OSD hidden and its backdrop built.
  void Reset();
  void OnNotify(std::uint32_t code, bool& handled);
  void OnHotKey(std::uint32_t code);
  // The end of a showing, on the main thread.
  void ClearBusy();
  void OsdTimedOut();
  // Removes the keyboard hook and ends the hook library's thread, on the way out, so that it does not
  // outlive the message loop; further calls do nothing. Needs no Director: there is no hook without one.
  static void ReleaseHook();

  // A hot-key showing runs: further hot keys are dropped. Set on the main thread, cleared at the end of
  // a showing.
  std::atomic<bool> Busy{false};
  // A hot key or a notification is being handled, on the main thread: none other starts inside its
  // waits.
  bool Announcing = false;

 private:
  Director();
};

// The hot-key codes of levels 0, 1 and 2: the registry's, else the defaults. A value of another type
// than a 32-bit number throws framework::Exception.
std::array<std::uint32_t, 3> HotKeyCodes();
// Where the showing about to start goes, from the user's settings and the screen as it is now.
OsdPlacement PlaceShowing();
// Tells the suite's configuration window, if it runs, that a level was announced.
void NotifyCompanionWindow();
