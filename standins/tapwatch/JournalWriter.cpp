#include "JournalWriter.h"

#include <utility>

#include "journal/Journal.h"

namespace tapwatch {

JournalWriter::JournalWriter() : writer_(&JournalWriter::Run, this) {}

JournalWriter::~JournalWriter() {
  {
    std::lock_guard<std::mutex> guard(lock_);
    closing_ = true;
  }
  queued_.notify_one();
  writer_.join();
}

void JournalWriter::Write(std::string event) noexcept {
  double now = journal::Now();
  try {
    {
      std::lock_guard<std::mutex> guard(lock_);
      lines_.push_back({now, std::move(event)});
    }
    queued_.notify_one();
  } catch (...) {
    // Out of memory: the line is lost, the key is not held up.
  }
}

void JournalWriter::Run() noexcept {
  std::unique_lock<std::mutex> guard(lock_);
  for (;;) {
    queued_.wait(guard, [this] { return closing_ || !lines_.empty(); });
    if (lines_.empty())
      return;  // closing, and everything queued is written
    Line line = std::move(lines_.front());
    lines_.pop_front();
    guard.unlock();
    try {
      journal::WriteAt(line.milliseconds, "hook", line.event);
    } catch (...) {
      // Out of memory while composing the line: that line is lost, the rest still go.
    }
    guard.lock();
  }
}

}  // namespace tapwatch
