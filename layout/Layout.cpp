#include "layout/Layout.h"

#include <windows.h>

#include <string>

#include "framework/Application.h"
#include "framework/Text.h"
#include "layout/BackdropImage.h"
#include "layout/LabelRequest.h"
#include "osd/FlashOsd.h"
#include "osd/ScreenScale.h"

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

void FlashOsdLayout::SizeToScreen() {
  int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  TFlashOsdForm& form = *FlashOsdForm;
  // Only the size counts: a form of the right size stays where it is.
  if (form.Width() == screenWidth && form.Height() == screenHeight)
    return;
  form.Background.SetBounds(form.Background.Left(), form.Background.Top(), screenWidth, screenHeight);
  form.SetBounds(0, 0, screenWidth, screenHeight);
  form.Invalidate();
}

SIZE MovieSizeOnScreen() {
  UINT dpi = PrimaryScreenDpi();
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
  if (!FlashOsdForm->CurrentMovie)
    return false;
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
