#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "BiosTestSupport.h"
#include "bios/BiosBooleanItem.h"
#include "bios/BiosNumberItem.h"
#include "bios/BiosStringItem.h"

namespace {

using biostest::Block;
using biostest::Entry;
using biostest::MessageRecorder;
using biostest::MinimumAndExponent;
using biostest::ShownMessage;

std::uint32_t IdOfKind(unsigned kind, unsigned number = 1) {
  return (kind << 16) | number;
}

template <typename Item>
bool Load(Item& item, const std::vector<unsigned char>& block) {
  return item.LoadInfo(block.data(), static_cast<std::uint32_t>(block.size()));
}

std::unique_ptr<bios::BiosNumberItemA> NumberItem(unsigned kind, int minimum, int exponent, int step,
                                                  int count, std::vector<std::string> extras = {}) {
  std::vector<Entry> entries{IdOfKind(kind), 0, 0, 42, MinimumAndExponent(minimum, exponent), step, count};
  if (!extras.empty()) {
    // Built in place: moving a temporary variant in makes GCC (x86_64) see the string alternative
    // as possibly read uninitialised.
    entries.emplace_back(std::in_place_type<std::int64_t>, static_cast<std::int64_t>(extras.size()));
    entries.insert(entries.end(), extras.begin(), extras.end());
  }
  auto item = std::make_unique<bios::BiosNumberItemA>();
  EXPECT_TRUE(Load(*item, Block(entries)));
  return item;
}

TEST(NumberItem, ValueAndTextFollowMinimumStepAndKindPlaces) {
  auto item = NumberItem(2, 800, 0, 25, 17);
  EXPECT_EQ(item->IndexCount(), 17u);
  std::int32_t numerator = 0, denominator = 0;
  item->IndexToRational(3, numerator, denominator);
  EXPECT_EQ(numerator, 875);
  EXPECT_EQ(denominator, 1000);
  EXPECT_DOUBLE_EQ(item->IndexToValue(3), 0.875);
  EXPECT_EQ(item->IndexToString(3), "0.875");
  EXPECT_EQ(item->IndexToString(0), "0.800");
  EXPECT_EQ(item->InfoValue(), 42);
}

TEST(NumberItem, PlacesComeFromKindAndTrailingZeros) {
  EXPECT_EQ(NumberItem(2, -50, 0, 25, 5)->IndexToString(0), "-0.050");
  EXPECT_EQ(NumberItem(2, 0, 0, 25, 5)->IndexToString(0), "0.000");
  EXPECT_EQ(NumberItem(1, 100, 0, 100, 5)->IndexToString(1), "2") << "trailing zeros drop places";
}

TEST(NumberItem, NegativeExponentDividesAndCountsItsMagnitudeAsPlaces) {
  auto item = NumberItem(0, 5, -1, 5, 5);
  std::int32_t numerator = 0, denominator = 0;
  item->IndexToRational(0, numerator, denominator);
  EXPECT_EQ(numerator, 5);
  EXPECT_EQ(denominator, 10);
  EXPECT_EQ(item->IndexToString(0), "0.5");
}

TEST(NumberItem, PositiveExponentAddsItsPlacesToTheKindsInsteadOfSubtracting) {
  // x = 1, k = 2: the value is scaled by 10^-1 but shown with 1 + 2 places.
  auto item = NumberItem(1, 15, 1, 5, 3);
  EXPECT_DOUBLE_EQ(item->IndexToValue(0), 1.5);
  EXPECT_EQ(item->IndexToString(0), "1.500");
}

TEST(NumberItem, ExtraStringsComeFirstAndHaveNoValue) {
  MessageRecorder messages;
  auto item = NumberItem(2, 800, 0, 25, 17, {"Auto", "Off"});
  EXPECT_EQ(item->IndexCount(), 19u);
  EXPECT_EQ(item->IndexToString(0), "Auto");
  EXPECT_EQ(item->IndexToString(1), "Off");
  EXPECT_EQ(item->IndexToString(2), "0.800");
  EXPECT_DOUBLE_EQ(item->IndexToValue(3), 0.825);
  EXPECT_TRUE(messages.shown.empty());

  EXPECT_EQ(item->IndexToValue(1), 0.0);
  std::int32_t numerator = 7, denominator = 9;
  item->IndexToRational(0, numerator, denominator);
  EXPECT_EQ(numerator, 7) << "the out values stay untouched";
  EXPECT_EQ(denominator, 9);
  EXPECT_EQ(messages.shown,
            (std::vector<ShownMessage>{{"Can not convert extra string to value", "IndexToValue Fail"},
                                       {"Can not convert extra string to value", "IndexToRational Fail"}}));
}

TEST(NumberItem, WildEntriesWrapInsteadOfMisbehaving) {
  // Exponent 127 multiplies by ten 127 times; -128 divides by a power of ten that wraps to zero.
  auto scaled = NumberItem(0, 0x7FFFFF, 127, 0x7FFFFF, 2);
  std::int32_t numerator = 0, denominator = 0;
  scaled->IndexToRational(1, numerator, denominator);
  EXPECT_EQ(denominator, 1);
  EXPECT_EQ(scaled->IndexToString(1).back(), '0');

  auto divided = NumberItem(3, -0x800000, -128, -0x800000, 2);
  divided->IndexToRational(0xFFFFFFFF, numerator, denominator);
  EXPECT_EQ(denominator, 0);
  EXPECT_EQ(divided->IndexToValue(0), 0.0) << "a zero denominator gives no value, not an infinity";
  std::string text = divided->IndexToString(0);
  EXPECT_EQ(text.size(), 2u + 132u) << text;  // 0. and 128 + 4 places
}

TEST(NumberItem, RefusesBlocksThatEndTooEarly) {
  bios::BiosNumberItemA sixEntries;
  EXPECT_FALSE(Load(sixEntries, Block({1, 0, 0, 0, 800, 25})));
  bios::BiosNumberItemA eightEntries;
  EXPECT_FALSE(Load(eightEntries, Block({1, 0, 0, 0, 800, 25, 17, 0})));
  EXPECT_EQ(eightEntries.IndexCount(), 17u) << "what was read before the failing check stays";
  bios::BiosNumberItemA tooManyExtras;
  EXPECT_FALSE(Load(tooManyExtras, Block({1, 0, 0, 0, 800, 25, 17, 3, "a", "b"})));
  bios::BiosNumberItemA zeroExtras;
  EXPECT_FALSE(Load(zeroExtras, Block({1, 0, 0, 0, 800, 25, 17, 0, "a"})));
}

TEST(BooleanItem, HasNoIndicesAndReportsEveryConversion) {
  MessageRecorder messages;
  bios::BiosBooleanItemA item;
  EXPECT_TRUE(Load(item, Block({0x00F7002A, 0, 0, 5})));
  EXPECT_EQ(item.IndexCount(), 0u);
  EXPECT_EQ(item.IndexToString(0), "");
  EXPECT_EQ(item.IndexToValue(0), 0.0);
  std::int32_t numerator = 3, denominator = 4;
  item.IndexToRational(0, numerator, denominator);
  EXPECT_EQ(numerator, 3);
  EXPECT_EQ(messages.shown,
            (std::vector<ShownMessage>{{"Item[f7002a] does not supports IndexToString", "BiosItem"},
                                       {"Item[f7002a] does not supports IndexToValue", "BiosItem"},
                                       {"Item[f7002a] does not supports IndexToRational", "BiosItem"}}));
  bios::BiosBooleanItemA threeEntries;
  EXPECT_FALSE(Load(threeEntries, Block({0x70001, 0, 0})));
}

TEST(StringItem, ListsItsNamedValues) {
  MessageRecorder messages;
  bios::BiosStringItemA item;
  EXPECT_TRUE(Load(item, Block({0x80001, 0, 0, 0, 3, "Quiet", "Balanced", "Turbo"})));
  EXPECT_EQ(item.IndexCount(), 3u);
  EXPECT_EQ(item.IndexToString(2), "Turbo");
  EXPECT_EQ(item.IndexToString(3), "") << "beyond the list";
  EXPECT_EQ(item.IndexToValue(0), 0.0);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text, "Item[80001] does not supports IndexToValue");

  bios::BiosStringItemA shortList;
  EXPECT_FALSE(Load(shortList, Block({0x80001, 0, 0, 0, 4, "Quiet", "Balanced", "Turbo"})));
  EXPECT_EQ(shortList.IndexCount(), 4u) << "a count beyond the block stays, without strings";
  EXPECT_EQ(shortList.IndexToString(0), "");
}

TEST(ItemHeader, TwoEntriesFailBeforeTheIdIsRead) {
  bios::BiosStringItemA item;
  EXPECT_FALSE(Load(item, Block({0x80001, 0})));
  EXPECT_EQ(item.ItemId(), 0u);
}

TEST(ItemHeader, TheItemKeepsItsOwnCopyOfTheBlock) {
  auto block = Block({0x80001, 0, 0, 0, 2, "Quiet", "Turbo"});
  bios::BiosStringItemA item;
  ASSERT_TRUE(Load(item, block));
  std::fill(block.begin(), block.end(), 0xCD);
  EXPECT_EQ(item.IndexToString(1), "Turbo");
}

}  // namespace
