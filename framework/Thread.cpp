#include "framework/Thread.h"

#include <exception>
#include <string>
#include <utility>

#include "framework/Application.h"
#include "framework/Exception.h"

namespace framework {

TThread::TThread() {
  DWORD id = 0;
  HANDLE thread = CreateThread(nullptr, 0, &TThread::ThreadProc, this, CREATE_SUSPENDED, &id);
  if (!thread)
    throw Exception("Cannot create a thread (error " + std::to_string(GetLastError()) + ")");
  handle_.Reset(thread);
  threadId_ = id;
}

TThread::~TThread() {
  if (!started_.exchange(true)) {
    // A thread left suspended would hold its stack until the process ends: let it run to its end.
    cancelled_ = true;
    ResumeThread(handle_.Get());
  }
  WaitFor();
}

void TThread::Start() {
  HANDLE thread = handle_.Get();
  if (started_.exchange(true))
    return;
  // From here on a FreeOnTerminate object may be gone at any moment.
  ResumeThread(thread);
}

void TThread::WaitFor() noexcept {
  if (!started_ || GetCurrentThreadId() == threadId_)
    return;
  HANDLE thread = handle_.Get();
  UINT wake = 0;
  try {
    MainThreadChannel& channel = Application().MainThread();
    if (GetCurrentThreadId() == channel.MainThreadId())
      wake = channel.WakeMessage();
  } catch (...) {
    // No channel: nothing can be waiting for the main thread.
  }
  if (!wake) {
    WaitForSingleObject(thread, INFINITE);
    return;
  }
  // Only the channel's wake-ups are taken from the queue: everything else waits for the message loop,
  // so that deleting a thread runs no other handler of the program inside the delete.
  // The wake-ups already queued are run before the first wait, so a wake-up queued before the wait
  // began, or seen by an earlier look at the queue, is not missed. The wait then wakes only for
  // messages new since that look: one that waits for the loop would otherwise end every wait at once,
  // and the wait would spin until the thread ends.
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, wake, wake, PM_REMOVE))
      DispatchMessageW(&msg);
    if (MsgWaitForMultipleObjectsEx(1, &thread, INFINITE, QS_POSTMESSAGE, 0) != WAIT_OBJECT_0 + 1)
      return;
  }
}

bool TThread::Synchronize(THandler handler) {
  if (handler.Empty())
    return true;
  return Application().MainThread().RunAndWait([handler] { handler.Run(); });
}

bool TThread::Synchronize(std::function<void()> method) {
  if (!method)
    return true;
  return Application().MainThread().RunAndWait(std::move(method));
}

DWORD WINAPI TThread::ThreadProc(void* parameter) noexcept {
  auto* self = static_cast<TThread*>(parameter);
  if (self->cancelled_)
    return 0;
  try {
    self->Execute();
  } catch (...) {
    Application().HandleExceptionLater();
  }
  if (self->FreeOnTerminate)
    delete self;
  return 0;
}

}  // namespace framework
