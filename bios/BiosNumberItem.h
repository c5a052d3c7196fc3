#pragma once

#include <cstdint>
#include <vector>

#include "BiosItem.h"

namespace bios {

// Numeric values m, m + s, m + 2s, ... scaled by a power of ten, optionally preceded by named extra
// strings that take the first indices.
template <typename Char>
class BasicBiosNumberItem : public BasicBiosItem<Char> {
 public:
  using typename BasicBiosItem<Char>::String;

  std::uint32_t IndexCount() const override { return indexCount_; }
  std::int32_t InfoValue() const override { return this->ReadEntry3(); }
  void IndexToRational(std::uint32_t index, std::int32_t& numerator,
                       std::int32_t& denominator) const override;
  double IndexToValue(std::uint32_t index) const override;
  String IndexToString(std::uint32_t index) const override;

 protected:
  bool ParseInfo(const void*& cursor, std::int64_t& remaining) override;

 private:
  struct Rational {
    std::int32_t numerator;
    std::int32_t denominator;
  };

  std::uint32_t ExtraCount() const { return static_cast<std::uint32_t>(extraStrings_.size()); }
  Rational RationalAt(std::uint32_t index) const;
  double ValueAt(std::uint32_t index) const;
  unsigned DecimalPlaces() const;

  std::vector<const Char*> extraStrings_;
  std::uint32_t indexCount_ = 0;
  std::uint32_t step_ = 0;
  std::uint32_t minimumAndExponent_ = 0;
};

using BiosNumberItemA = BasicBiosNumberItem<char>;

}  // namespace bios
