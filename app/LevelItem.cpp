#include "app/Main.h"
#include "bios/AcpiLibrary.h"
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
