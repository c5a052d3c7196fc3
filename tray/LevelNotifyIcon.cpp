#include "tray/LevelNotifyIcon.h"

#include <iterator>
#include <utility>

#include "contract/ProcessContract.h"

namespace tray {
namespace {

constexpr UINT_PTR RetryTimer = 1;
// Early in a logon the shell may not be up yet; the icon is offered again at this pace until it is.
constexpr UINT RetryInterval = 2000;  // milliseconds
constexpr wchar_t TipPrefix[] = L"Gear Shift";

// shell32 is the shell's, loaded only for a user who wants the icon; from the system's folder only.
HMODULE LoadShell() {
  HMODULE shell = LoadLibraryExW(L"shell32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  // A system without the search flags refuses them; the program's own search order holds there.
  return shell ? shell : LoadLibraryW(L"shell32.dll");
}

bool IsHighSurrogate(wchar_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}

}  // namespace

std::wstring LevelIconTip(const std::wstring& text) {
  std::wstring tip = text.empty() ? std::wstring(TipPrefix) : std::wstring(TipPrefix) + L": " + text;
  constexpr std::size_t room = std::size(NOTIFYICONDATAW{}.szTip) - 1;
  if (tip.size() > room) {
    tip.resize(room);
    // The first half of a pair alone would be shown as a broken character.
    if (IsHighSurrogate(tip.back()))
      tip.pop_back();
  }
  return tip;
}

LevelNotifyIcon::LevelNotifyIcon(LevelIconHandlers handlers) : handlers_(std::move(handlers)) {
  shell_.Reset(LoadShell());
  if (shell_)
    notify_ = reinterpret_cast<NotifyFunction>(
        reinterpret_cast<void*>(GetProcAddress(shell_.Get(), "Shell_NotifyIconW")));
  taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
  // An ordinary hidden top-level window, not a message-only one: the shell's "TaskbarCreated" is
  // broadcast to top-level windows only.
  window_.Reset(framework::CreateHostedWindow(*this, contract::LevelIconClass, contract::LevelIconCaption,
                                              WS_POPUP, WS_EX_TOOLWINDOW, 0, 0, 0, 0, nullptr));
  // A program running with more rights than the shell would not hear it otherwise.
  using AllowFunction = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
  auto allow = reinterpret_cast<AllowFunction>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"user32.dll"), "ChangeWindowMessageFilterEx")));
  if (allow && taskbarCreated_)
    allow(window_.Get(), taskbarCreated_, MSGFLT_ALLOW, nullptr);
}

LevelNotifyIcon::~LevelNotifyIcon() {
  if (added_ && notify_) {
    NOTIFYICONDATAW data = Data(0);
    notify_(NIM_DELETE, &data);
  }
  if (window_)
    KillTimer(window_.Get(), RetryTimer);
}

void LevelNotifyIcon::Show(std::uint32_t indexCount, std::uint32_t index, const std::wstring& text) {
  gauge_ = GaugeFor(indexCount, index);
  tip_ = LevelIconTip(text);
  Redraw();
}

void LevelNotifyIcon::CloseMenu() {
  if (menuOpen_)
    EndMenu();
}

UINT LevelNotifyIcon::Dpi() const {
  using ForWindow = UINT(WINAPI*)(HWND);
  static const auto forWindow = reinterpret_cast<ForWindow>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (forWindow) {
    if (UINT dpi = forWindow(window_.Get()))
      return dpi;
  }
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
  if (screen)
    ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

void LevelNotifyIcon::Redraw() {
  // Drawn at the size the shell shows it, so that nothing of it is scaled from another size.
  UniqueIcon picture = MakeLevelIcon(SmallIconSize(Dpi()), gauge_);
  if (picture)
    picture_ = std::move(picture);
  Publish();
}

NOTIFYICONDATAW LevelNotifyIcon::Data(UINT flags) const {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window_.Get();
  data.uID = contract::LevelIconId;
  data.uFlags = flags;
  data.uCallbackMessage = contract::LevelIconCallbackMessage;
  data.hIcon = picture_.Get();
  tip_.copy(data.szTip, std::size(data.szTip) - 1);
  return data;
}

void LevelNotifyIcon::Publish() {
  if (!notify_ || !window_)
    return;
  // With the fourth version the shell shows the tooltip only when asked to.
  NOTIFYICONDATAW data = Data(NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP);
  if (added_ && notify_(NIM_MODIFY, &data))
    return;
  // Not there yet, or lost by a shell that went without saying so.
  added_ = notify_(NIM_ADD, &data) || notify_(NIM_MODIFY, &data);
  if (!added_) {
    SetTimer(window_.Get(), RetryTimer, RetryInterval, nullptr);
    return;
  }
  KillTimer(window_.Get(), RetryTimer);
  // The keyboard's way in (Enter, Space, Shift+F10, the menu key) and the anchor of the menu come with
  // the fourth version; an older shell gives clicks only.
  NOTIFYICONDATAW version = Data(0);
  version.uVersion = NOTIFYICON_VERSION_4;
  version4_ = notify_(NIM_SETVERSION, &version) != FALSE;
}

LRESULT LevelNotifyIcon::HandleMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
  try {
    if (msg == taskbarCreated_ && taskbarCreated_) {
      // A new shell knows nothing of the icon.
      added_ = false;
      Publish();
      return 0;
    }
    switch (msg) {
      case contract::LevelIconCallbackMessage:
        if (version4_) {
          if (HIWORD(lParam) == contract::LevelIconId)
            OnShellEvent(LOWORD(lParam),
                         POINT{static_cast<short>(LOWORD(wParam)), static_cast<short>(HIWORD(wParam))});
        } else if (wParam == contract::LevelIconId) {
          POINT cursor{};
          GetCursorPos(&cursor);
          OnShellEvent(static_cast<UINT>(lParam) == WM_RBUTTONUP ? WM_CONTEXTMENU : static_cast<UINT>(lParam),
                       cursor);
        }
        return 0;
      case WM_TIMER:
        if (wParam == RetryTimer)
          Publish();
        return 0;
      case WM_DPICHANGED:
      case WM_SETTINGCHANGE:
      case WM_THEMECHANGED:
      case WM_SYSCOLORCHANGE:
      case WM_DISPLAYCHANGE:
        Redraw();
        break;
    }
  } catch (...) {
    // Nothing of the icon is worth ending the program over; the next event tries again.
  }
  return DefWindowProcW(window, msg, wParam, lParam);
}

void LevelNotifyIcon::OnShellEvent(UINT event, POINT anchor) {
  switch (event) {
    case WM_CONTEXTMENU:  // a right click, Shift+F10 or the menu key
    case NIN_SELECT:      // a left click
    case NIN_KEYSELECT:   // Enter or Space
      OpenMenu(anchor);
      break;
  }
}

void LevelNotifyIcon::OpenMenu(POINT anchor) {
  // The menu's loop hands on what arrives meanwhile, this shell event among it: one menu at a time.
  if (menuOpen_ || !handlers_.Menu)
    return;
  std::optional<LevelMenuModel> model = handlers_.Menu();
  if (!model)
    return;
  UniqueMenu menu = BuildLevelMenu(*model);
  if (!menu)
    return;
  HWND before = GetForegroundWindow();
  // Without the foreground the menu would stay open whatever the user clicks next.
  SetForegroundWindow(window_.Get());
  const UINT align = GetSystemMetrics(SM_MENUDROPALIGNMENT) ? TPM_RIGHTALIGN : TPM_LEFTALIGN;
  menuOpen_ = true;
  const UINT command = static_cast<UINT>(
      TrackPopupMenuEx(menu.Get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON | TPM_BOTTOMALIGN | align,
                       anchor.x, anchor.y, window_.Get(), nullptr));
  menuOpen_ = false;
  // The system's known remedy for a second menu that would otherwise close at once.
  PostMessageW(window_.Get(), WM_NULL, 0, 0);
  // A hidden window keeps nobody's focus: the foreground goes back where it was, unless the user's
  // click that closed the menu has given it to someone else.
  if (GetForegroundWindow() == window_.Get() && before && before != window_.Get() && IsWindow(before))
    SetForegroundWindow(before);
  Carry(command);
}

void LevelNotifyIcon::Carry(UINT command) {
  if (command >= FirstLevelCommand && command < FirstLevelCommand + 3) {
    if (handlers_.ChooseLevel)
      handlers_.ChooseLevel(command - FirstLevelCommand);
  } else if (command == ShowLevelCommand) {
    if (handlers_.ShowLevel)
      handlers_.ShowLevel();
  } else if (command == ExitCommand) {
    if (handlers_.Exit)
      handlers_.Exit();
  }
}

}  // namespace tray
