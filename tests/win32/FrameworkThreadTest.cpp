#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "FrameworkFixture.h"
#include "WinTestSupport.h"
#include "framework/Application.h"
#include "framework/Exception.h"
#include "framework/Thread.h"
#include "framework/UniqueHandle.h"

namespace {

using FrameworkThreadTest = FrameworkFixture;

// Runs the body it is given and says when it is destroyed.
class TTestThread : public framework::TThread {
 public:
  explicit TTestThread(std::function<void(TTestThread&)> body, std::atomic<bool>* destroyed = nullptr)
      : body_(std::move(body)), destroyed_(destroyed) {}
  ~TTestThread() override {
    WaitFor();
    if (destroyed_)
      *destroyed_ = true;
  }
  using framework::TThread::Synchronize;

 protected:
  void Execute() override { body_(*this); }

 private:
  std::function<void(TTestThread&)> body_;
  std::atomic<bool>* destroyed_;
};

struct Recorder {
  void Record() { ranOn = GetCurrentThreadId(); }
  std::atomic<DWORD> ranOn{0};
};

TEST_F(FrameworkThreadTest, ThreadRunsOnlyOnceStarted) {
  std::atomic<bool> ran{false};
  TTestThread thread([&](TTestThread&) { ran = true; });
  wintest::WaitUntil([] { return false; }, std::chrono::milliseconds(200));
  EXPECT_FALSE(ran.load()) << "Execute ran before Start";
  thread.Start();
  EXPECT_TRUE(wintest::WaitUntil([&] { return ran.load(); }));
}

TEST_F(FrameworkThreadTest, SynchronizeRunsTheHandlerOnTheMainThreadBeforeReturning) {
  Recorder recorder;
  std::atomic<bool> returned{false}, result{false}, ranBeforeReturn{false}, emptyResult{false};
  TTestThread thread([&](TTestThread& self) {
    emptyResult = self.Synchronize(framework::THandler{});
    result = self.Synchronize(framework::MakeHandler<Recorder, &Recorder::Record>(recorder));
    ranBeforeReturn = recorder.ranOn != 0;
    returned = true;
  });
  thread.Start();
  ASSERT_TRUE(wintest::WaitUntil([&] { return returned.load(); }));
  EXPECT_TRUE(emptyResult.load()) << "an empty handler has nothing to wait for";
  EXPECT_TRUE(result.load());
  EXPECT_TRUE(ranBeforeReturn.load());
  EXPECT_EQ(recorder.ranOn.load(), GetCurrentThreadId());
}

TEST_F(FrameworkThreadTest, FreeOnTerminateThreadDeletesItselfAlsoWhenExecuteThrows) {
  std::atomic<bool> quietDestroyed{false}, failingDestroyed{false};
  auto* quiet = new TTestThread([](TTestThread&) {}, &quietDestroyed);
  auto* failing =
      new TTestThread([](TTestThread&) { throw framework::Exception("worker failed"); }, &failingDestroyed);
  for (TTestThread* thread : {quiet, failing}) {
    thread->FreeOnTerminate = true;
    thread->Start();
  }
  ASSERT_TRUE(wintest::WaitUntil([&] { return quietDestroyed && failingDestroyed && !reports.empty(); }));
  ASSERT_EQ(reports.size(), 1u) << "the exception must reach the report, on the main thread";
  EXPECT_EQ(reports[0], "worker failed");
}

TEST_F(FrameworkThreadTest, DeletingANeverStartedThreadEndsItWithoutRunningExecute) {
  std::atomic<bool> ran{false}, deleted{false};
  auto thread = std::make_unique<TTestThread>([&](TTestThread&) { ran = true; });
  HANDLE handle = nullptr;
  ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), thread->Handle(), GetCurrentProcess(), &handle,
                              SYNCHRONIZE, FALSE, 0));
  std::thread deleter([&] {
    thread.reset();
    deleted = true;
  });
  bool done = wintest::WaitUntil([&] { return deleted.load(); }, std::chrono::seconds(10));
  done ? deleter.join() : deleter.detach();
  ASSERT_TRUE(done) << "deleting a thread that was never started hung";
  EXPECT_FALSE(ran.load());
  EXPECT_EQ(WaitForSingleObject(handle, 5000), WAIT_OBJECT_0)
      << "the suspended system thread was left behind";
  CloseHandle(handle);
}

TEST_F(FrameworkThreadTest, OwnerDeletingARunningThreadOnTheMainThreadWaitsAndServesItsSynchronize) {
  std::atomic<bool> inExecute{false}, synchronized{false}, finished{false};
  auto thread = std::make_unique<TTestThread>([&](TTestThread& self) {
    inExecute = true;
    Sleep(50);
    synchronized = self.Synchronize([] {});
    finished = true;
  });
  thread->Start();
  while (!inExecute)
    Sleep(1);
  // Not a single message pumped: only the destructor's wait can serve the Synchronize (else this
  // deadlocks until ctest's time-out).
  thread.reset();
  EXPECT_TRUE(finished.load()) << "the destructor returned before Execute had";
  EXPECT_TRUE(synchronized.load());
}

TEST_F(FrameworkThreadTest, WaitForSeesAWakeUpQueuedBeforeItBegan) {
  std::atomic<bool> synchronized{false};
  auto thread =
      std::make_unique<TTestThread>([&](TTestThread& self) { synchronized = self.Synchronize([] {}); });
  thread->Start();
  // The worker's wake-up is in the queue, and looking at the queue has made it old news to a wait that
  // only wakes for new messages.
  // (Waited for without pumping, which would run the task.)
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!(HIWORD(GetQueueStatus(QS_POSTMESSAGE)) & QS_POSTMESSAGE) &&
         std::chrono::steady_clock::now() < deadline)
    Sleep(1);
  ASSERT_FALSE(synchronized.load());
  // A wait that missed the wake-up would deadlock with the worker: a later wake-up breaks it, and its
  // task says so.
  std::atomic<bool> rescued{false};
  framework::UniqueKernelHandle waitOver(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  std::thread rescuer([&] {
    if (WaitForSingleObject(waitOver.Get(), 3000) == WAIT_TIMEOUT)
      framework::Application().MainThread().Post([&] { rescued = true; });
  });
  thread.reset();
  SetEvent(waitOver.Get());
  rescuer.join();
  EXPECT_TRUE(synchronized.load());
  EXPECT_FALSE(rescued.load()) << "the wait began only with a wake-up queued after it";
}

// The time this thread has spent on a processor, in milliseconds.
double ProcessorMillisecondsOfThisThread() {
  FILETIME creation, exit, kernel, user;
  if (!GetThreadTimes(GetCurrentThread(), &creation, &exit, &kernel, &user))
    return 0;
  auto ticks = [](const FILETIME& time) {
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  };
  return static_cast<double>(ticks(kernel) + ticks(user)) / 10000.0;
}

TEST_F(FrameworkThreadTest, WaitForSleepsWhileAnotherMessageWaitsForTheLoop) {
  // Any message but the channel's wake-up stays queued for the message loop during the wait.
  const UINT other = RegisterWindowMessageW(L"GearShiftTestOtherMessage");
  ASSERT_TRUE(PostThreadMessageW(GetCurrentThreadId(), other, 0, 0));
  auto thread = std::make_unique<TTestThread>([](TTestThread&) { Sleep(1500); });
  thread->Start();
  const auto began = std::chrono::steady_clock::now();
  const double processorBefore = ProcessorMillisecondsOfThisThread();
  thread.reset();
  const double processor = ProcessorMillisecondsOfThisThread() - processorBefore;
  const double waited =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - began).count();
  MSG msg;
  EXPECT_TRUE(PeekMessageW(&msg, nullptr, other, other, PM_REMOVE)) << "the wait took the other message";
  EXPECT_LT(processor, waited / 10) << "the wait of " << waited << " ms kept a processor busy for "
                                    << processor << " ms";
}

TEST_F(FrameworkThreadTest, SynchronizeAfterTheLoopHasEndedReturnsFalseUnrun) {
  framework::Application().Terminate();
  framework::Application().Run();
  std::atomic<bool> ran{false}, returned{false}, result{true};
  auto* thread = new TTestThread([&](TTestThread& self) {
    result = self.Synchronize([&] { ran = true; });
    returned = true;
  });
  thread->FreeOnTerminate = true;
  thread->Start();
  ASSERT_TRUE(wintest::WaitUntil([&] { return returned.load(); }, std::chrono::seconds(10)))
      << "Synchronize waited for a main thread that no longer takes work";
  EXPECT_FALSE(result.load());
  EXPECT_FALSE(ran.load());
}

}  // namespace
