#include "app/Main.h"
#include "contract/AcpiLibrary.h"
#include "bios/ItemInfoTraverser.h"

bool TMainForm::FindLevelItem() {
  bios::Acpi().Initialize();
  bios::ItemInfoTraverser traverser;
  if (!traverser.Open(LevelGroup))
    return false;
  // Only the first match counts: the group's order is the BIOS's own.
  while (!traverser.IsEnd()) {
    if ((traverser.ItemId() & 0xFFFF) == LevelItemNumber) {
      LevelItem = traverser.CreateItem();
      return true;
    }
    traverser.Next();
  }
  return false;
}

void TMainForm::SetLevel(std::uint32_t index) {
  if (!LevelItem)
    return;
  // An item without selectable indices (a boolean one) takes no index at all: nothing is in range.
  if (index < LevelItem->IndexCount())
    bios::Acpi().SetItemValue(LevelItem->ItemId(), index, LevelWriteMode);
}

const char* TMainForm::GetLevelText() {
  if (!LevelItem) {
    LevelText.clear();
    return LevelText.c_str();
  }
  // A read that fails leaves the index at 0, so the first level's text is announced.
  std::uint32_t index = 0;
  bios::Acpi().GetItemValue(LevelItem->ItemId(), &index);
  LevelIndex = index;
  LevelText = LevelItem->IndexToString(index);
  return LevelText.c_str();
}
