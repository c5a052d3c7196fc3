#include <windows.h>

#include <gtest/gtest.h>

#include "ProgramFixture.h"

namespace e2e {
namespace {

constexpr char kClientId[] = "7416C3CD-C93B-4555-82FE-3A4C4ECE0084";
constexpr double kRetryMs = 2500;

using wintest::ChildProcess;
using wintest::DistCommand;
using wintest::JournalLine;
using wintest::WaitUntil;

using StartupTest = ProgramFixture;

TEST_F(StartupTest, SecondCopyExitsAtOnceWithZeroAndTheFirstKeepsRunning) {
  StartService();
  HWND window = StartProgram();
  ASSERT_NE(window, nullptr);

  // The first copy's traces must all be there before the second starts. Its form answering a message
  // proves nothing: the form answers sent messages while it registers, before it looks up the item.
  ASSERT_EQ(journal.WaitFor("svc", "register").size(), 1u) << journal.Text();
  ASSERT_EQ(journal.WaitFor("acpi", "init").size(), 1u) << journal.Text();

  ChildProcess second(DistCommand(L"GearShift.exe"));
  EXPECT_EQ(second.WaitForExit(), 0u) << "the second copy must end at once with code 0";
  // Whatever the second copy set up would have left its trace: a form registers and unregisters, and
  // the level item is looked up through the ACPI library.
  EXPECT_EQ(journal.Find("svc", "register").size(), 1u) << "only the first copy registers\n"
                                                        << journal.Text();
  EXPECT_TRUE(journal.Find("svc", "unregister").empty()) << "the second copy made a main form\n"
                                                         << journal.Text();
  EXPECT_EQ(journal.Find("acpi", "init").size(), 1u) << "the second copy used the ACPI library\n"
                                                     << journal.Text();

  EXPECT_TRUE(program->Running());
  EXPECT_TRUE(IsWindow(window));
  CloseProgram(window);
}

TEST_F(StartupTest, RunsWithoutAnyVisibleWindow) {
  StartService();
  HWND window = StartProgram();
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_TRUE(VisibleWindowsOf(program->Id()).empty()) << "the resident program shows a window";
  // The OSD window exists from start-up on, hidden, and has no movie yet.
  auto status = wintest::RunDistProgram(L"gsctl.exe", L"status");
  EXPECT_EQ(status.exitCode, 0u) << status.errors;
  EXPECT_NE(status.output.find(" osd=hidden "), std::string::npos) << status.output;
  EXPECT_NE(status.output.find(" players=0/0"), std::string::npos) << status.output;
  CloseProgram(window);
}

TEST_F(StartupTest, RegistersAtOnceWhileTheServiceRuns) {
  StartService();
  HWND window = StartProgram();
  ASSERT_NE(window, nullptr);
  auto registrations = journal.WaitFor("svc", "register");
  ASSERT_EQ(registrations.size(), 1u) << journal.Text();
  ASSERT_EQ(registrations[0].Args.size(), 3u) << registrations[0].Text;
  EXPECT_EQ(registrations[0].Args[0], HexOf(window));
  EXPECT_EQ(registrations[0].Args[1], kClientId);
  EXPECT_EQ(registrations[0].Args[2], "ok");
  CloseProgram(window);
}

TEST_F(StartupTest, RegistersOnTheFirstTickAfterTheServiceStartsAndThenStopsTrying) {
  HWND window = StartProgram();
  ASSERT_NE(window, nullptr);
  auto refused = journal.WaitFor("svc", "register", 2);
  ASSERT_GE(refused.size(), 2u) << "the program should retry while the service is absent\n" << journal.Text();
  EXPECT_EQ(refused[0].Args.back(), "refused");
  EXPECT_NEAR(refused[1].Ms - refused[0].Ms, kRetryMs, 400) << journal.Text();

  StartService();
  auto start = journal.Find("svc", "start");
  std::vector<JournalLine> accepted;
  ASSERT_TRUE(WaitUntil([&] {
    accepted.clear();
    for (auto& line : journal.Find("svc", "register")) {
      if (line.Args.size() == 3 && line.Args[2] == "ok")
        accepted.push_back(line);
    }
    return !accepted.empty();
  })) << journal.Text();
  EXPECT_EQ(accepted[0].Args[0], HexOf(window));
  EXPECT_LE(accepted[0].Ms - start[0].Ms, kRetryMs + 500) << "registration must come with the next tick\n"
                                                          << journal.Text();

  // Watch two more ticks: a registered program must not try again.
  size_t attempts = journal.Find("svc", "register").size();
  WaitUntil([&] { return journal.Find("svc", "register").size() > attempts; },
            std::chrono::milliseconds(6000));
  EXPECT_EQ(journal.Find("svc", "register").size(), attempts) << journal.Text();
  CloseProgram(window);
}

TEST_F(StartupTest, CloseRequestComparesOnlyTheLowByteOfItsTag) {
  StartService();
  HWND window = StartProgram();
  ASSERT_NE(window, nullptr);
  PostMessageW(window, kCloseRequest, 0x155, 0);
  EXPECT_EQ(program->WaitForExit(), 0u) << "0x400 with wParam 0x155 must end the program";
}

TEST_F(StartupTest, MessagesWithAnotherTagDoNothing) {
  StartService();
  HWND window = StartProgram();
  ASSERT_NE(window, nullptr);
  PostMessageW(window, kServiceNotify, 0x155, 0xa0060000);
  PostMessageW(window, kHotKey, 0x155, 0x5000041);
  PostMessageW(window, kCloseRequest, 0x56, 0);
  // A message sent after them returns only once they have all been dispatched.
  DWORD_PTR result = 0;
  ASSERT_TRUE(SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result));
  EXPECT_TRUE(program->Running());
  EXPECT_TRUE(VisibleWindowsOf(program->Id()).empty());
  EXPECT_TRUE(journal.Find("svc", "unregister").empty()) << journal.Text();
  CloseProgram(window);
}

TEST_F(StartupTest, UnregistersOnTheWayOutAlsoWhenNeverRegistered) {
  HWND window = StartProgram();
  ASSERT_NE(window, nullptr);
  ASSERT_FALSE(journal.WaitFor("svc", "register").empty()) << journal.Text();
  CloseProgram(window);
  auto unregistrations = journal.WaitFor("svc", "unregister");
  ASSERT_EQ(unregistrations.size(), 1u) << journal.Text();
  ASSERT_GE(unregistrations[0].Args.size(), 2u);
  EXPECT_EQ(unregistrations[0].Args[0], HexOf(window));
  EXPECT_EQ(unregistrations[0].Args[1], kClientId);
}

TEST_F(StartupTest, UnregistersTheSameWindowItRegistered) {
  StartService();
  HWND window = StartProgram();
  ASSERT_NE(window, nullptr);
  auto registrations = journal.WaitFor("svc", "register");
  ASSERT_FALSE(registrations.empty());
  CloseProgram(window);
  auto unregistrations = journal.WaitFor("svc", "unregister");
  ASSERT_EQ(unregistrations.size(), 1u) << journal.Text();
  EXPECT_EQ(unregistrations[0].Args[0], registrations[0].Args[0]);
}

}  // namespace
}  // namespace e2e
