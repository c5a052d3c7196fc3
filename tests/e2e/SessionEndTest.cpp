#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "AnnouncementFixture.h"

namespace e2e {
namespace {

// The session ends in the middle of a showing. Which message the program takes next depends on the
// moment, so each moment has a case of its own; whatever comes next, the program cleans up and ends.
class SessionEndTest : public AnnouncementFixture {
 protected:
  void EndTheSessionOnce(const std::function<bool()>& reached) {
    StartAll();
    HotKey(kCtrlAltB);
    ASSERT_TRUE(wintest::WaitUntil(reached)) << journal.Text();
    auto application = WindowsOf(program->Id(), L"TApplication");
    ASSERT_EQ(application.size(), 1u);
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(application[0], WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 5000, &answer);
    EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE)) << "the program must let the session end";
    SendMessageTimeoutW(application[0], WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, 5000, &answer);
    EXPECT_EQ(program->WaitForExit(std::chrono::seconds(5)), 0u)
        << "the program did not end at once, cleanly";
    EXPECT_EQ(journal.Find("svc", "unregister").size(), 1u) << journal.Text();
  }
};

TEST_F(SessionEndTest, InTheWaitAfterTheFirstCallOut) {
  EndTheSessionOnce([&] { return journal.Find("flash", "callout").size() >= 1; });
}

TEST_F(SessionEndTest, RightAfterEndIsRequested) {
  EndTheSessionOnce([&] { return Requests("externalCommand").size() >= 2; });
}

TEST_F(SessionEndTest, InTheFadeOut) {
  EndTheSessionOnce([&] { return journal.Find("flash", "callout").size() >= 2; });
}

}  // namespace
}  // namespace e2e
