#include "layout/Layout.h"

#include <windows.h>

#include <string>

#include "framework/Application.h"
#include "framework/Text.h"
#include "layout/BackdropImage.h"
#include "layout/LabelRequest.h"
#include "osd/FlashOsd.h"
#include "osd/ScreenScale.h"
#include "osd/ScreenSurvey.h"

bool moviesLoaded = false;

FlashOsdLayout& FlashOsdLayout::Instance() {
  static FlashOsdLayout* const layout = new FlashOsdLayout();  // never destroyed, like the forms it serves
  return *layout;
}

void FlashOsdLayout::LoadBackground() {
  bitmap = std::make_unique<framework::TBitmap>();
  std::wstring path = framework::TApplication::ExeFolder() + L"Resource\\" + BackdropFile;
  LoadImageIntoBitmap(path, *bitmap);
  FlashOsdForm->Background.SetBitmap(*bitmap);
  FlashOsdForm->Background.SetStretch(true);
  FlashOsdForm->Hide();
}

void FlashOsdLayout::SetMonitor(const RECT& monitor) {
  RECT primary = PrimaryMonitorRect();
  onPrimary_ = EqualRect(&monitor, &primary) != FALSE;
  monitor_ = monitor;
}

RECT FlashOsdLayout::Monitor() const {
  if (onPrimary_)
    return PrimaryMonitorRect();
  return MonitorStillAttached(monitor_) ? monitor_ : PrimaryMonitorRect();
}

void FlashOsdLayout::SizeToScreen() {
  RECT monitor = Monitor();
  if (!onPrimary_ && !EqualRect(&monitor, &monitor_))
    onPrimary_ = true;  // the monitor has gone: the primary from now on
  int width = monitor.right - monitor.left;
  int height = monitor.bottom - monitor.top;
  TFlashOsdForm& form = *FlashOsdForm;
  form.Monitor = monitor;
  // The place counts as much as the size: two monitors of one size are common.
  if (form.Left() == monitor.left && form.Top() == monitor.top && form.Width() == width &&
      form.Height() == height)
    return;
  form.Background.SetBounds(form.Background.Left(), form.Background.Top(), width, height);
  form.SetBounds(monitor.left, monitor.top, width, height);
  form.Invalidate();
}

SIZE MovieSizeOnScreen() {
  UINT dpi = MonitorDpi(FlashOsdLayout::Instance().Monitor());
  return {ScaledToDpi(ProfileMovieWidth, dpi), ScaledToDpi(ProfileMovieHeight, dpi)};
}

void FlashOsdLayout::LoadMovies() {
  SIZE size = MovieSizeOnScreen();
  FlashOsdForm->CreateMovie(ProfileOnMovieName, ProfileOnMovieFile, size.cx, size.cy);
  FlashOsdForm->CreateMovie(ProfileOffMovieName, ProfileOffMovieFile, size.cx, size.cy);
  HideOsd();
}

void FlashOsdLayout::ShowProfile(std::int32_t profile) {
  if (!moviesLoaded) {
    LoadMovies();
    moviesLoaded = true;
  }
  const char* name = nullptr;
  if (profile == 0)
    name = ProfileOnMovieName;
  else if (profile == 1)
    name = ProfileOffMovieName;
  else
    return;
  SIZE size = MovieSizeOnScreen();
  FlashOsdForm->PlaceMovie(name, size.cx, size.cy);
}

bool FlashOsdLayout::ShowLabel(const char* text) {
  std::string request = LabelRequest(text ? text : "", CP_ACP);
  // Slot 0 whatever ShowProfile placed: the label always goes to the first movie.
  FlashOsdForm->SelectMovie(0);
  if (!FlashOsdForm->CurrentMovie) {
    // Nothing to see, but the level is set all the same: a reader still says it.
    FlashOsdForm->Announcer.Announce(framework::Widen(text ? text : ""));
    return false;
  }
  FlashOsdForm->SendCommand(request);
  FlashOsdForm->PutOnTop();
  FlashOsdForm->SendShow();
  FlashOsdForm->Show();
  FlashOsdForm->BringMovieToFront();
  // Both painted before the loop goes on: what reaches the screen is their finished pictures, never an
  // empty window or the form's plain colour.
  FlashOsdForm->PaintNow();
  // Heard once the movie is seen, with the whole text: the request may have had to cut it.
  FlashOsdForm->Announcer.Announce(framework::Widen(text ? text : ""));
  return true;
}

void FlashOsdLayout::EndMovie() {
  FlashOsdForm->SendEnd();
}

void FlashOsdLayout::SetOsdTimer(bool on) {
  if (on)
    FlashOsdForm->OsdTimer.SetInterval(OsdTimerInterval);
  FlashOsdForm->OsdTimer.SetEnabled(on);
}

void FlashOsdLayout::HideOsd() {
  FlashOsdForm->Announcer.Silence();
  FlashOsdForm->HideMovies();
  FlashOsdForm->Hide();
}
