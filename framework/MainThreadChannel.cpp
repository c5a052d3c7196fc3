#include "framework/MainThreadChannel.h"

#include <cstdint>
#include <deque>
#include <mutex>
#include <utility>

#include "framework/Application.h"

namespace framework {
namespace {

using Task = std::function<void()>;

void RunReportingErrors(Task& task) noexcept {
  try {
    task();
  } catch (...) {
    Application().HandleException();
  }
}

}  // namespace

struct MainThreadChannel::Queue {
  std::mutex lock;
  std::deque<std::pair<std::uint64_t, Task>> tasks;
  std::uint64_t lastId = 0;
  bool open = true;
  // Set once the main thread takes no more work.
  UniqueKernelHandle closed{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  // Signalled by the system if the main thread ends without closing the channel.
  UniqueKernelHandle mainThread{OpenThread(SYNCHRONIZE, FALSE, GetCurrentThreadId())};
};

MainThreadChannel::MainThreadChannel()
    : queue_(std::make_shared<Queue>()),
      mainThreadId_(GetCurrentThreadId()),
      wakeMessage_(RegisterWindowMessageW(L"GearShiftMainThreadTask")) {
  window_.Reset(CreateMessageWindow(*this, L"GearShiftMainThread"));
}

MainThreadChannel::~MainThreadChannel() {
  Close();
}

bool MainThreadChannel::Post(Task task) {
  // Everything needed after the task is queued is copied first: from then on the main thread may run
  // it and close the channel at any moment.
  std::shared_ptr<Queue> queue = queue_;
  HWND window = window_.Get();
  UINT wake = wakeMessage_;
  if (!window || !queue->closed)
    return false;
  std::uint64_t id;
  {
    std::lock_guard guard(queue->lock);
    if (!queue->open)
      return false;
    id = ++queue->lastId;
    queue->tasks.emplace_back(id, std::move(task));
  }
  if (PostMessageW(window, wake, 0, 0))
    return true;
  // Nobody was woken: take the task back, unless an earlier wake-up has already handed it out.
  Task dropped;  // freed on return, after the lock is given back
  std::lock_guard guard(queue->lock);
  for (auto it = queue->tasks.begin(); it != queue->tasks.end(); ++it) {
    if (it->first == id) {
      dropped = std::move(it->second);
      queue->tasks.erase(it);
      return false;
    }
  }
  return true;
}

bool MainThreadChannel::RunAndWait(Task task) {
  if (GetCurrentThreadId() == mainThreadId_) {
    RunReportingErrors(task);
    return true;
  }
  // Shared, so that neither side depends on the other still being there: the waiter may give up
  // when the channel closes, and a queued task may be dropped unrun.
  struct Completion {
    UniqueKernelHandle done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  };
  auto completion = std::make_shared<Completion>();
  std::shared_ptr<Queue> queue = queue_;
  if (!completion->done || !queue->mainThread)
    return false;
  bool posted = Post([completion, task = std::move(task)]() mutable {
    RunReportingErrors(task);
    SetEvent(completion->done.Get());
  });
  if (!posted)
    return false;
  HANDLE events[] = {completion->done.Get(), queue->closed.Get(), queue->mainThread.Get()};
  if (WaitForMultipleObjects(3, events, FALSE, INFINITE) == WAIT_OBJECT_0)
    return true;
  // Closed or ended: the task may still have run just before.
  return WaitForSingleObject(completion->done.Get(), 0) == WAIT_OBJECT_0;
}

void MainThreadChannel::Close() noexcept {
  std::deque<std::pair<std::uint64_t, Task>> unrun;
  {
    std::lock_guard guard(queue_->lock);
    queue_->open = false;
    unrun.swap(queue_->tasks);
  }
  if (queue_->closed)
    SetEvent(queue_->closed.Get());
  // The unrun tasks are freed here, outside the lock: freeing one may run any destructor.
}

void MainThreadChannel::RunQueuedTasks() noexcept {
  for (;;) {
    Task task;
    {
      std::lock_guard guard(queue_->lock);
      if (!queue_->open || queue_->tasks.empty())
        return;
      task = std::move(queue_->tasks.front().second);
      queue_->tasks.pop_front();
    }
    RunReportingErrors(task);
  }
}

LRESULT MainThreadChannel::HandleMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
  // The wake-up carries nothing: whoever sent it, all it can do is run what this process queued.
  if (msg == wakeMessage_) {
    RunQueuedTasks();
    return 0;
  }
  return DefWindowProcW(window, msg, wParam, lParam);
}

}  // namespace framework
