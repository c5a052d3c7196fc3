#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "AnnouncementFixture.h"
#include "CompanionAnswerFixture.h"

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

// The session ends while the program waits for the configuration window's reply, in the middle of a
// hot key's or a notification's handling: the handling that is under way must not run on into forms
// that the end has taken away.
class SessionEndInsideTheCompanionSendTest : public CompanionAnswerFixture {
 protected:
  void ExpectCleanEnd() {
    std::optional<DWORD> code = program->WaitForExit(std::chrono::seconds(10));
    ASSERT_TRUE(code.has_value()) << "the program did not end\n" << journal.Text();
    EXPECT_EQ(*code, 0u) << "the program did not end cleanly\n" << program->Errors() << journal.Text();
    EXPECT_EQ(journal.Find("svc", "unregister").size(), 1u) << journal.Text();
    EXPECT_EQ(journal.Find("companion", "message").size(), 1u) << journal.Text();
  }
};

TEST_F(SessionEndInsideTheCompanionSendTest, AfterAHotKeysShowing) {
  StartAllWithCompanionAnswering(L"end-session");
  HotKey(kCtrlAltB);
  ExpectCleanEnd();
}

TEST_F(SessionEndInsideTheCompanionSendTest, BeforeANotificationsShowing) {
  StartAllWithCompanionAnswering(L"end-session");
  Notify(kLevelChange);
  ExpectCleanEnd();
}

}  // namespace
}  // namespace e2e
