#pragma once

#include <windows.h>

#include <atomic>
#include <thread>

#include "journal/Journal.h"
#include "win32base/UniqueHandle.h"

namespace wintest {

// Holds the lock that every journal writer takes around its append: to everyone else the journal is a
// file on a disk that does not answer. A thread of its own holds it, as another process would: the
// mutex lets the thread that owns it take it again at once.
class StuckJournal {
 public:
  StuckJournal() : release_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    win32base::UniqueKernelHandle taken(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!release_ || !taken)
      return;
    holder_ = std::thread([this, taken = taken.Get()] {
      win32base::UniqueKernelHandle mutex(CreateMutexW(nullptr, FALSE, journal::AppendLockName));
      held_ = mutex && WaitForSingleObject(mutex.Get(), 10000) == WAIT_OBJECT_0;
      SetEvent(taken);
      if (!held_)
        return;
      WaitForSingleObject(release_.Get(), INFINITE);
      ReleaseMutex(mutex.Get());
    });
    WaitForSingleObject(taken.Get(), INFINITE);
  }
  StuckJournal(const StuckJournal&) = delete;
  StuckJournal& operator=(const StuckJournal&) = delete;
  ~StuckJournal() {
    if (!holder_.joinable())
      return;
    SetEvent(release_.Get());
    holder_.join();
  }
  bool Held() const { return held_; }

 private:
  win32base::UniqueKernelHandle release_;
  std::atomic<bool> held_{false};
  std::thread holder_;
};

}  // namespace wintest
