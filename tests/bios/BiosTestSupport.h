#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "InfoBlock.h"
#include "bios/MessageBox.h"

namespace biostest {

using Entry = std::variant<std::int64_t, std::string>;

// An item's information block in the library's real format.
inline std::vector<unsigned char> Block(const std::vector<Entry>& entries) {
  nkacpi::InfoBlockWriter writer;
  for (const Entry& entry : entries) {
    if (const auto* text = std::get_if<std::string>(&entry))
      writer.AddString(*text);
    else
      writer.AddInteger(static_cast<std::uint32_t>(std::get<std::int64_t>(entry)));
  }
  return writer.Finish();
}

// Entry 4 of a number item: exponent in the high byte, a signed 24-bit minimum below it.
inline std::int64_t MinimumAndExponent(int minimum, int exponent) {
  return (static_cast<std::uint32_t>(exponent & 0xFF) << 24) |
         (static_cast<std::uint32_t>(minimum) & 0xFFFFFF);
}

struct ShownMessage {
  std::string text;
  std::string caption;
  bool operator==(const ShownMessage&) const = default;
};

// Records every message box the item model shows while it lives.
class MessageRecorder {
 public:
  MessageRecorder()
      : previous_(bios::ReplaceMessageBox([this](const char* text, const char* caption) {
          shown.push_back({text, caption});
        })) {}
  MessageRecorder(const MessageRecorder&) = delete;
  MessageRecorder& operator=(const MessageRecorder&) = delete;
  ~MessageRecorder() { bios::ReplaceMessageBox(std::move(previous_)); }

  std::vector<ShownMessage> shown;

 private:
  bios::MessageBoxFunction previous_;
};

inline void SetEnvironment(const char* name, const std::string& value) {
#if defined(_WIN32)
  SetEnvironmentVariableA(name, value.c_str());
#else
  setenv(name, value.c_str(), 1);
#endif
}

inline std::string TemporaryPath(const std::string& stem) {
#if defined(_WIN32)
  char directory[MAX_PATH];
  GetTempPathA(MAX_PATH, directory);
  return std::string(directory) + stem + "-" + std::to_string(GetCurrentProcessId()) + ".txt";
#else
  return "/tmp/" + stem + "-" + std::to_string(getpid()) + ".txt";
#endif
}

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A BIOS description file that the library reads through NKACPI_BIOS; removed again at the end.
class BiosFile {
 public:
  BiosFile(const std::string& stem, const std::string& text) : path_(TemporaryPath(stem)) {
    std::ofstream(path_, std::ios::binary) << text;
    SetEnvironment("NKACPI_BIOS", path_);
  }
  BiosFile(const BiosFile&) = delete;
  BiosFile& operator=(const BiosFile&) = delete;
  ~BiosFile() { std::remove(path_.c_str()); }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace biostest
