#include "app/LevelIconLink.h"

#include <windows.h>

#include <algorithm>
#include <optional>
#include <string>

#include "app/Director.h"
#include "app/Main.h"
#include "contract/ProcessContract.h"
#include "framework/Application.h"
#include "framework/Exception.h"
#include "framework/Registry.h"
#include "framework/Text.h"
#include "tray/LevelNotifyIcon.h"

namespace {

void PostToForm(TMainForm& form, UINT message, LPARAM lParam) {
  PostMessageW(form.Handle(), message, MessageTag, lParam);
}

std::optional<tray::LevelMenuModel> MenuOf(TMainForm& form) {
  // No item, no level to offer: the menu does not open.
  if (!form.LevelItem)
    return std::nullopt;
  const bios::BiosItemA& item = *form.LevelItem;
  return tray::LevelMenuModelFor(item.IndexCount(), form.LevelIndex, [&item](std::uint32_t index) {
    return framework::Widen(item.IndexToString(index));
  });
}

tray::LevelIconHandlers HandlersFor(TMainForm& form) {
  tray::LevelIconHandlers handlers;
  handlers.Menu = [&form] { return MenuOf(form); };
  // A level chosen is that level's hot key, code and all: the Director treats it as one, dropped
  // during a showing like any other.
  handlers.ChooseLevel = [&form](std::uint32_t level) {
    try {
      PostToForm(form, HotKeyMessage, static_cast<LPARAM>(HotKeyCodes().at(level)));
    } catch (const framework::Exception& error) {
      framework::Application().ShowException(error.what());
    }
  };
  handlers.ShowLevel = [&form] {
    PostToForm(form, ServiceNotifyMessage, static_cast<LPARAM>(LevelChangeNotification));
  };
  handlers.Exit = [&form] { PostToForm(form, CloseRequestMessage, 0); };
  return handlers;
}

}  // namespace

bool ReadLevelIconSetting() {
  framework::TRegistry registry(KEY_READ | KEY_WOW64_32KEY);
  registry.RootKey = HKEY_LOCAL_MACHINE;
  if (!registry.OpenKey(contract::HotKeyRegistryKey))
    return false;
  DWORD type = REG_NONE;
  DWORD value = 0;
  DWORD size = sizeof value;
  return RegQueryValueExW(registry.CurrentKey(), contract::LevelIconValueName, nullptr, &type,
                          reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS &&
         type == REG_DWORD && size == sizeof value && value == 1;
}

LevelIconLink::LevelIconLink() = default;
LevelIconLink::~LevelIconLink() = default;

void LevelIconLink::Start(TMainForm& form) {
  Refresh(form);
}

void LevelIconLink::Refresh(TMainForm& form) {
  if (!form.LevelItem || framework::Application().Terminated())
    return;
  if (!ReadLevelIconSetting()) {
    icon_.reset();
    return;
  }
  if (!icon_) {
    // The icon is the user's extra: a system that cannot give it its window says so once, and the
    // program runs on without it.
    try {
      icon_ = std::make_unique<tray::LevelNotifyIcon>(HandlersFor(form));
    } catch (const framework::Exception& error) {
      if (!reported_)
        framework::Application().ShowException("The level's icon cannot be shown: " + error.Message());
      reported_ = true;
      return;
    }
    // Turned on since start-up: the level may not have been read yet.
    form.GetLevelText();
  }
  icon_->Show(form.LevelItem->IndexCount(), form.LevelIndex, framework::Widen(form.LevelText));
}

void LevelIconLink::CloseMenu() {
  if (icon_)
    icon_->CloseMenu();
}

void LevelIconLink::Remove() {
  icon_.reset();
}
