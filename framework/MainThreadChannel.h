#pragma once

#include <windows.h>

#include <functional>

#include "framework/UniqueHandle.h"
#include "framework/WindowHost.h"

namespace framework {

// The one way work reaches the main thread: a message-only window of the main thread and a registered
// message that carries a heap task. Create it on the main thread.
class MainThreadChannel : private WindowHost {
 public:
  MainThreadChannel();
  ~MainThreadChannel() override;
  MainThreadChannel(const MainThreadChannel&) = delete;
  MainThreadChannel& operator=(const MainThreadChannel&) = delete;

  // Queues the task for the main thread. False when it cannot be queued (the task is then dropped
  // unrun, never leaked).
  bool Post(std::function<void()> task);

  // Runs the task on the main thread and waits until it has run; on the main thread itself it runs at
  // once. An exception of the task goes to the application's exception report on the main thread.
  // False when the task could not run because the main thread no longer takes work.
  bool RunAndWait(std::function<void()> task);

  DWORD MainThreadId() const { return mainThreadId_; }

 private:
  LRESULT HandleMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) noexcept override;
  void DropQueuedTasks(HWND window) noexcept;

  UniqueWindow window_;
  DWORD mainThreadId_;
  UINT taskMessage_;
};

}  // namespace framework
