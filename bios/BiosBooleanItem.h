#pragma once

#include "BiosItem.h"

namespace bios {

// An on/off setting: it has no value list and no conversions.
template <typename Char>
class BasicBiosBooleanItem : public BasicBiosItem<Char> {
 public:
  std::int32_t InfoValue() const override { return this->ReadEntry3(); }

 protected:
  bool ParseInfo(const void*& cursor, std::int64_t& remaining) override {
    BasicBiosItem<Char>::ParseInfo(cursor, remaining);
    return remaining >= 1;
  }
};

using BiosBooleanItemA = BasicBiosBooleanItem<char>;

}  // namespace bios
