#include "osd/FlashOsd.h"

#include "contract/ProcessContract.h"
#include "framework/Application.h"
#include "framework/Text.h"
#include "osd/FlashPlayer.h"
#include "osd/ShowingRecord.h"

TFlashOsdForm* FlashOsdForm = nullptr;
std::int32_t OsdPhase = 0;
framework::THandler MovieEventHandler;
CallOutLedger CallOuts;
TCallOutRoutes CallOutRoutes;

namespace {

const framework::TFormDescription FlashOsdFormDescription{
    .Caption = contract::OsdFormCaption,
    .Left = 0,
    .Top = 0,
    .ClientWidth = 434,
    .ClientHeight = 320,
    .Color = COLOR_BTNFACE,
    .Font = {L"Tahoma", -11},
    .PixelsPerInch = 96,
    .BorderStyle = framework::TBorderStyle::None,
};

// Sleep may come back a little early, and a tick count may lag behind the time by a tick or more (it
// does under Wine, by up to 16 ms); the movie is promised the whole wait and the user waits no longer,
// so it is measured on the performance counter.
void WaitAtLeast(DWORD milliseconds) {
  LARGE_INTEGER frequency{}, now{};
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  const LONGLONG end = now.QuadPart + frequency.QuadPart * milliseconds / 1000;
  while (now.QuadPart < end) {
    // Asleep until a millisecond before the end, then only yielding: a sleep may overshoot by about a
    // millisecond, which every showing would wait for.
    LONGLONG left = (end - now.QuadPart) * 1000 / frequency.QuadPart;
    Sleep(left >= 2 ? static_cast<DWORD>(left - 1) : 0);
    QueryPerformanceCounter(&now);
  }
}

}  // namespace

POINT MoviePosition(int screenWidth, int screenHeight, int width, int height) {
  POINT at;
  at.x = (screenWidth - width) / 2;
  if (screenHeight - height < 0)
    at.y = screenHeight / 7;
  else
    at.y = static_cast<LONG>((screenHeight - height * 0.67) * 0.5);
  return at;
}

TFlashOsdForm::TFlashOsdForm()
    : TForm(contract::OsdFormClass, FlashOsdFormDescription),
      Background(*this, {.Left = 0, .Top = 0, .Width = 105, .Height = 105}),
      OsdTimer(OsdTimerInterval, false) {
  OsdTimer.OnTimer = [this](framework::TObject* sender) { OnOsdTimer(sender); };
  // The window exists, hidden, from start-up on: the movies are placed relative to it.
  Announcer.Attach(Handle());
}

void TFlashOsdForm::CreateParams(framework::TCreateParams& params) {
  TForm::CreateParams(params);
  params.ExStyle = (params.ExStyle | OsdExtendedStyle) & ~static_cast<DWORD>(WS_EX_APPWINDOW);
}

void TFlashOsdForm::Dispatch(framework::TMessage& message) {
  switch (message.Msg) {
    case WM_GETOBJECT:
      if (Announcer.AnswerGetObject(message.WParam, message.LParam, message.Result))
        return;
      break;
    case WM_DESTROY:
      Announcer.Detach();
      ForgetShowing(Handle());
      break;
    case WM_DISPLAYCHANGE:
    case WM_DPICHANGED:
    case WM_SETTINGCHANGE:
      if (OnScreenChanged)
        OnScreenChanged();
      break;
  }
  TForm::Dispatch(message);
}

void TFlashOsdForm::CreateMovie(const std::string& name, const std::string& fileName, int width, int height) {
  int slot = AllocateSlot(name);
  if (slot == -1)
    return;
  std::wstring path = framework::TApplication::ExeFolder() + L"//Resource//" + framework::Widen(fileName);
  FlashItems[slot].Path.Reset(SysAllocStringLen(path.data(), static_cast<UINT>(path.size())));
  CreatePlayer(slot, width, height);
}

bool TFlashOsdForm::CreatePlayer(int slot, int width, int height) {
  _FlashITEM& item = FlashItems[slot];
  if (item.Flash)
    return true;
  osd::LoadFlashLibrary();
  if (!osd::FlashPlayerComplete())
    return false;
  auto* flash = new TTransFlash();  // lives as long as the process, like its player window
  TTransFlash::Create(flash, Handle(), L"", item.Path.Get());
  if (!flash->PlayerWindow) {
    // No window to place or send to: forget this try, the next showing makes another.
    FlashList.pop_back();
    delete flash;
    return false;
  }
  item.Flash = flash;
  SIZE monitor = MonitorSize();
  POINT at = MoviePosition(monitor.cx, monitor.cy, width, height);
  flash->SetBounds(at.x, at.y, width, height);
  flash->SetVisible(false);
  flash->SetCallback(FlashCallCallback);
  return true;
}

int TFlashOsdForm::PlaceMovie(const std::string& name, int width, int height) {
  int slot = FindSlot(name);
  if (slot == -1)
    return -1;
  if (!CreatePlayer(slot, width, height))
    return 0;
  SIZE monitor = MonitorSize();
  POINT at = MoviePosition(monitor.cx, monitor.cy, width, height);
  TTransFlash& flash = *FlashItems[slot].Flash;
  // The size follows the screen's DPI, which may have changed since the movie was made.
  if (flash.Width != width || flash.Height != height)
    flash.SetSize(width, height);
  return flash.SetPosition(at.x, at.y);
}

SIZE TFlashOsdForm::MonitorSize() const {
  if (IsRectEmpty(&Monitor))
    return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  return {Monitor.right - Monitor.left, Monitor.bottom - Monitor.top};
}

void TFlashOsdForm::SelectMovie(int index) {
  OsdPhase = index;
  CurrentMovie = index >= 0 && index < FlashSlotCount ? FlashItems[index].Flash : nullptr;
}

void TFlashOsdForm::ShowMovies() {
  RestoreAllFlashes();
  if (CurrentMovie)
    CurrentMovie->SetVisible(true);
}

void TFlashOsdForm::HideMovies() {
  HideAllFlashes();
  if (CurrentMovie)
    CurrentMovie->SetVisible(false);
}

void TFlashOsdForm::PutOnTop() {
  // Top-most, the form is in front of every other window once shown, on Windows. Under Wine it is shown
  // where its window stands on the X server, behind a window made after it (the user's), and it is put
  // in front there only by a change of its place while no window of its own is shown before it: so
  // before the movies are shown, while it is still hidden.
  SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TFlashOsdForm::BringMovieToFront() {
  // An owned popup stays above its owner on Windows, but Wine lets the full-screen form, shown after
  // the movie, cover a movie that was shown before: from the second showing on, only the backdrop
  // would be seen.
  if (CurrentMovie && CurrentMovie->PlayerWindow)
    SetWindowPos(CurrentMovie->PlayerWindow, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TFlashOsdForm::PaintNow() {
  Update();
  if (CurrentMovie && CurrentMovie->PlayerWindow)
    UpdateWindow(CurrentMovie->PlayerWindow);
}

bool TFlashOsdForm::Send(const std::string& request) {
  if (!CurrentMovie)
    return false;
  std::wstring wide = framework::Widen(request);
  framework::UniqueBstr text(SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size())));
  if (!text)
    return false;
  // A movie that refuses a request (the stand-in does once too many clips wait) never calls out for it.
  return CurrentMovie->CallFunction(text.Get()) != 0;
}

void TFlashOsdForm::SendCommand(const std::string& request) {
  Send(request);
  WaitAtLeast(SendCommandWait);
}

void TFlashOsdForm::SendShow() {
  if (Send(InvokeRequest("externalCommand", "show")))
    CallOuts.Owe();
  ShowMovies();
}

void TFlashOsdForm::SendEnd() {
  if (Send(InvokeRequest("externalCommand", "end")))
    CallOuts.Owe();
}

void TFlashOsdForm::DisownCallOuts() {
  CallOuts.Disown(GetTickCount64());
}

void TFlashOsdForm::SetMovieEventHandler(framework::THandler handler) {
  MovieEventHandler = handler;
}

int TFlashOsdForm::AllocateSlot(const std::string& name) {
  if (FindSlot(name) != -1)
    return -1;
  for (int i = 0; i < FlashSlotCount; ++i) {
    if (FlashItems[i].Used == 0) {
      FlashItems[i].Name = name;
      FlashItems[i].Used = 1;
      return i;
    }
  }
  return -1;
}

int TFlashOsdForm::FindSlot(const std::string& name) const {
  for (int i = 0; i < FlashSlotCount; ++i) {
    if (FlashItems[i].Used == 1 && FlashItems[i].Name == name)
      return i;
  }
  return -1;
}

void TFlashOsdForm::OnOsdTimer(framework::TObject*) {
  OsdTimer.SetEnabled(false);
  OnOsdTimedOut.Run();
}

namespace {

void MoveToTheNextStep() {
  switch (static_cast<std::uint32_t>(OsdPhase)) {
    case 0:
      if (CallOutRoutes.MovieSignal)
        CallOutRoutes.MovieSignal(0);
      OsdPhase = 7;
      break;
    case 1:
      if (CallOutRoutes.MovieSignal)
        CallOutRoutes.MovieSignal(1);
      OsdPhase = 8;
      break;
    case 4:
      if (CallOutRoutes.StartOsdTimer)
        CallOutRoutes.StartOsdTimer();
      break;
    case 2:
    case 3:
    case 5:
    case 6:
    case 7:
    case 8:
      MovieEventHandler.Run();
      break;
    default:
      break;
  }
}

}  // namespace

void WINAPI FlashCallCallback(std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) noexcept {
  if (CallOuts.Swallow(GetTickCount64()))
    return;
  try {
    MoveToTheNextStep();
  } catch (...) {
    framework::Application().HandleExceptionLater();
  }
}
