#pragma once

#include <windows.h>

#include <atomic>
#include <functional>

#include "framework/Handler.h"
#include "framework/Object.h"
#include "framework/UniqueHandle.h"

namespace framework {

// A worker thread: derive, override Execute, create the object, set its fields and call Start. The
// system thread exists from construction on, suspended until Start.
//
// With FreeOnTerminate the object deletes itself once Execute has returned, and nobody may use a
// pointer to it after Start. Otherwise its owner deletes it, and the destructor waits for a started
// thread to finish. That wait is the base class's, which runs after the derived class's members are
// gone: a derived class whose Execute uses its own members calls WaitFor in its destructor.
//
// Nothing here keeps the process alive: when WinMain returns, the process ends with its workers.
class TThread : public TObject {
 public:
  TThread();
  ~TThread() override;

  // Lets the thread run; later calls do nothing.
  void Start();
  // Waits until the thread has finished; returns at once when it was never started or when called by
  // the thread itself. On the main thread it keeps running the main-thread channel's tasks meanwhile,
  // so a thread waiting in Synchronize cannot deadlock against its owner. Not for a FreeOnTerminate
  // thread, which may be gone.
  void WaitFor() noexcept;

  HANDLE Handle() const { return handle_.Get(); }
  DWORD ThreadID() const { return threadId_; }

  // Read by the thread once Execute has returned: set it before Start, or in Execute.
  bool FreeOnTerminate = false;

 protected:
  // The thread's work. An exception escaping it goes to the application's exception report on the
  // main thread, and the thread ends as if Execute had returned.
  virtual void Execute() = 0;

  // Runs the handler on the main thread and waits until it has run; on the main thread itself it runs
  // at once. False when the main thread no longer takes work: nothing ran. An empty handler runs
  // nothing and returns true.
  bool Synchronize(THandler handler);
  bool Synchronize(std::function<void()> method);

 private:
  static DWORD WINAPI ThreadProc(void* parameter) noexcept;

  UniqueKernelHandle handle_;
  DWORD threadId_ = 0;
  std::atomic<bool> started_{false};
  // Set when the object is deleted without having been started: the thread then ends without running
  // Execute, which the object no longer has.
  std::atomic<bool> cancelled_{false};
};

}  // namespace framework
