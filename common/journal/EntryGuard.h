#pragma once

#include <string_view>
#include <type_traits>
#include <utility>

namespace journal {

// Who reports a failed entry: the library's name for the debugger's output ("nkacpi"), its journal
// component ("acpi"), and whether its lines go through the library's own writer thread (Queue) or
// straight to the file (Write).
struct EntryReporter {
  std::string_view library;
  std::string_view component;
  bool queued;
};

// For a catch block: journals "<component> error <entry>: <what the exception says>" and sends the same
// text to the debugger. Never throws; without the memory to say it, a fixed line goes to the debugger.
void ReportEntryFailure(const EntryReporter& reporter, std::string_view entry) noexcept;

// Runs the body of an exported entry. A C++ exception must not reach its caller, which may not be C++ at
// all, and with static runtimes one that leaves the library ends the process in std::terminate: it is
// reported, and the entry answers `failure` (nothing, for an entry that returns nothing).
template <class Result, class Body>
Result GuardEntry(const EntryReporter& reporter, std::string_view entry, Result failure,
                  Body&& body) noexcept {
  try {
    return std::forward<Body>(body)();
  } catch (...) {
    ReportEntryFailure(reporter, entry);
    return failure;
  }
}

template <class Body>
void GuardEntry(const EntryReporter& reporter, std::string_view entry, Body&& body) noexcept {
  static_assert(std::is_void_v<decltype(std::forward<Body>(body)())>);
  try {
    std::forward<Body>(body)();
  } catch (...) {
    ReportEntryFailure(reporter, entry);
  }
}

}  // namespace journal
