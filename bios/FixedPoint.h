#pragma once

#include <string>

namespace bios {

// What the C library's fcvt gives for a value and a number of places after the point: the digits
// without point or sign (no leading zeros unless the value is zero), the position of the point
// counted from the first digit (zero or negative when the value is below 1), and the sign.
struct FcvtDigits {
  std::string digits;
  int pointPosition = 0;
  bool negative = false;
};

// Rounds the exact binary value, ties to even, so both builds give the same text whichever C library
// they run on. Infinities and NaN give the digits of zero.
FcvtDigits Fcvt(double value, unsigned places);

// The value in fixed-point notation with exactly `places` digits after the point (no point for 0),
// at least one digit before it, and "-" in front of any negative value, also one that rounds to zero;
// zero itself, -0.0 included, has no sign.
std::string FixedPointText(double value, unsigned places);

}  // namespace bios
