#pragma once

#include <cstdint>
#include <memory>

namespace bios {

// Walks the list of items that the library gives for one BIOS group.
class GroupInfoTraverser {
 public:
  bool Open(std::uint32_t group);
  // Never moves past the last entry: at the end it changes nothing.
  void Next();
  // The current entry's payload, which names the item to the library; null when nothing is open.
  const void* Current() const;
  bool IsEnd() const { return index_ >= count_; }
  void Release();

 private:
  std::unique_ptr<unsigned char[]> block_;
  const void* currentEntry_ = nullptr;
  std::int32_t index_ = 0;
  std::int32_t count_ = 0;
};

}  // namespace bios
