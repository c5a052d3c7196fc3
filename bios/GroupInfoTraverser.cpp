#include "GroupInfoTraverser.h"

#include <algorithm>
#include <limits>

#include "contract/AcpiLibrary.h"

namespace bios {

bool GroupInfoTraverser::Open(std::uint32_t group) {
  if (!block_)
    block_ = std::make_unique<unsigned char[]>(kInfoBlockSize);
  std::uint32_t size = kInfoBlockSize;
  index_ = 0;
  count_ = 0;
  currentEntry_ = nullptr;
  if (Acpi().GetGroupInfo(group, block_.get(), &size) == 0)
    return false;
  std::uint32_t count = Acpi().EntryCount(block_.get());
  count_ =
      static_cast<std::int32_t>(std::min<std::uint32_t>(count, std::numeric_limits<std::int32_t>::max()));
  currentEntry_ = Acpi().FirstEntry(block_.get());
  return true;
}

void GroupInfoTraverser::Next() {
  if (index_ < count_)
    ++index_;
  if (index_ < count_)
    currentEntry_ = Acpi().NextEntry(currentEntry_);
}

const void* GroupInfoTraverser::Current() const {
  return currentEntry_ ? Acpi().EntryPayload(currentEntry_) : nullptr;
}

void GroupInfoTraverser::Release() {
  // The current entry points into the block: it goes with it, and the walk is then at its end.
  block_.reset();
  currentEntry_ = nullptr;
  index_ = 0;
  count_ = 0;
}

}  // namespace bios
