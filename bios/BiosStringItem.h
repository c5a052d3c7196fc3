#pragma once

#include <cstdint>
#include <vector>

#include "BiosItem.h"

namespace bios {

// A setting chosen from a list of named values; the index is the position in the list.
template <typename Char>
class BasicBiosStringItem : public BasicBiosItem<Char> {
 public:
  using typename BasicBiosItem<Char>::String;

  std::uint32_t IndexCount() const override { return stringCount_; }
  std::int32_t InfoValue() const override { return this->ReadEntry3(); }
  // An index beyond the list, which a block that failed to parse can leave short, gives an empty text.
  String IndexToString(std::uint32_t index) const override {
    return index < strings_.size() ? String(strings_[index]) : String();
  }

 protected:
  bool ParseInfo(const void*& cursor, std::int64_t& remaining) override;

 private:
  std::uint32_t stringCount_ = 0;
  std::vector<const Char*> strings_;
};

using BiosStringItemA = BasicBiosStringItem<char>;

}  // namespace bios
