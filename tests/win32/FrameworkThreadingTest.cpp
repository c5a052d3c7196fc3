#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ChildProcess.h"
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
  // Close the channel once the task is queued, without ever pumping its messages: the waiter must not
  // hang.
  UINT wake = channel->WakeMessage();
  while (!posted)
    Sleep(1);
  MSG msg;
  while (!PeekMessageW(&msg, nullptr, wake, wake, PM_NOREMOVE))
    Sleep(1);
  channel.reset();
  bool done = wintest::WaitUntil([&] { return returned.load(); });
  worker.join();
  ASSERT_TRUE(done);
  EXPECT_FALSE(result.load());
}

TEST_F(FrameworkThreadingTest, ChannelMessagesPostedByAnotherProcessRunNothing) {
  auto& channel = framework::Application().MainThread();
  // A task as the channel's message once carried it: a process that learns its address must not be
  // able to have it run (or freed), and a wild value must not bring the program down.
  bool plantedRan = false;
  auto* planted = new std::function<void()>([&plantedRan] { plantedRan = true; });
  wchar_t arguments[128];
  swprintf(arguments, 128, L" %lu 0x%llx 0x12345678", GetCurrentProcessId(),
           static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(planted)));
  wintest::ChildProcess poster(L"\"" + framework::TApplication::ExeFolder() + L"channel_poster.exe\"" +
                               arguments);
  ASSERT_TRUE(poster.Started()) << "error " << poster.StartError();
  ASSERT_EQ(poster.WaitForExit(), 1u) << "the poster must find exactly one channel window of ours\n"
                                      << poster.Errors();

  // The foreign messages were queued before this task's wake-up, so they have been handled once it ran.
  bool ownRan = false;
  ASSERT_TRUE(channel.Post([&ownRan] { ownRan = true; }));
  ASSERT_TRUE(wintest::WaitUntil([&] { return ownRan; }));
  EXPECT_FALSE(plantedRan) << "a message from another process ran a task";
  if (!plantedRan)
    delete planted;
}

TEST_F(FrameworkThreadingTest, RunAndWaitAfterTheLoopHasEndedReturnsFalseUnrun) {
  auto& application = framework::Application();
  application.Terminate();
  application.Run();
  std::atomic<bool> ran{false}, returned{false}, result{true};
  std::thread worker([&] {
    result = application.MainThread().RunAndWait([&] { ran = true; });
    returned = true;
  });
  // Pumping here must not matter: the main thread takes no more work.
  bool done = wintest::WaitUntil([&] { return returned.load(); }, std::chrono::seconds(10));
  if (done)
    worker.join();
  else
    worker.detach();
  ASSERT_TRUE(done) << "RunAndWait waited for a main thread that no longer takes work";
  EXPECT_FALSE(result.load());
  EXPECT_FALSE(ran.load());
}

TEST_F(FrameworkThreadingTest, TerminateFromAWorkerThreadEndsTheLoopAndEveryThreadSeesIt) {
  auto& application = framework::Application();
  std::atomic<bool> readerSaw{false};
  // Spins on the flag alone: a request written as a plain bool need never become visible here.
  std::thread reader([&] {
    volatile unsigned spins = 0;
    while (!application.Terminated())
      spins = spins + 1;
    readerSaw = true;
  });
  std::thread requester([&] {
    // Once this has run, the main thread is inside the loop.
    application.MainThread().RunAndWait([] {});
    application.Terminate();
  });
  application.Run();
  requester.join();
  EXPECT_TRUE(application.Terminated());
  EXPECT_FALSE(application.Running());
  bool seen = wintest::WaitUntil([&] { return readerSaw.load(); }, std::chrono::seconds(10));
  if (seen)
    reader.join();
  else
    reader.detach();
  EXPECT_TRUE(seen) << "another thread never saw the terminate request";
}

}  // namespace
