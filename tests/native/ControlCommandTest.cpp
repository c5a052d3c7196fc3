#include <gtest/gtest.h>

#include "gsctl/ControlCommand.h"
#include "gsctl/StatusLine.h"

namespace {

using gsctl::ControlCommand;

void ExpectPost(const std::vector<std::string>& arguments, std::uint32_t message, std::uint32_t wParam,
                std::uint32_t lParam) {
  auto parse = gsctl::ParseControlCommand(arguments);
  ASSERT_TRUE(parse.ok) << arguments[0] << ": " << parse.error;
  EXPECT_EQ(parse.command.kind, ControlCommand::Kind::Post) << arguments[0];
  EXPECT_EQ(parse.command.post.message, message) << arguments[0];
  EXPECT_EQ(parse.command.post.wParam, wParam) << arguments[0];
  EXPECT_EQ(parse.command.post.lParam, lParam) << arguments[0];
}

TEST(ControlCommand, PostingCommandsCarryTheMainFormsMessagesAndTag) {
  ExpectPost({"hotkey", "0x5000041"}, 0x467, 0x55, 0x5000041);
  ExpectPost({"notify", "0xa0060000"}, 0x408, 0x55, 0xa0060000);
  ExpectPost({"close"}, 0x400, 0x55, 0);
  ExpectPost({"send", "1024", "0x155", "4294967295"}, 0x400, 0x155, 0xffffffff);
}

TEST(ControlCommand, StatusTakesNoArguments) {
  auto parse = gsctl::ParseControlCommand({"status"});
  ASSERT_TRUE(parse.ok) << parse.error;
  EXPECT_EQ(parse.command.kind, ControlCommand::Kind::Status);
  EXPECT_FALSE(gsctl::ParseControlCommand({"status", "x"}).ok);
}

TEST(ControlCommand, RefusesBadArgumentsWithAReason) {
  const std::vector<std::vector<std::string>> bad = {
      {},
      {"reboot"},
      {"hotkey"},
      {"hotkey", "1", "2"},
      {"notify", "zero"},
      {"close", "0x55"},
      {"send", "0x400", "0x55"},
      {"send", "0x400", "0x55", "-1"},
      {"send", "0x400", "0x1ffffffff", "0"},
  };
  for (const auto& arguments : bad) {
    auto parse = gsctl::ParseControlCommand(arguments);
    EXPECT_FALSE(parse.ok) << (arguments.empty() ? "(none)" : arguments[0]);
    EXPECT_FALSE(parse.error.empty());
  }
  EXPECT_NE(gsctl::ParseControlCommand({"notify", "zero"}).error.find("zero"), std::string::npos)
      << "the message names the argument it could not read";
}

TEST(StatusLine, ReportsEveryField) {
  gsctl::StatusReport report;
  report.mainWindow = "0x1a0042";
  report.osd = gsctl::OsdState::Visible;
  report.osdRect = {-8, 0, 1920, 1080};
  report.visiblePlayers = 1;
  report.totalPlayers = 2;
  report.last = gsctl::LastShowing::Shown;
  report.lastMonitor = {-1280, 0, 0, 1024};
  EXPECT_EQ(gsctl::FormatStatusLine(report),
            "main=0x1a0042 osd=visible osdrect=-8,0,1920,1080 players=1/2 "
            "last=shown monitor=-1280,0,0,1024");
  report.osd = gsctl::OsdState::Hidden;
  report.last = gsctl::LastShowing::NoPictureFullScreen;
  EXPECT_EQ(gsctl::FormatStatusLine(report),
            "main=0x1a0042 osd=hidden osdrect=-8,0,1920,1080 players=1/2 "
            "last=no-picture-fullscreen monitor=-1280,0,0,1024");
}

TEST(StatusLine, WithoutWindowsSaysNoneAndZeros) {
  gsctl::StatusReport report;
  report.osdRect = {1, 2, 3, 4};  // left over from nowhere: without an OSD there is no rectangle
  EXPECT_EQ(gsctl::FormatStatusLine(report),
            "main=none osd=none osdrect=0,0,0,0 players=0/0 last=none monitor=0,0,0,0");
}

}  // namespace
