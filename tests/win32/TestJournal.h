#pragma once

#include <windows.h>

#include <fstream>
#include <string>
#include <vector>

namespace wintest {

// Points GEARSHIFT_JOURNAL (inherited by every process the test starts) at a fresh temporary file for the
// life of the object.
class TestJournal {
 public:
  TestJournal() {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    path_ = std::string(dir) + "gs-journal-" + std::to_string(GetCurrentProcessId()) + ".log";
    DeleteFileA(path_.c_str());
    SetEnvironmentVariableA("GEARSHIFT_JOURNAL", path_.c_str());
  }
  TestJournal(const TestJournal&) = delete;
  TestJournal& operator=(const TestJournal&) = delete;
  ~TestJournal() {
    SetEnvironmentVariableA("GEARSHIFT_JOURNAL", nullptr);
    DeleteFileA(path_.c_str());
  }

  // The lines without their time stamps: "<component> <event> <args>".
  std::vector<std::string> Events() const {
    std::ifstream in(path_);
    std::vector<std::string> events;
    for (std::string line; std::getline(in, line);) {
      auto space = line.find(' ');
      events.push_back(space == std::string::npos ? line : line.substr(space + 1));
    }
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

  // For failure messages.
  std::string Text() const {
    std::string text;
    for (const auto& line : Events())
      text += "  " + line + "\n";
    return text;
  }

 private:
  std::string path_;
};

}  // namespace wintest
