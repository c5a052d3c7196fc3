#include <gtest/gtest.h>

#include "bios/FixedPoint.h"

namespace {

using bios::Fcvt;
using bios::FixedPointText;

// These run in the native and the Windows build alike: the text must not depend on the C library.
TEST(Fcvt, ValuesBelowOneDropTheirLeadingZerosAndMoveThePoint) {
  auto digits = Fcvt(0.875, 3);
  EXPECT_EQ(digits.digits, "875");
  EXPECT_EQ(digits.pointPosition, 0);
  digits = Fcvt(0.05, 3);
  EXPECT_EQ(digits.digits, "50");
  EXPECT_EQ(digits.pointPosition, -1);
  EXPECT_FALSE(digits.negative);
}

TEST(Fcvt, RoundsTheExactBinaryValue) {
  EXPECT_EQ(Fcvt(1234.5678, 2).digits, "123457");
  EXPECT_EQ(Fcvt(1234.5678, 2).pointPosition, 4);
  EXPECT_EQ(Fcvt(9.999, 2).digits, "1000");  // the carry adds a digit before the point
  EXPECT_EQ(Fcvt(9.999, 2).pointPosition, 2);
  EXPECT_EQ(Fcvt(2.5, 0).digits, "2");  // exact ties go to even
  EXPECT_EQ(Fcvt(3.5, 0).digits, "4");
  EXPECT_EQ(Fcvt(0.1, 20).digits, "10000000000000000555");  // 0.1 is not exact in binary
  EXPECT_EQ(Fcvt(1e20, 0).digits, "100000000000000000000");
}

TEST(FixedPointText, ShowsExactlyThePlacesAskedFor) {
  EXPECT_EQ(FixedPointText(0.0, 3), "0.000");
  EXPECT_EQ(FixedPointText(0.0, 0), "0");
  EXPECT_EQ(FixedPointText(0.4, 0), "0");
  EXPECT_EQ(FixedPointText(0.0004, 3), "0.000");
  EXPECT_EQ(FixedPointText(123.456, 1), "123.5");
  EXPECT_EQ(FixedPointText(2147483647.0, 0), "2147483647");
}

TEST(FixedPointText, NegativeValuesKeepTheirSignEvenWhenTheyRoundToZero) {
  EXPECT_EQ(FixedPointText(-0.05, 3), "-0.050");
  EXPECT_EQ(FixedPointText(-0.0004, 3), "-0.000");
  EXPECT_EQ(FixedPointText(-12.5, 1), "-12.5");
}

TEST(FixedPointText, ZeroHasNoSign) {
  // A zero numerator over a denominator that wrapped negative divides to -0.0.
  EXPECT_EQ(FixedPointText(-0.0, 3), "0.000");
  EXPECT_EQ(FixedPointText(-0.0, 0), "0");
}

}  // namespace
