#include "tray/LevelMenu.h"

namespace tray {
namespace {

// A menu takes "&" for the mnemonic's mark; a level's own "&" is shown as it stands.
std::wstring AsMenuText(const std::wstring& text) {
  std::wstring escaped;
  for (wchar_t c : text) {
    escaped += c;
    if (c == L'&')
      escaped += L'&';
  }
  return escaped;
}

}  // namespace

LevelMenuModel LevelMenuModelFor(std::uint32_t indexCount, std::uint32_t current,
                                 const std::function<std::wstring(std::uint32_t)>& textOf) {
  LevelMenuModel model;
  const std::uint32_t offered = indexCount < 3 ? indexCount : 3;
  for (std::uint32_t index = 0; index < offered; ++index)
    model.levels.push_back(textOf(index));
  if (current < offered)
    model.current = current;
  return model;
}

UniqueMenu BuildLevelMenu(const LevelMenuModel& model) {
  UniqueMenu menu(CreatePopupMenu());
  if (!menu)
    return menu;
  for (std::size_t i = 0; i < model.levels.size() && i < 3; ++i) {
    const UINT level = static_cast<UINT>(i);
    // Checked as a choice among the levels, as the system draws a radio item.
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_ID | MIIM_STRING | MIIM_FTYPE | MIIM_STATE;
    item.fType = MFT_STRING | MFT_RADIOCHECK;
    item.fState = model.current && *model.current == level ? MFS_CHECKED : MFS_UNCHECKED;
    item.wID = FirstLevelCommand + level;
    std::wstring text = AsMenuText(model.levels[i]);
    item.dwTypeData = text.data();
    InsertMenuItemW(menu.Get(), GetMenuItemCount(menu.Get()), TRUE, &item);
  }
  if (!model.levels.empty())
    AppendMenuW(menu.Get(), MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu.Get(), MF_STRING, ShowLevelCommand, L"Show the level");
  AppendMenuW(menu.Get(), MF_STRING, ExitCommand, L"Exit");
  return menu;
}

}  // namespace tray
