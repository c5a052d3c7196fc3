#include <windows.h>

#include <gtest/gtest.h>

#include "CompanionAnswerFixture.h"

namespace e2e {
namespace {

// A configuration window that answers the program's message by sending the service's notification
// back, while the program still waits for the reply: each notification would tell the window again, and
// the two would call each other without end.
class CompanionAnswerTest : public CompanionAnswerFixture {};

TEST_F(CompanionAnswerTest, ANotificationSentBackInsideTheMessageStartsNoShowingOfItsOwn) {
  StartAllWithCompanionAnswering(L"notification");
  HotKey(kCtrlAltB);
  ASSERT_TRUE(WaitForShowingsToEnd(1));
  Notify(kLevelChange);
  ASSERT_TRUE(WaitForShowingsToEnd(2));
  EXPECT_EQ(Requests("changeLabel").size(), 2u) << "one showing per hot key and notification\n"
                                                << journal.Text();
  EXPECT_EQ(journal.Find("companion", "message").size(), 2u)
      << "one message to the configuration window per showing\n"
      << journal.Text();
  ASSERT_TRUE(program->Running()) << program->Errors() << journal.Text();
  CloseProgram(mainWindow);
}

}  // namespace
}  // namespace e2e
