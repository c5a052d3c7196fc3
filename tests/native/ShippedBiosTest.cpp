#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "BiosTestSupport.h"
#include "contract/AcpiLibrary.h"
#include "bios/ItemInfoTraverser.h"

namespace {

// The bios.txt that ships beside nkacpi.dll: the program must find its level item there the way it
// looks for it, and every item in it must convert without a complaint.
TEST(ShippedBios, Group15HoldsAThreeLevelStringItemAmongOtherKinds) {
  biostest::SetEnvironment("NKACPI_BIOS", GS_SHIPPED_BIOS);
  ASSERT_NE(bios::Acpi().Initialize(), 0);
  biostest::MessageRecorder messages;

  bios::ItemInfoTraverser walk;
  ASSERT_TRUE(walk.Open(15));
  std::vector<unsigned> kinds;
  std::unique_ptr<bios::BiosItemA> level;
  std::vector<std::string> firstTexts;
  for (; !walk.IsEnd(); walk.Next()) {
    kinds.push_back((walk.ItemId() >> 16) & 0xF);
    auto item = walk.CreateItem();
    if ((walk.ItemId() & 0xFFFF) == 1 && !level)
      level = std::move(item);
    else if (item->IndexCount() > 0)
      firstTexts.push_back(item->IndexToString(0));
  }
  ASSERT_TRUE(level) << "no item numbered 1 in group 15";
  EXPECT_EQ((level->ItemId() >> 16) & 0xF, 8u);
  ASSERT_EQ(level->IndexCount(), 3u);
  EXPECT_EQ(level->IndexToString(0), "Quiet");
  EXPECT_EQ(level->IndexToString(1), "Balanced");
  EXPECT_EQ(level->IndexToString(2), "Turbo");
  EXPECT_GE(kinds.size(), 4u);
  EXPECT_NE(kinds.front(), 8u) << "an item of another kind comes before the level";
  EXPECT_EQ(firstTexts, (std::vector<std::string>{"-5.0", "Auto"}));
  EXPECT_TRUE(messages.shown.empty());
}

}  // namespace
