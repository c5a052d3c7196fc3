#include "JournalWriter.h"

#include <utility>

#include "Journal.h"

namespace journal {

Writer::~Writer() {
  Drain();
}

void Writer::Write(std::string_view component, std::string event) noexcept {
  double now = Now();
  try {
    std::wstring file = FilePath();
    if (file.empty())
      return;
    std::lock_guard<std::mutex> guard(lock_);
    lines_.push_back({std::move(file), now, std::string(component), std::move(event)});
    if (running_ || StartThreadLocked())
      return;
    // No thread to be had: written here, late but in order, since nothing else is queued.
    Line line = std::move(lines_.back());
    lines_.pop_back();
    AppendAt(line.file, line.milliseconds, line.component, line.event);
  } catch (...) {
    // Out of memory: the line is lost, the caller is not held up.
  }
}

bool Writer::StartThreadLocked() noexcept {
  HMODULE pinned = nullptr;
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                          reinterpret_cast<LPCWSTR>(&Writer::ThreadMain), &pinned))
    return false;
  HANDLE thread = CreateThread(nullptr, 0, &Writer::ThreadMain, this, 0, nullptr);
  if (!thread) {
    FreeLibrary(pinned);
    return false;
  }
  thread_.Reset(thread);
  running_ = true;
  return true;
}

DWORD WINAPI Writer::ThreadMain(void* writer) {
  HMODULE self = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&Writer::ThreadMain), &self);
  while (static_cast<Writer*>(writer)->WriteFront()) {
  }
  // Lets go of the hold its starter took; the library may go with it, and this call never returns into it.
  FreeLibraryAndExitThread(self, 0);
}

bool Writer::WriteFront() noexcept {
  Line line;
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (lines_.empty()) {
      running_ = false;
      return false;  // from here on, nothing of *this is touched
    }
    try {
      line = lines_.front();
    } catch (...) {
      lines_.pop_front();  // out of memory: that line is lost, the rest still go
      return true;
    }
  }
  try {
    AppendAt(line.file, line.milliseconds, line.component, line.event);
  } catch (...) {
  }
  std::lock_guard<std::mutex> guard(lock_);
  lines_.pop_front();
  return true;
}

void Writer::Drain() noexcept {
  for (;;) {
    win32base::UniqueKernelHandle thread;
    {
      std::lock_guard<std::mutex> guard(lock_);
      if (!thread_)
        return;
      thread = std::move(thread_);
    }
    // A line queued meanwhile may start another thread, which the next round waits for.
    WaitForSingleObject(thread.Get(), INFINITE);
  }
}

void Writer::WriteRemainingAtProcessExit() noexcept {
  // A thread the system ended while it held the queue leaves it locked for good: then nothing is written.
  if (!lock_.try_lock())
    return;
  std::lock_guard<std::mutex> guard(lock_, std::adopt_lock);
  for (const Line& line : lines_) {
    try {
      AppendAt(line.file, line.milliseconds, line.component, line.event);
    } catch (...) {
    }
  }
  lines_.clear();
  running_ = false;
}

Writer& ModuleWriter() {
  static Writer* const writer = new Writer();
  return *writer;
}

void Queue(std::string_view component, std::string event) noexcept {
  ModuleWriter().Write(component, std::move(event));
}

void OnModuleDetach(void* reserved) noexcept {
  if (reserved != nullptr)
    ModuleWriter().WriteRemainingAtProcessExit();
}

}  // namespace journal
