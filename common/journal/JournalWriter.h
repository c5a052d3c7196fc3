#pragma once

#include <windows.h>

#include <deque>
#include <mutex>
#include <string>
#include <string_view>

#include "win32base/UniqueHandle.h"

namespace journal {

// Journal lines written on a thread of their own. Every writer of every process appends under one named
// lock, which anyone can hold, so an append can wait; the thread that has the event (a hook thread, the
// program's main thread inside a library call) must not. A line keeps the time of its event and the
// journal file named then, both taken when it is queued, and lines are written in the order they were
// queued.
//
// The writing thread is started when a line is queued and none runs, and it ends once nothing is left.
// While it runs it holds the module it lives in loaded, so a host that frees the library meanwhile
// cannot pull the code out from under it: the library goes only after the thread has written the last
// line and ended. Nothing of it waits under the loader lock.
class Writer {
 public:
  Writer() = default;
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;
  // Drains: nothing queued is lost and no thread of it is left running.
  ~Writer();

  // Queues "<component> <event>" with the time of now. Never waits for the journal's lock.
  void Write(std::string_view component, std::string event) noexcept;

  // Returns once every line queued so far is written and the writing thread has ended. Not for DllMain.
  void Drain() noexcept;

  // For DLL_PROCESS_DETACH at process exit, when the system has already ended every other thread,
  // the writing one too: writes what is still queued on the calling thread, joining nothing.
  void WriteRemainingAtProcessExit() noexcept;

 private:
  struct Line {
    std::wstring file;
    double milliseconds;
    std::string component;
    std::string event;
  };

  static DWORD WINAPI ThreadMain(void* writer);
  // The writing thread's loop; false when it is done (nothing left, marked not running).
  bool WriteFront() noexcept;
  bool StartThreadLocked() noexcept;

  std::mutex lock_;
  // A line stays queued until it is written, so one that waited for the lock when the process ended is
  // still there for WriteRemainingAtProcessExit.
  std::deque<Line> lines_;
  bool running_ = false;
  win32base::UniqueKernelHandle thread_;  // the latest writing thread, running or ended
};

// The one writer of the module that links this library (each DLL has its own), never destroyed:
// process exit must not wait for a thread the system has already ended.
Writer& ModuleWriter();

// ModuleWriter().Write: for a library whose calls must not wait for the journal.
void Queue(std::string_view component, std::string event) noexcept;

// For the library's DllMain at DLL_PROCESS_DETACH. At process exit it writes what is left; when the
// library is freed there is nothing to do, since a running writer holds the library loaded (and the
// detach may be running on that very thread, as it lets go of the library).
void OnModuleDetach(void* reserved) noexcept;

}  // namespace journal
