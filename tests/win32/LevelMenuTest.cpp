#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tray/LevelMenu.h"
#include "tray/LevelNotifyIcon.h"

namespace {

struct Item {
  std::wstring text;  // "-" for a separator
  bool checked = false;
  UINT id = 0;
};

std::vector<Item> ItemsOf(HMENU menu) {
  std::vector<Item> items;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    wchar_t text[128] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING | MIIM_STATE | MIIM_FTYPE | MIIM_ID;
    info.dwTypeData = text;
    info.cch = 127;
    EXPECT_TRUE(GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info));
    items.push_back({(info.fType & MFT_SEPARATOR) ? L"-" : text, (info.fState & MFS_CHECKED) != 0, info.wID});
  }
  return items;
}

std::wstring Describe(const std::vector<Item>& items) {
  std::wstring text;
  for (const Item& item : items)
    text += L"[" + item.text + (item.checked ? L" *" : L"") + L"]";
  return text;
}

// The menu offers the levels the item can take, named by their texts, with the one in force checked; a
// level's "&" is shown, not taken for a mnemonic; an index the item does not offer checks nothing.
TEST(LevelMenuTest, OffersEachLevelTheItemHasWithTheOneInForceChecked) {
  const std::vector<std::wstring> texts{L"Quiet", L"Bal&anced", L"Turbo", L"Fourth"};
  auto textOf = [&](std::uint32_t index) { return texts.at(index); };
  struct Case {
    std::uint32_t count, current;
    std::wstring expected;
  };
  const Case cases[] = {
      {4, 1, L"[Quiet][Bal&&anced *][Turbo][-][Show the level][Exit]"},
      {3, 2, L"[Quiet][Bal&&anced][Turbo *][-][Show the level][Exit]"},
      {2, 2, L"[Quiet][Bal&&anced][-][Show the level][Exit]"},
      {0, 0, L"[Show the level][Exit]"},
  };
  for (const Case& c : cases) {
    tray::UniqueMenu menu = tray::BuildLevelMenu(tray::LevelMenuModelFor(c.count, c.current, textOf));
    ASSERT_TRUE(menu);
    std::vector<Item> items = ItemsOf(menu.Get());
    EXPECT_EQ(Describe(items), c.expected) << "an item of " << c.count << " levels at " << c.current;
    if (c.count >= 3) {
      EXPECT_EQ(items[0].id, tray::FirstLevelCommand);
      EXPECT_EQ(items[2].id, tray::FirstLevelCommand + 2);
      EXPECT_EQ(items.back().id, tray::ExitCommand);
    }
  }
}

// What the shell takes: 127 characters, and never half of a pair.
TEST(LevelMenuTest, TooltipNamesTheLevelAndIsCutWithoutSplittingACharacter) {
  EXPECT_EQ(tray::LevelIconTip(L"Turbo"), L"Gear Shift: Turbo");
  EXPECT_EQ(tray::LevelIconTip(L""), L"Gear Shift");
  const std::wstring prefix = L"Gear Shift: ";
  std::wstring text(126 - prefix.size(), L'x');
  text += L"\xD83D\xDE80";  // one character in two halves, from 127th place on
  EXPECT_EQ(tray::LevelIconTip(text), prefix + std::wstring(126 - prefix.size(), L'x'));
  EXPECT_EQ(tray::LevelIconTip(std::wstring(300, L'y')).size(), 127u);
}

}  // namespace
