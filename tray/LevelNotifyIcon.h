#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "framework/UniqueHandle.h"
#include "framework/WindowHost.h"
#include "tray/LevelGauge.h"
#include "tray/LevelIconPicture.h"
#include "tray/LevelMenu.h"

namespace tray {

// What the icon offers the user, carried out by whoever made it.
struct LevelIconHandlers {
  // The menu as it stands now; nothing while there is no level to choose from, and then no menu opens.
  std::function<std::optional<LevelMenuModel>()> Menu;
  std::function<void(std::uint32_t level)> ChooseLevel;
  std::function<void()> ShowLevel;
  std::function<void()> Exit;
};

// The level's icon in the notification area, and its conversation with the shell: added at once, or as
// soon as the shell is there; added again whenever the shell starts anew; redrawn for a new DPI or
// theme; removed when the object goes. Its own hidden window hears the shell, and becomes the
// foreground window only while its menu is open, so that a click elsewhere closes the menu.
class LevelNotifyIcon : private framework::WindowHost {
 public:
  explicit LevelNotifyIcon(LevelIconHandlers handlers);
  ~LevelNotifyIcon() override;
  LevelNotifyIcon(const LevelNotifyIcon&) = delete;
  LevelNotifyIcon& operator=(const LevelNotifyIcon&) = delete;

  // The level in force: the picture for the item's count and index, and the tooltip with its text.
  void Show(std::uint32_t indexCount, std::uint32_t index, const std::wstring& text);
  // Closes the menu if it is open, choosing nothing; from the menu's own thread, inside its loop.
  void CloseMenu();

 private:
  LRESULT HandleMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) noexcept override;
  void OnShellEvent(UINT event, POINT anchor);
  void OpenMenu(POINT anchor);
  void Carry(UINT command);
  NOTIFYICONDATAW Data(UINT flags) const;
  // Tells the shell of the icon as it is; when the shell is not there, tries again later.
  void Publish();
  void Redraw();
  UINT Dpi() const;

  LevelIconHandlers handlers_;
  framework::UniqueModule shell_;
  using NotifyFunction = BOOL(WINAPI*)(DWORD, PNOTIFYICONDATAW);
  NotifyFunction notify_ = nullptr;
  framework::UniqueWindow window_;
  UINT taskbarCreated_ = 0;
  UniqueIcon picture_;
  Gauge gauge_;
  std::wstring tip_;
  bool added_ = false;
  bool version4_ = false;
  bool menuOpen_ = false;
};

// The tooltip for a level's text, cut to what the shell takes without splitting a character.
std::wstring LevelIconTip(const std::wstring& text);

}  // namespace tray
