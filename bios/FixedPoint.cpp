#include "FixedPoint.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace bios {
namespace {

// An unsigned integer of any size in base 10^9, least significant limb first.
class BigDecimal {
 public:
  explicit BigDecimal(std::uint64_t value) {
    do {
      limbs_.push_back(static_cast<std::uint32_t>(value % kBase));
      value /= kBase;
    } while (value != 0);
  }

  void MultiplyBy(std::uint32_t factor) {
    std::uint64_t carry = 0;
    for (auto& limb : limbs_) {
      std::uint64_t product = static_cast<std::uint64_t>(limb) * factor + carry;
      limb = static_cast<std::uint32_t>(product % kBase);
      carry = product / kBase;
    }
    while (carry != 0) {
      limbs_.push_back(static_cast<std::uint32_t>(carry % kBase));
      carry /= kBase;
    }
  }

  void MultiplyByPower(std::uint32_t base, int exponent, std::uint32_t chunk, int chunkExponent) {
    for (; exponent >= chunkExponent; exponent -= chunkExponent)
      MultiplyBy(chunk);
    for (; exponent > 0; --exponent)
      MultiplyBy(base);
  }

  std::string Digits() const {
    std::string text = std::to_string(limbs_.back());
    for (auto limb = limbs_.rbegin() + 1; limb != limbs_.rend(); ++limb) {
      std::string part = std::to_string(*limb);
      text.append(9 - part.size(), '0').append(part);
    }
    return text;
  }

 private:
  static constexpr std::uint64_t kBase = 1000000000;
  std::vector<std::uint32_t> limbs_;
};

// The exact decimal expansion of a finite, non-negative double: all digits and how many of them
// stand after the point.
struct ExactDecimal {
  std::string digits;
  std::size_t fractionDigits = 0;
};

ExactDecimal Expand(double magnitude) {
  if (magnitude == 0.0)
    return {"0", 0};
  int exponent = 0;
  double fraction = std::frexp(magnitude, &exponent);
  auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
  exponent -= 53;
  while ((mantissa & 1) == 0) {
    mantissa >>= 1;
    ++exponent;
  }
  BigDecimal number(mantissa);
  if (exponent >= 0) {
    number.MultiplyByPower(2, exponent, 1u << 29, 29);
    return {number.Digits(), 0};
  }
  // m / 2^n is m * 5^n / 10^n: exact in decimal with n digits after the point.
  number.MultiplyByPower(5, -exponent, 1220703125u, 13);
  ExactDecimal exact{number.Digits(), static_cast<std::size_t>(-exponent)};
  if (exact.digits.size() <= exact.fractionDigits)
    exact.digits.insert(0, exact.fractionDigits + 1 - exact.digits.size(), '0');
  return exact;
}

// Keeps `places` digits after the point, rounding the dropped ones half to even; the result always
// has at least one digit before the point.
std::string RoundToPlaces(const ExactDecimal& exact, unsigned places, std::size_t& integerDigits) {
  integerDigits = exact.digits.size() - exact.fractionDigits;
  std::string kept = exact.digits;
  if (exact.fractionDigits <= places) {
    kept.append(places - exact.fractionDigits, '0');
    return kept;
  }
  std::size_t keep = integerDigits + places;
  char first = kept[keep];
  bool beyondHalf = kept.find_first_not_of('0', keep + 1) != std::string::npos;
  kept.resize(keep);
  bool roundUp = first > '5' || (first == '5' && (beyondHalf || (kept.back() - '0') % 2 == 1));
  if (roundUp) {
    std::size_t position = kept.size();
    while (position > 0 && kept[position - 1] == '9')
      kept[--position] = '0';
    if (position == 0) {
      kept.insert(0, 1, '1');
      ++integerDigits;
    } else {
      ++kept[position - 1];
    }
  }
  return kept;
}

}  // namespace

FcvtDigits Fcvt(double value, unsigned places) {
  FcvtDigits result;
  result.negative = std::signbit(value);
  double magnitude = std::isfinite(value) ? std::fabs(value) : 0.0;

  std::size_t integerDigits = 0;
  std::string digits = RoundToPlaces(Expand(magnitude), places, integerDigits);
  // The integer part of a value below 1 is a single 0, which fcvt drops along with the zeros after the
  // point, moving the point left instead. Zero itself, and a text without a point, keep their digits.
  std::size_t leadingZeros = 0;
  if (places > 0 && integerDigits == 1 && digits[0] == '0' && magnitude != 0.0) {
    leadingZeros = digits.find_first_not_of('0');
    if (leadingZeros == std::string::npos)
      leadingZeros = digits.size();
  }
  result.digits = digits.substr(leadingZeros);
  result.pointPosition = static_cast<int>(integerDigits) - static_cast<int>(leadingZeros);
  return result;
}

std::string FixedPointText(double value, unsigned places) {
  FcvtDigits converted = Fcvt(value, places);
  std::string text = converted.digits;
  int point = converted.pointPosition;
  if (point < 1) {
    text.insert(0, static_cast<std::size_t>(1 - point), '0');
    text.insert(1, 1, '.');
  } else if (static_cast<std::size_t>(point) < text.size()) {
    text.insert(static_cast<std::size_t>(point), 1, '.');
  }
  // fcvt flags -0.0 (a zero numerator over a denominator that wrapped negative) as negative, but zero
  // has no sign. A negative value that merely rounds to zero keeps its "-", which tells it from zero.
  if (converted.negative && value != 0.0)
    text.insert(0, 1, '-');
  return text;
}

}  // namespace bios
