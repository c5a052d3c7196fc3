#include <windows.h>

#include <gtest/gtest.h>

#include <iostream>
#include <string>

#include "AnnouncementFixture.h"

namespace e2e {
namespace {

using OsdHoldTest = AnnouncementFixture;

// The user's hold, from the movie's first call-out to the "end" request, read afresh for each showing:
// the shortest allowed, the longest (beyond what the showing's guard gave before it stretched with the
// hold), and one just out of range, which keeps the usual two seconds.
TEST_F(OsdHoldTest, TheMovieIsToldToEndAfterTheUsersHoldAndAnOutOfRangeOneKeepsTwoSeconds) {
  StartAll();
  struct Case {
    DWORD value;
    double expected;
  };
  const Case cases[] = {{500, 500.0}, {10000, 10000.0}, {10001, 2000.0}};
  size_t showing = 0;
  for (const Case& c : cases) {
    SetHotKeyCode(contract::OsdHoldMsValueName, c.value);
    HotKey(kCtrlAltA);
    ++showing;
    ASSERT_TRUE(WaitForShowingsToEnd(showing)) << "OsdHoldMs " << c.value;
    auto callouts = journal.Find("flash", "callout");
    auto commands = Requests("externalCommand");
    ASSERT_EQ(commands.size(), 2 * showing) << "OsdHoldMs " << c.value << "\n" << journal.Text();
    const wintest::JournalLine& end = commands[2 * showing - 1];
    ASSERT_NE(end.Text.find("<string>end</string>"), std::string::npos) << end.Text;
    // The player says when the movie is on the screen; the wait runs from its first call-out after that.
    wintest::JournalLine shown;
    for (const auto& line : journal.Find("flash", "visible")) {
      if (line.Ms > commands[2 * showing - 2].Ms && line.Args.size() >= 2 && line.Args[1] == "1") {
        shown = line;
        break;
      }
    }
    ASSERT_FALSE(shown.Text.empty()) << "the movie of showing " << showing << " was never visible\n"
                                     << journal.Text();
    const double toEnd = end.Ms - callouts[2 * showing - 2].Ms;
    std::cout << "OsdHoldMs " << c.value << ": visible to end " << end.Ms - shown.Ms
              << " ms, first call-out to end " << toEnd << " ms\n";
    EXPECT_GE(toEnd, c.expected - 5.0) << "OsdHoldMs " << c.value;
    EXPECT_LT(toEnd, c.expected + 1000.0) << "OsdHoldMs " << c.value;
    EXPECT_GE(end.Ms - shown.Ms, c.expected - 5.0) << "OsdHoldMs " << c.value;
  }
  EXPECT_EQ(Writes().size(), 3u) << journal.Text();
  CloseProgram(mainWindow);
}

}  // namespace
}  // namespace e2e
