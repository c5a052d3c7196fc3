#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "FrameworkFixture.h"
#include "WinTestSupport.h"
#include "framework/Application.h"
#include "framework/Exception.h"
#include "framework/MainThreadChannel.h"
#include "framework/Timer.h"

namespace {

using FrameworkThreadingTest = FrameworkFixture;

TEST_F(FrameworkThreadingTest, EnabledTimerFiresRepeatedlyAndADisabledOneNever) {
  framework::TTimer running(30, true);
  framework::TTimer stopped(10, false);
  int runningTicks = 0, stoppedTicks = 0;
  running.OnTimer = [&](framework::TObject* sender) {
    EXPECT_EQ(sender, &running);
    ++runningTicks;
  };
  stopped.OnTimer = [&](framework::TObject*) { ++stoppedTicks; };
  ASSERT_TRUE(wintest::WaitUntil([&] { return runningTicks >= 3; }));
  EXPECT_EQ(stoppedTicks, 0);
}

TEST_F(FrameworkThreadingTest, TimerDisabledInItsOwnHandlerFiresOnce) {
  framework::TTimer once(20, true);
  framework::TTimer witness(20, true);
  int onceTicks = 0, witnessTicks = 0;
  once.OnTimer = [&](framework::TObject*) {
    ++onceTicks;
    once.SetEnabled(false);
  };
  witness.OnTimer = [&](framework::TObject*) { ++witnessTicks; };
  ASSERT_TRUE(wintest::WaitUntil([&] { return witnessTicks >= 5; }));
  EXPECT_EQ(onceTicks, 1);
  EXPECT_FALSE(once.Enabled());
}

TEST_F(FrameworkThreadingTest, RunAndWaitRunsOnTheMainThreadBeforeReturning) {
  auto& channel = framework::Application().MainThread();
  DWORD mainThread = GetCurrentThreadId();
  std::atomic<DWORD> ranOn{0};
  std::atomic<bool> returned{false}, ranBeforeReturn{false}, result{false};
  std::thread worker([&] {
    result = channel.RunAndWait([&] { ranOn = GetCurrentThreadId(); });
    ranBeforeReturn = ranOn.load() != 0;
    returned = true;
  });
  bool done = wintest::WaitUntil([&] { return returned.load(); });
  worker.join();
  ASSERT_TRUE(done);
  EXPECT_TRUE(result.load());
  EXPECT_EQ(ranOn.load(), mainThread);
  EXPECT_TRUE(ranBeforeReturn.load());
}

TEST_F(FrameworkThreadingTest, RunAndWaitOnTheMainThreadRunsInline) {
  bool ran = false;
  EXPECT_TRUE(framework::Application().MainThread().RunAndWait([&] { ran = true; }));
  EXPECT_TRUE(ran) << "must have run before returning, without a message loop";
}

TEST_F(FrameworkThreadingTest, FailingTaskIsReportedAndTheWaiterGoesOn) {
  auto& channel = framework::Application().MainThread();
  std::atomic<bool> returned{false};
  std::thread worker([&] {
    channel.RunAndWait([] { throw framework::Exception("task failed"); });
    returned = true;
  });
  bool done = wintest::WaitUntil([&] { return returned.load(); });
  worker.join();
  ASSERT_TRUE(done);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0], "task failed");
}

// Counts its live copies, so a test can see that a dropped task was freed.
struct Tracked {
  explicit Tracked(std::shared_ptr<int> live) : live(std::move(live)) { ++*this->live; }
  Tracked(const Tracked& other) : live(other.live) { ++*live; }
  ~Tracked() { --*live; }
  std::shared_ptr<int> live;
};

TEST_F(FrameworkThreadingTest, TasksLeftInAClosingChannelAreFreedUnrun) {
  auto live = std::make_shared<int>(0);
  bool ran = false;
  {
    framework::MainThreadChannel channel;
    ASSERT_TRUE(channel.Post([tracked = Tracked(live), &ran] { ran = true; }));
    EXPECT_EQ(*live, 1);
  }
  EXPECT_EQ(*live, 0) << "the queued task must be freed when its channel closes";
  EXPECT_FALSE(ran);
}

TEST_F(FrameworkThreadingTest, WaiterIsReleasedWhenTheChannelClosesUnderIt) {
  auto channel = std::make_unique<framework::MainThreadChannel>();
  std::atomic<bool> posted{false}, returned{false}, result{true};
  std::thread worker([&] {
    posted = true;
    result = channel->RunAndWait([] {});
    returned = true;
  });
  // Close the channel without ever pumping its messages: the waiter must not hang.
  while (!posted)
    Sleep(1);
  MSG msg;
  while (!PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE))
    Sleep(1);
  channel.reset();
  bool done = wintest::WaitUntil([&] { return returned.load(); });
  worker.join();
  ASSERT_TRUE(done);
  EXPECT_FALSE(result.load());
}

}  // namespace
