#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "win32base/UniqueHandle.h"

namespace tray {

using UniqueMenu = win32base::UniqueHandle<win32base::NullHandleTraits<HMENU, DestroyMenu>>;

// What the menu offers, read when it opens: the texts of the levels the item can take (at most three,
// level 0 first) and the level in force, if it is one of them.
struct LevelMenuModel {
  std::vector<std::wstring> levels;
  std::optional<std::uint32_t> current;
};

// The model for an item of indexCount levels (only the first three are offered), the level in force
// checked when it is one of them; textOf gives a level's text.
LevelMenuModel LevelMenuModelFor(std::uint32_t indexCount, std::uint32_t current,
                                 const std::function<std::wstring(std::uint32_t)>& textOf);

// The commands of the menu. A level's command is FirstLevelCommand + its index.
inline constexpr UINT FirstLevelCommand = 1;
inline constexpr UINT ShowLevelCommand = 10;
inline constexpr UINT ExitCommand = 11;

// One item per level, the level in force checked; then "Show the level" and "Exit". Null when the
// system cannot make a menu.
UniqueMenu BuildLevelMenu(const LevelMenuModel& model);

}  // namespace tray
