#include <gtest/gtest.h>

#include "cmdline/NumberArgument.h"

namespace {

TEST(ParseNumber32, ReadsDecimalAndHexOverTheWhole32Bits) {
  EXPECT_EQ(cmdline::ParseNumber32("0"), 0u);
  EXPECT_EQ(cmdline::ParseNumber32("85"), 85u);
  EXPECT_EQ(cmdline::ParseNumber32("4294967295"), 0xffffffffu);
  EXPECT_EQ(cmdline::ParseNumber32("0x55"), 0x55u);
  EXPECT_EQ(cmdline::ParseNumber32("0XA0060000"), 0xa0060000u);
  EXPECT_EQ(cmdline::ParseNumber32("0xFFFFffff"), 0xffffffffu);
  EXPECT_EQ(cmdline::ParseNumber32("0x0000000000000408"), 0x408u) << "leading zeros are not overflow";
}

TEST(ParseNumber32, RefusesWhatIsNotExactlyANumber) {
  for (const char* text : {"", "0x", "x55", "-1", "+1", " 1", "1 ", "12a", "0x12g", "1e3", "0b101",
                           "4294967296", "0x100000000", "99999999999999999999999"})
    EXPECT_EQ(cmdline::ParseNumber32(text), std::nullopt) << "'" << text << "'";
}

}  // namespace
