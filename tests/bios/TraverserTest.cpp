#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "BiosTestSupport.h"
#include "contract/AcpiLibrary.h"
#include "bios/BiosBooleanItem.h"
#include "bios/BiosNumberItem.h"
#include "bios/BiosStringItem.h"
#include "bios/ItemInfoTraverser.h"

namespace {

// Walks groups through the library's entry points: the stand-in's core natively, nkacpi.dll itself in
// the Windows build.
class TraverserTest : public ::testing::Test {
 protected:
  void Machine(const std::string& text) {
    file_ = std::make_unique<biostest::BiosFile>("gs-traverser", text);
    bios::Acpi().Initialize();
  }

  std::unique_ptr<biostest::BiosFile> file_;
};

constexpr const char* kThreeItems =
    "group 15\n"
    "item 15 0 : 0x000c0002 0 0 0 800 25 17\n"
    "item 15 1 : 0x00080001 0 0 0 3 \"Quiet\" \"Balanced\" \"Turbo\"\n"
    "item 15 0 : 0x00070003 0 0 0\n"
    "group 16\n";

TEST_F(TraverserTest, WalksAThreeItemGroupAndReadsTheLastItemAgainAtTheEnd) {
  Machine(kThreeItems);
  bios::ItemInfoTraverser walk;
  ASSERT_TRUE(walk.Open(15));
  EXPECT_FALSE(walk.IsEnd());
  EXPECT_EQ(walk.ItemId(), 0x000c0002u);
  EXPECT_TRUE(walk.Next());
  EXPECT_EQ(walk.ItemId(), 0x00080001u);
  EXPECT_TRUE(walk.Next());
  EXPECT_EQ(walk.ItemId(), 0x00070003u);
  EXPECT_FALSE(walk.IsEnd());
  EXPECT_TRUE(walk.Next());
  EXPECT_EQ(walk.ItemId(), 0x00070003u);
  EXPECT_TRUE(walk.IsEnd());
  EXPECT_TRUE(walk.Next()) << "more Next calls stay on the last entry";
  EXPECT_EQ(walk.ItemId(), 0x00070003u);
}

TEST_F(TraverserTest, TheKindNibbleChoosesTheItemClass) {
  Machine(kThreeItems);
  bios::ItemInfoTraverser walk;
  ASSERT_TRUE(walk.Open(15));
  auto number = walk.CreateItem();
  walk.Next();
  auto text = walk.CreateItem();
  walk.Next();
  auto flag = walk.CreateItem();
  walk.Close();

  ASSERT_NE(dynamic_cast<bios::BiosNumberItemA*>(number.get()), nullptr);
  EXPECT_EQ(number->IndexToString(3), "0.875") << "kind 12 has three places";
  ASSERT_NE(dynamic_cast<bios::BiosStringItemA*>(text.get()), nullptr);
  EXPECT_EQ(text->IndexToString(1), "Balanced") << "items outlive the traverser's blocks";
  EXPECT_NE(dynamic_cast<bios::BiosBooleanItemA*>(flag.get()), nullptr);
}

TEST_F(TraverserTest, ARefusedGroupLeavesTheTraverserAtItsEnd) {
  Machine(kThreeItems);
  bios::ItemInfoTraverser walk;
  EXPECT_FALSE(walk.Open(14));
  EXPECT_TRUE(walk.IsEnd());
  EXPECT_EQ(walk.ItemId(), 0u);
  EXPECT_TRUE(walk.Open(15)) << "a closed traverser opens again";
}

TEST_F(TraverserTest, AnEmptyGroupOpensAtItsEnd) {
  Machine(kThreeItems);
  bios::ItemInfoTraverser walk;
  EXPECT_TRUE(walk.Open(16));
  EXPECT_TRUE(walk.IsEnd());
}

TEST_F(TraverserTest, GroupTraverserNeverMovesPastItsLastEntry) {
  Machine(kThreeItems);
  bios::GroupInfoTraverser groups;
  ASSERT_TRUE(groups.Open(15));
  std::vector<std::uint32_t> ids;
  const void* last = nullptr;
  for (; !groups.IsEnd(); groups.Next()) {
    last = groups.Current();
    std::uint32_t id = 0;
    std::memcpy(&id, last, sizeof id);
    ids.push_back(id);
  }
  EXPECT_EQ(groups.Current(), last) << "the step onto the end keeps the last entry";
  groups.Next();
  EXPECT_TRUE(groups.IsEnd());
  EXPECT_EQ(groups.Current(), last);
  EXPECT_EQ(ids, (std::vector<std::uint32_t>{0x000c0002, 0x00080001, 0x00070003}));
}

TEST_F(TraverserTest, AWrittenLevelIsReadBackAndSurvivesARestart) {
  Machine(kThreeItems);
  EXPECT_NE(bios::Acpi().SetItemValue(0x00080001, 2, 3), 0);
  bios::Acpi().Initialize();
  std::uint32_t index = 99;
  bios::Acpi().GetItemValue(0x00080001, &index);
  EXPECT_EQ(index, 2u);
  EXPECT_NE(biostest::ReadText(file_->Path()).find("item 15 2 : 0x00080001"), std::string::npos);
}

}  // namespace
