#include <gtest/gtest.h>

#include "norvikservice/ServiceCommandLine.h"

namespace {

using norvikservice::ServiceCommand;

TEST(ServiceCommandLine, NoArgumentsRunsTheService) {
  auto parse = norvikservice::ParseServiceCommand({});
  ASSERT_TRUE(parse.ok) << parse.error;
  EXPECT_EQ(parse.command.kind, ServiceCommand::Kind::Run);
}

TEST(ServiceCommandLine, NotifyAndStop) {
  auto notify = norvikservice::ParseServiceCommand({"notify", "0xa0060000"});
  ASSERT_TRUE(notify.ok) << notify.error;
  EXPECT_EQ(notify.command.kind, ServiceCommand::Kind::Notify);
  EXPECT_EQ(notify.command.code, 0xa0060000u);
  EXPECT_EQ(norvikservice::ParseServiceCommand({"notify", "17"}).command.code, 17u);

  auto stop = norvikservice::ParseServiceCommand({"stop"});
  ASSERT_TRUE(stop.ok) << stop.error;
  EXPECT_EQ(stop.command.kind, ServiceCommand::Kind::Stop);
}

TEST(ServiceCommandLine, RefusesBadArgumentsWithAReason) {
  const std::vector<std::vector<std::string>> bad = {
      {"start"}, {"notify"}, {"notify", "0xa006000g"}, {"notify", "1", "2"}, {"stop", "now"}, {"Notify", "1"},
  };
  for (const auto& arguments : bad) {
    auto parse = norvikservice::ParseServiceCommand(arguments);
    EXPECT_FALSE(parse.ok) << arguments[0];
    EXPECT_FALSE(parse.error.empty()) << arguments[0];
  }
}

}  // namespace
