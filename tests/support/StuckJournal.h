#pragma once

#include <windows.h>

#include "journal/Journal.h"
#include "win32base/UniqueHandle.h"

namespace wintest {

// Holds the lock that every journal writer takes around its append: to everyone else the journal is a
// file on a disk that does not answer.
class StuckJournal {
 public:
  StuckJournal() : mutex_(CreateMutexW(nullptr, FALSE, journal::AppendLockName)) {
    held_ = mutex_ && WaitForSingleObject(mutex_.Get(), 10000) == WAIT_OBJECT_0;
  }
  StuckJournal(const StuckJournal&) = delete;
  StuckJournal& operator=(const StuckJournal&) = delete;
  ~StuckJournal() {
    if (held_)
      ReleaseMutex(mutex_.Get());
  }
  bool Held() const { return held_; }

 private:
  win32base::UniqueKernelHandle mutex_;
  bool held_ = false;
};

}  // namespace wintest
