#include "ItemInfoTraverser.h"

#include <algorithm>

#include "contract/AcpiLibrary.h"
#include "BiosBooleanItem.h"
#include "BiosNumberItem.h"
#include "BiosStringItem.h"
#include "InfoEntries.h"

namespace bios {

ItemInfoTraverser::ItemInfoTraverser() : groups_(std::make_unique<GroupInfoTraverser>()) {}

bool ItemInfoTraverser::Open(std::uint32_t group) {
  if (!groups_->Open(group)) {
    Close();
    return false;
  }
  if (!itemBlock_)
    itemBlock_ = std::make_unique<unsigned char[]>(kInfoBlockSize);
  ReadCurrentItem();
  return true;
}

bool ItemInfoTraverser::Next() {
  groups_->Next();
  return ReadCurrentItem();
}

bool ItemInfoTraverser::ReadCurrentItem() {
  if (!itemBlock_)
    return false;
  std::uint32_t size = kInfoBlockSize;
  std::int32_t filled = Acpi().GetItemInfo(groups_->Current(), itemBlock_.get(), &size);
  // A size beyond the buffer would have the item copy bytes that are not ours.
  itemBlockSize_ = std::min(size, kInfoBlockSize);
  if (filled == 0)
    return false;
  itemId_ = EntryInteger(FirstEntry(itemBlock_.get()));
  return true;
}

std::unique_ptr<BiosItemA> ItemInfoTraverser::CreateItem() const {
  std::unique_ptr<BiosItemA> item;
  switch ((itemId_ >> 16) & 0xFu) {
    case 8:
      item = std::make_unique<BiosStringItemA>();
      break;
    case 7:
      item = std::make_unique<BiosBooleanItemA>();
      break;
    default:
      item = std::make_unique<BiosNumberItemA>();
      break;
  }
  // A block that does not parse still gives an item, holding what could be read.
  if (itemBlock_)
    item->LoadInfo(itemBlock_.get(), itemBlockSize_);
  else
    item->LoadInfo(nullptr, 0);
  return item;
}

void ItemInfoTraverser::Close() {
  groups_->Release();
  itemBlock_.reset();
  itemBlockSize_ = 0;
}

}  // namespace bios
