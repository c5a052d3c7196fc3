#pragma once

#include <cstdint>
#include <memory>

#include "BiosItem.h"
#include "GroupInfoTraverser.h"

namespace bios {

// Walks a BIOS group item by item: for the entry at hand it holds the item's own information block,
// exposes its id and can turn it into an item object.
class ItemInfoTraverser {
 public:
  ItemInfoTraverser();
  ItemInfoTraverser(const ItemInfoTraverser&) = delete;
  ItemInfoTraverser& operator=(const ItemInfoTraverser&) = delete;
  ~ItemInfoTraverser() { Close(); }

  bool Open(std::uint32_t group);
  // At the end of the list the last item is read once more.
  bool Next();
  bool IsEnd() const { return groups_->IsEnd(); }
  // 0 until an item has been read.
  std::uint32_t ItemId() const { return itemId_; }
  // Chooses the item class by the kind nibble of the id; the caller owns the result.
  std::unique_ptr<BiosItemA> CreateItem() const;
  // Frees both blocks; the traverser can be opened again.
  void Close();

 private:
  bool ReadCurrentItem();

  std::unique_ptr<GroupInfoTraverser> groups_;
  std::unique_ptr<unsigned char[]> itemBlock_;
  std::uint32_t itemBlockSize_ = 0;
  std::uint32_t itemId_ = 0;
};

}  // namespace bios
