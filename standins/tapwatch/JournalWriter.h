#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

namespace tapwatch {

// The hook thread's journal lines, written on a thread of their own. Every writer of every process
// appends to the journal under one lock, so an append can wait, and the hook thread must not: while it
// waits, no key on the desktop moves. A line keeps the time of its event, taken when it is queued, and
// lines are written in the order they were queued.
//
// The hook thread owns it and destroys it on its way out, after its last line: the destructor writes
// what is still queued and joins the writer, so Unhook returns with nothing left unwritten, and no
// thread of the library outlives the hook thread's hold on the library. Nothing of it runs under the
// loader lock.
class JournalWriter {
 public:
  JournalWriter();
  JournalWriter(const JournalWriter&) = delete;
  JournalWriter& operator=(const JournalWriter&) = delete;
  ~JournalWriter();

  // Queues "hook <event>" with the time of now.
  void Write(std::string event) noexcept;

 private:
  struct Line {
    double milliseconds;
    std::string event;
  };

  void Run() noexcept;

  std::mutex lock_;
  std::condition_variable queued_;
  std::deque<Line> lines_;
  bool closing_ = false;
  std::thread writer_;  // last: it starts on the members above
};

}  // namespace tapwatch
