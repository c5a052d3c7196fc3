#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "TestJournal.h"
#include "journal/Journal.h"

namespace {

class JournalTest : public ::testing::Test {
 protected:
  wintest::TestJournal journal_;
};

TEST_F(JournalTest, LineCarriesMillisecondsComponentAndEvent) {
  journal::Write("svc", "notify 0x1a 0xa0060000");
  auto lines = journal_.Lines();
  ASSERT_EQ(lines.size(), 1u);
  auto point = lines[0].Stamp.find('.');
  ASSERT_NE(point, std::string::npos) << lines[0].Stamp;
  EXPECT_EQ(lines[0].Stamp.size() - point - 1, 3u) << "three decimals expected in " << lines[0].Stamp;
  EXPECT_GT(lines[0].Ms, 0);
  EXPECT_EQ(lines[0].Text, "svc notify 0x1a 0xa0060000");
}

TEST_F(JournalTest, ConcurrentWritersNeverInterleave) {
  constexpr int kThreads = 4, kLines = 200;
  std::vector<std::thread> writers;
  for (int t = 0; t < kThreads; ++t) {
    writers.emplace_back([t] {
      std::string event = "event " + std::string(100, static_cast<char>('a' + t));
      for (int i = 0; i < kLines; ++i)
        journal::Write("test", event);
    });
  }
  for (auto& writer : writers)
    writer.join();
  auto lines = journal_.Events();
  ASSERT_EQ(lines.size(), static_cast<size_t>(kThreads * kLines));
  for (const auto& body : lines) {
    ASSERT_EQ(body.size(), std::string("test event ").size() + 100) << body;
    EXPECT_EQ(body.find_first_not_of(body.back(), std::string("test event ").size()), std::string::npos)
        << body;
  }
}

TEST_F(JournalTest, WithoutTheVariableNothingIsWritten) {
  SetEnvironmentVariableA("GEARSHIFT_JOURNAL", nullptr);
  journal::Write("svc", "start");
  EXPECT_EQ(GetFileAttributesA(journal_.Path().c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(JournalHex, LowerCaseWithPrefix) {
  EXPECT_EQ(journal::Hex(0xA0060000u), "0xa0060000");
  EXPECT_EQ(journal::Hex(0), "0x0");
}

}  // namespace
