#include "framework/MainThreadChannel.h"

#include <memory>

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

MainThreadChannel::MainThreadChannel()
    : mainThreadId_(GetCurrentThreadId()), taskMessage_(RegisterWindowMessageW(L"GearShiftMainThreadTask")) {
  window_.Reset(CreateMessageWindow(*this));
}

MainThreadChannel::~MainThreadChannel() = default;

bool MainThreadChannel::Post(Task task) {
  auto heapTask = std::make_unique<Task>(std::move(task));
  if (!window_ || !PostMessageW(window_.Get(), taskMessage_, 0, reinterpret_cast<LPARAM>(heapTask.get()))) {
    return false;
  }
  heapTask.release();  // the window procedure owns it now
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
  if (!completion->done)
    return false;
  bool posted = Post([completion, task = std::move(task)]() mutable {
    RunReportingErrors(task);
    SetEvent(completion->done.Get());
  });
  if (!posted)
    return false;
  HWND window = window_.Get();
  for (;;) {
    if (WaitForSingleObject(completion->done.Get(), 100) == WAIT_OBJECT_0)
      return true;
    if (!IsWindow(window))
      return WaitForSingleObject(completion->done.Get(), 0) == WAIT_OBJECT_0;
  }
}

void MainThreadChannel::DropQueuedTasks(HWND window) noexcept {
  MSG msg;
  while (PeekMessageW(&msg, window, taskMessage_, taskMessage_, PM_REMOVE)) {
    delete reinterpret_cast<Task*>(msg.lParam);
  }
}

LRESULT MainThreadChannel::HandleMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
  if (msg == taskMessage_) {
    std::unique_ptr<Task> task(reinterpret_cast<Task*>(lParam));
    RunReportingErrors(*task);
    return 0;
  }
  if (msg == WM_DESTROY)
    DropQueuedTasks(window);
  return DefWindowProcW(window, msg, wParam, lParam);
}

}  // namespace framework
