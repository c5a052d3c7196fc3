#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "framework/UniqueHandle.h"
#include "framework/WindowHost.h"

namespace framework {

// The one way work reaches the main thread. Tasks wait in a locked queue that the channel owns; a
// message-only window of the main thread is woken by a message that carries nothing, so a message
// posted from outside (any process can find the window) can neither run nor free anything. Create it
// on the main thread.
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
  // False when the task did not run because the main thread no longer takes work; it never waits for
  // a main thread that has stopped taking work or has ended.
  bool RunAndWait(std::function<void()> task);

  // The main thread takes no more work: queued tasks are freed unrun and their waiters released.
  // Call on the main thread; the destructor does it too.
  void Close() noexcept;

  DWORD MainThreadId() const { return mainThreadId_; }
  // The message that wakes the channel's window (a registered message, the same in every process).
  UINT WakeMessage() const { return wakeMessage_; }

 private:
  struct Queue;

  LRESULT HandleMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) noexcept override;
  void RunQueuedTasks() noexcept;

  // Shared with every caller that is still posting or waiting, so that it outlives the channel for them.
  std::shared_ptr<Queue> queue_;
  DWORD mainThreadId_;
  UINT wakeMessage_;
  UniqueWindow window_;
};

}  // namespace framework
