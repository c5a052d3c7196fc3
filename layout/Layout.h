#pragma once

#include <cstdint>
#include <memory>

#include <windows.h>

#include "framework/Bitmap.h"

inline constexpr char ProfileOnMovieName[] = "GearProfileOn";
inline constexpr char ProfileOnMovieFile[] = "GearProfileOn.swf";
inline constexpr char ProfileOffMovieName[] = "GearProfileOff";
inline constexpr char ProfileOffMovieFile[] = "GearProfileOff.swf";
// At 96 dpi; on the screen the movie is scaled by its DPI.
inline constexpr int ProfileMovieWidth = 400;
inline constexpr int ProfileMovieHeight = 650;
inline constexpr wchar_t BackdropFile[] = L"bg_smoke01.png";

// The profile movies' size on the monitor the OSD covers, in its physical pixels.
SIZE MovieSizeOnScreen();

// Puts the OSD together on the OSD form: the backdrop stretched over the whole primary screen, the
// profile movies in front of it. It keeps nothing of a showing; the manipulators order the steps.
class FlashOsdLayout {
 public:
  // The one layout, made on first use and kept until the process ends.
  static FlashOsdLayout& Instance();

  // Once, at start-up. A missing backdrop is reported and the OSD goes without one.
  void LoadBackground();
  // Before each showing: the OSD and its backdrop cover the monitor it shows on, the primary one unless
  // told otherwise. A monitor that has gone since is replaced by the primary.
  void SizeToScreen();
  // The monitor the following showings cover, in physical pixels; the primary's rectangle means the
  // primary monitor, wherever it is when the OSD is sized.
  void SetMonitor(const RECT& monitor);
  // The rectangle the OSD covers when sized now.
  RECT Monitor() const;
  void LoadMovies();
  // Profile 0 or 1 places the profile's movie; the first call creates both movies, whatever profile.
  void ShowProfile(std::int32_t profile);
  // Labels the movie of slot 0 with text, shows it with the OSD and announces text to screen readers.
  // False when slot 0 has no movie (no usable player): then nothing is sent and the OSD stays hidden,
  // and text is announced all the same.
  bool ShowLabel(const char* text);
  void EndMovie();
  void SetOsdTimer(bool on);
  void HideOsd();

  std::unique_ptr<framework::TBitmap> bitmap;  // the backdrop; null until LoadBackground

 private:
  FlashOsdLayout() = default;

  bool onPrimary_ = true;
  RECT monitor_{};  // while not on the primary
};

// Set by the first ShowProfile, never cleared.
extern bool moviesLoaded;
