#include <gtest/gtest.h>

#include <string>

#include "BiosDescription.h"

namespace {

using nkacpi::ParseBiosDescription;

std::string Refusal(const std::string& text) {
  auto result = ParseBiosDescription(text, "bios.txt");
  EXPECT_FALSE(result.description.has_value()) << text;
  return result.error;
}

TEST(BiosDescription, ReadsGroupsItemsAndEveryEntrySpelling) {
  auto result = ParseBiosDescription(
      "# a comment\r\n"
      "group 15\n"
      "  item 15 2 : 0x80001 -7 0 12 3 \"a \\\"quoted\\\" name\" \"back\\\\slash\" \"\"\n"
      "\n"
      "item 0x10 0 : 5\n",
      "bios.txt");
  ASSERT_TRUE(result.description) << result.error;
  const auto& description = *result.description;
  EXPECT_EQ(description.groups, (std::vector<std::uint32_t>{15, 16})) << "an item declares its group";
  ASSERT_EQ(description.items.size(), 2u);
  const auto& item = description.items[0];
  EXPECT_EQ(item.group, 15u);
  EXPECT_EQ(item.valueIndex, 2u);
  EXPECT_EQ(item.Id(), 0x80001u);
  ASSERT_EQ(item.entries.size(), 8u);
  EXPECT_EQ(item.entries[1].integer, 0xFFFFFFF9u);
  EXPECT_EQ(item.entries[5].text, "a \"quoted\" name");
  EXPECT_EQ(item.entries[6].text, "back\\slash");
  EXPECT_TRUE(item.entries[7].isString);
  EXPECT_EQ(item.entries[7].text, "");
}

TEST(BiosDescription, RefusesBadLinesNamingFileAndLine) {
  EXPECT_EQ(Refusal("group 15\nbogus 1\n"),
            "bios.txt:2: expected 'group', 'item' or a # comment, found 'bogus'");
  EXPECT_EQ(Refusal("item 15 0 0x80001\n"),
            "bios.txt:1: expected 'item <group> <value-index> : <entry> ...'");
  EXPECT_EQ(Refusal("item 15 0 : \"id\"\n"), "bios.txt:1: entry 0 is the item id and must be an integer");
  EXPECT_EQ(Refusal("item 15 0 : 1 0x100000000\n"), "bios.txt:1: '0x100000000' does not fit in 32 bits");
  EXPECT_EQ(Refusal("item 15 0 : 1 12ab\n"),
            "bios.txt:1: '12ab' is not an integer (decimal, 0x hex, or negative) for an entry");
  EXPECT_EQ(Refusal("item 15 0 : 1 \"open\n"), "bios.txt:1: string without its closing quote");
  EXPECT_EQ(Refusal("item 15 0 : 1 \"a\\n\"\n"),
            "bios.txt:1: unknown escape \\n in a string (only \\\" and \\\\ are allowed)");
  EXPECT_EQ(Refusal("group 15\ngroup 15\n"), "bios.txt:2: group 15 is declared twice");
  EXPECT_EQ(Refusal("item 15 0 : 7\nitem 16 0 : 7\n"), "bios.txt:2: item id 0x7 is already used on line 1");
}

TEST(BiosDescription, SkipsTheByteOrderMarkEditorsPutFirst) {
  auto result = ParseBiosDescription("\xEF\xBB\xBFgroup 15\nitem 15 0 : 1\n", "bios.txt");
  ASSERT_TRUE(result.description) << result.error;
  EXPECT_EQ(result.description->groups, (std::vector<std::uint32_t>{15}));
}

TEST(BiosDescription, AGroupMayBeDeclaredAfterItsItems) {
  auto result = ParseBiosDescription("item 15 0 : 1\ngroup 15\ngroup 16\n", "bios.txt");
  ASSERT_TRUE(result.description) << result.error;
  EXPECT_EQ(result.description->groups, (std::vector<std::uint32_t>{15, 16}));
  EXPECT_EQ(Refusal("item 15 0 : 1\ngroup 15\ngroup 15\n"), "bios.txt:3: group 15 is declared twice");
}

TEST(BiosDescription, RefusesANumberGluedToTheStringAfterIt) {
  EXPECT_EQ(Refusal("item 15 0 : 1 5\"x\"\n"),
            "bios.txt:1: '5' runs into a string; a string must be preceded by a space");
  auto comment = ParseBiosDescription("# 5\"x\" or an \"unclosed one\n", "bios.txt");
  EXPECT_TRUE(comment.description) << "a comment is free text: " << comment.error;
}

TEST(BiosDescription, RefusesItemsAndGroupsBeyondOneBlock) {
  std::string big = "item 15 0 : 1 \"" + std::string(5000, 'x') + "\"\n";
  EXPECT_EQ(Refusal(big).rfind("bios.txt:1: the item's information block would take ", 0), 0u);
  std::string many;
  for (int id = 1; id <= 400; ++id)
    many += "item 15 0 : " + std::to_string(id) + "\n";
  EXPECT_NE(Refusal(many).find("group 15 has more items than one information block holds"),
            std::string::npos);
}

TEST(BiosDescription, AWriteChangesOnlyTheValueIndex) {
  std::string text = "# keep me\ngroup 15\nitem 15   0x1 : 0x80001 0 0 0 1 \"x\"  \n";
  auto result = ParseBiosDescription(text, "bios.txt");
  ASSERT_TRUE(result.description);
  nkacpi::SetValueIndex(*result.description, result.description->items[0], 12);
  EXPECT_EQ(nkacpi::RenderBiosDescription(*result.description),
            "# keep me\ngroup 15\nitem 15   12 : 0x80001 0 0 0 1 \"x\"  \n");
}

}  // namespace
