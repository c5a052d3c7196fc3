#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "BiosTestSupport.h"
#include "InfoBlock.h"

namespace {

std::uint32_t Integer(const void* entry) {
  std::uint32_t value = 0;
  std::memcpy(&value, nkacpi::EntryPayload(entry), sizeof value);
  return value;
}

const char* Text(const void* entry) {
  return static_cast<const char*>(nkacpi::EntryPayload(entry));
}

TEST(InfoBlock, AByteCopyAtAnOddAddressWalksLikeTheOriginal) {
  auto block = biostest::Block({0x80001, "Quiet", 3});
  std::vector<unsigned char> copy(block.size() + 1);
  std::memcpy(copy.data() + 1, block.data(), block.size());
  const void* entry = nkacpi::FirstEntry(copy.data() + 1);
  ASSERT_EQ(nkacpi::EntryCount(copy.data() + 1), 3u);
  EXPECT_EQ(Integer(entry), 0x80001u);
  entry = nkacpi::NextEntry(entry);
  EXPECT_STREQ(Text(entry), "Quiet");
  entry = nkacpi::NextEntry(entry);
  EXPECT_EQ(Integer(entry), 3u);
  EXPECT_GT(entry, static_cast<const void*>(copy.data()));
  EXPECT_LT(entry, static_cast<const void*>(copy.data() + copy.size()));
}

TEST(InfoBlock, WalkingOnFromTheLastEntryStaysOnTheEnd) {
  auto block = biostest::Block({7});
  const void* last = nkacpi::FirstEntry(block.data());
  const void* end = nkacpi::NextEntry(last);
  EXPECT_EQ(nkacpi::NextEntry(end), end);
  EXPECT_EQ(Integer(end), 0u);
  EXPECT_STREQ(Text(end), "");
}

TEST(InfoBlock, DamagedBlocksHaveNoEntries) {
  auto good = biostest::Block({1, "two", 3});
  std::vector<unsigned char> block(4096);
  auto damaged = [&](std::size_t offset, unsigned char value) {
    std::fill(block.begin(), block.end(), 0);
    std::copy(good.begin(), good.end(), block.begin());
    block[offset] = value;
    return nkacpi::EntryCount(block.data()) == 0 &&
           nkacpi::NextEntry(nkacpi::FirstEntry(block.data())) == nkacpi::FirstEntry(block.data());
  };
  EXPECT_TRUE(damaged(0, 'X')) << "magic";
  EXPECT_TRUE(damaged(4, 4)) << "count beyond the entries";
  EXPECT_TRUE(damaged(9, 0x20)) << "size beyond 4096";
  EXPECT_TRUE(damaged(16, 0xF0)) << "entry area beyond the block";
  EXPECT_TRUE(damaged(12 + 8 + 7, 'z')) << "area without its closing NUL";
  EXPECT_FALSE(damaged(12 + 8, 9)) << "the payload itself may hold anything";
  EXPECT_EQ(nkacpi::EntryCount(nullptr), 0u);
}

}  // namespace
