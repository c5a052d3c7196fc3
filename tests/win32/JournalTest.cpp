#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "journal/Journal.h"

namespace {

class JournalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    path_ = std::string(dir) + "gs-journal-test-" + std::to_string(GetCurrentProcessId()) + ".log";
    DeleteFileA(path_.c_str());
    SetEnvironmentVariableA("GEARSHIFT_JOURNAL", path_.c_str());
  }
  void TearDown() override {
    SetEnvironmentVariableA("GEARSHIFT_JOURNAL", nullptr);
    DeleteFileA(path_.c_str());
  }
  std::vector<std::string> Lines() const {
    std::ifstream in(path_);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
      lines.push_back(line);
    return lines;
  }
  std::string path_;
};

TEST_F(JournalTest, LineCarriesMillisecondsComponentAndEvent) {
  journal::Write("svc", "notify 0x1a 0xa0060000");
  auto lines = Lines();
  ASSERT_EQ(lines.size(), 1u);
  std::istringstream fields(lines[0]);
  std::string stamp, component, event, hwnd, code;
  fields >> stamp >> component >> event >> hwnd >> code;
  auto point = stamp.find('.');
  ASSERT_NE(point, std::string::npos) << stamp;
  EXPECT_EQ(stamp.size() - point - 1, 3u) << "three decimals expected in " << stamp;
  EXPECT_EQ(component, "svc");
  EXPECT_EQ(event, "notify");
  EXPECT_EQ(hwnd, "0x1a");
  EXPECT_EQ(code, "0xa0060000");
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
  auto lines = Lines();
  ASSERT_EQ(lines.size(), static_cast<size_t>(kThreads * kLines));
  for (const auto& line : lines) {
    auto body = line.substr(line.find(' ') + 1);
    ASSERT_EQ(body.size(), std::string("test event ").size() + 100) << line;
    EXPECT_EQ(body.find_first_not_of(body.back(), std::string("test event ").size()), std::string::npos)
        << line;
  }
}

TEST_F(JournalTest, WithoutTheVariableNothingIsWritten) {
  SetEnvironmentVariableA("GEARSHIFT_JOURNAL", nullptr);
  journal::Write("svc", "start");
  EXPECT_EQ(GetFileAttributesA(path_.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(JournalHex, LowerCaseWithPrefix) {
  EXPECT_EQ(journal::Hex(0xA0060000u), "0xa0060000");
  EXPECT_EQ(journal::Hex(0), "0x0");
}

}  // namespace
