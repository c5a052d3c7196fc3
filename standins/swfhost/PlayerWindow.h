#pragma once

#include <windows.h>
#include <oaidl.h>

#include <cstdint>
#include <string>

#include "MovieDescription.h"
#include "Rendering.h"
#include "Timeline.h"
#include "contract/ProcessContract.h"
#include "contract/FlashPlayerLibrary.h"
#include "win32base/BaseWindow.h"
#include "win32base/UniqueHandle.h"

namespace swfhost {

inline constexpr const wchar_t* kPlayerWindowClass = contract::PlayerWindowClass;

// One movie in a popup owned by the program's window. Every entry reaches the player through its window
// (SendMessage), so whichever thread calls, the movie runs and calls out on the thread that created it.
class PlayerWindow : private win32base::BaseWindow<PlayerWindow> {
 public:
  // Null only when no window can be made at all; a movie that cannot be read still gets a window.
  static HWND Create(HWND parent, const std::wstring& moviePath);

  // Whether the window is a player of this library in this process, i.e. safe to send our messages to.
  static bool IsPlayer(HWND window);

  static void SetCallback(HWND player, FlashCalloutProc callback);
  static bool Call(HWND player, const VARIANT& request);
  static void Play(HWND player);
  static void Stop(HWND player);

 private:
  friend class win32base::BaseWindow<PlayerWindow>;

  PlayerWindow(MovieDescription movie, std::string movieProblem);

  // The window owns its player: it deletes it at WM_NCDESTROY.
  LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
  LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

  bool OnRequest(const VARIANT& request);
  void OnTick();
  void OnPaint();
  void OnVisibility(bool visible);
  void ApplyShape(int width, int height);
  // Draws the movie at the window's size from now on, as sharp as at its designed size.
  void FitToWindow(int width, int height);
  void Refresh();
  std::string Subject() const;

  win32base::UniqueWindow window_;
  MovieDescription movie_;
  MovieDescription drawn_;  // the movie at the window's size
  std::string movieProblem_;
  Timeline timeline_;
  MovieArt art_;
  Surface frame_;
  FlashCalloutProc callback_ = nullptr;
  std::uint32_t callouts_ = 0;
  bool ticking_ = false;
  bool visible_ = false;
};

}  // namespace swfhost
