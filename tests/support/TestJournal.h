#pragma once

#include <windows.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "WinTestSupport.h"

namespace wintest {

struct JournalLine {
  std::string Stamp;  // milliseconds as written
  double Ms = 0;
  std::string Component;
  std::string Event;
  std::vector<std::string> Args;
  std::string Text;  // "<component> <event> <args>", the line without its stamp
};

// Points GEARSHIFT_JOURNAL (inherited by every process the test starts) at a fresh temporary file for the
// life of the object.
class TestJournal {
 public:
  TestJournal() {
    static int serial = 0;
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    path_ = std::string(dir) + "gs-journal-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++serial) + ".log";
    DeleteFileA(path_.c_str());
    SetEnvironmentVariableA("GEARSHIFT_JOURNAL", path_.c_str());
  }
  TestJournal(const TestJournal&) = delete;
  TestJournal& operator=(const TestJournal&) = delete;
  ~TestJournal() {
    SetEnvironmentVariableA("GEARSHIFT_JOURNAL", nullptr);
    DeleteFileA(path_.c_str());
  }

  const std::string& Path() const { return path_; }

  std::vector<JournalLine> Lines() const {
    std::ifstream in(path_);
    std::vector<JournalLine> lines;
    for (std::string text; std::getline(in, text);) {
      if (!text.empty() && text.back() == '\r')
        text.pop_back();
      JournalLine line;
      auto space = text.find(' ');
      line.Stamp = text.substr(0, space);
      line.Ms = std::atof(line.Stamp.c_str());
      line.Text = space == std::string::npos ? text : text.substr(space + 1);
      std::istringstream fields(line.Text);
      fields >> line.Component >> line.Event;
      for (std::string arg; fields >> arg;)
        line.Args.push_back(arg);
      lines.push_back(line);
    }
    return lines;
  }

  // The lines without their time stamps.
  std::vector<std::string> Events() const {
    std::vector<std::string> events;
    for (const auto& line : Lines())
      events.push_back(line.Text);
    return events;
  }

  bool Contains(const std::string& event) const {
    for (const auto& line : Events())
      if (line == event)
        return true;
    return false;
  }

  bool ContainsPrefix(const std::string& prefix) const {
    for (const auto& line : Events())
      if (line.rfind(prefix, 0) == 0)
        return true;
    return false;
  }

  std::vector<JournalLine> Find(const std::string& component, const std::string& event) const {
    std::vector<JournalLine> found;
    for (const auto& line : Lines())
      if (line.Component == component && line.Event == event)
        found.push_back(line);
    return found;
  }

  // Waits until at least count lines of that component and event exist; returns what there is then.
  std::vector<JournalLine> WaitFor(const std::string& component, const std::string& event, size_t count = 1,
                                   std::chrono::milliseconds deadline = std::chrono::seconds(20)) const {
    std::vector<JournalLine> found;
    WaitUntil(
        [&] {
          found = Find(component, event);
          return found.size() >= count;
        },
        deadline);
    return found;
  }

  // For failure messages.
  std::string Text() const {
    std::string text;
    for (const auto& line : Events())
      text += "  " + line + "\n";
    return text.empty() ? "  (journal empty)\n" : text;
  }

 private:
  std::string path_;
};

}  // namespace wintest
