#include "BiosNumberItem.h"

#include <algorithm>

#include "FixedPoint.h"
#include "InfoEntries.h"
#include "MessageBox.h"

namespace bios {
namespace {

std::int32_t Sign24(std::uint32_t value) {
  return static_cast<std::int32_t>((value & 0xFFFFFFu) ^ 0x800000u) - 0x800000;
}

std::int32_t Exponent(std::uint32_t minimumAndExponent) {
  return static_cast<std::int8_t>(static_cast<std::uint8_t>(minimumAndExponent >> 24));
}

// The decimal places the item's kind adds to the exponent.
std::int32_t KindPlaces(std::uint32_t itemId) {
  switch ((itemId >> 16) & 0xFu) {
    case 1:
      return 2;
    case 2:
    case 12:
      return 3;
    case 3:
      return 4;
    default:
      return 0;
  }
}

unsigned TrailingZeros(std::int32_t value) {
  std::uint32_t magnitude =
      value < 0 ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
  unsigned zeros = 0;
  for (; magnitude > 0 && magnitude % 10 == 0; magnitude /= 10)
    ++zeros;
  return zeros;
}

}  // namespace

template <typename Char>
bool BasicBiosNumberItem<Char>::ParseInfo(const void*& cursor, std::int64_t& remaining) {
  BasicBiosItem<Char>::ParseInfo(cursor, remaining);
  if (remaining < 4)
    return false;
  cursor = NextEntry(cursor);
  minimumAndExponent_ = EntryInteger(cursor);
  cursor = NextEntry(cursor);
  step_ = EntryInteger(cursor);
  cursor = NextEntry(cursor);
  indexCount_ = EntryInteger(cursor);
  cursor = NextEntry(cursor);
  remaining -= 4;
  if (remaining == 0)
    return true;

  if (remaining < 2)
    return false;
  std::uint32_t extraCount = EntryInteger(cursor);
  if (extraCount == 0 || extraCount > remaining - 1)
    return false;
  cursor = NextEntry(cursor);
  for (std::uint32_t i = 0; i < extraCount; ++i) {
    extraStrings_.push_back(EntryString<Char>(cursor));
    cursor = NextEntry(cursor);
  }
  remaining -= 1 + extraCount;
  indexCount_ += extraCount;
  return true;
}

// All of this is 32-bit arithmetic that wraps, as the BIOS tables were made for: done unsigned so that
// a wild minimum, step or exponent stays defined behaviour.
template <typename Char>
typename BasicBiosNumberItem<Char>::Rational BasicBiosNumberItem<Char>::RationalAt(
    std::uint32_t index) const {
  std::uint32_t position = index - ExtraCount();
  std::uint32_t numerator = static_cast<std::uint32_t>(Sign24(minimumAndExponent_)) +
                            position * static_cast<std::uint32_t>(Sign24(step_));
  std::uint32_t denominator = 1;
  std::int32_t exponent = Exponent(minimumAndExponent_) - KindPlaces(this->ItemId());
  for (std::int32_t i = 0; i < exponent; ++i)
    numerator *= 10u;
  for (std::int32_t i = exponent; i < 0; ++i)
    denominator *= 10u;
  return {static_cast<std::int32_t>(numerator), static_cast<std::int32_t>(denominator)};
}

template <typename Char>
double BasicBiosNumberItem<Char>::ValueAt(std::uint32_t index) const {
  Rational rational = RationalAt(index);
  // Powers of ten from 10^32 on wrap to a zero denominator; such an item has no meaningful value.
  if (rational.denominator == 0)
    return 0.0;
  return static_cast<double>(rational.numerator) / static_cast<double>(rational.denominator);
}

template <typename Char>
unsigned BasicBiosNumberItem<Char>::DecimalPlaces() const {
  std::int32_t exponent = Exponent(minimumAndExponent_);
  auto places = static_cast<std::uint8_t>((exponent < 0 ? -exponent : exponent) + KindPlaces(this->ItemId()));
  unsigned zeros = std::min(TrailingZeros(Sign24(minimumAndExponent_)), TrailingZeros(Sign24(step_)));
  return places > zeros ? places - zeros : 0;
}

template <typename Char>
void BasicBiosNumberItem<Char>::IndexToRational(std::uint32_t index, std::int32_t& numerator,
                                                std::int32_t& denominator) const {
  if (index < ExtraCount()) {
    ShowMessageBox("Can not convert extra string to value", "IndexToRational Fail");
    return;
  }
  Rational rational = RationalAt(index);
  numerator = rational.numerator;
  denominator = rational.denominator;
}

template <typename Char>
double BasicBiosNumberItem<Char>::IndexToValue(std::uint32_t index) const {
  if (index < ExtraCount()) {
    ShowMessageBox("Can not convert extra string to value", "IndexToValue Fail");
    return 0.0;
  }
  return ValueAt(index);
}

template <typename Char>
typename BasicBiosNumberItem<Char>::String BasicBiosNumberItem<Char>::IndexToString(
    std::uint32_t index) const {
  if (index < ExtraCount())
    return String(extraStrings_[index]);
  std::string text = FixedPointText(ValueAt(index), DecimalPlaces());
  return String(text.begin(), text.end());
}

template class BasicBiosNumberItem<char>;

}  // namespace bios
