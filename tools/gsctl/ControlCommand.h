#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "contract/ProcessContract.h"

namespace gsctl {

// The window messages the main form understands, all tagged with this wParam.
inline constexpr std::uint32_t kTag = contract::MessageTag;
inline constexpr std::uint32_t kCloseRequestMessage = contract::CloseRequestMessage;
inline constexpr std::uint32_t kNotifyMessage = contract::ServiceNotifyMessage;
inline constexpr std::uint32_t kHotKeyMessage = contract::HotKeyMessage;

struct PostedMessage {
  std::uint32_t message = 0;
  std::uint32_t wParam = 0;
  std::uint32_t lParam = 0;
};

struct ControlCommand {
  enum class Kind { Status, Post };
  Kind kind = Kind::Status;
  PostedMessage post;  // only for Kind::Post
  // "close --wait": returns once the program has ended, so that its files are free (the uninstaller).
  bool waitForExit = false;
};

struct ControlCommandParse {
  bool ok = false;
  ControlCommand command;
  std::string error;  // why the arguments were refused, for the user
};

// Reads gsctl's arguments (without the program name).
ControlCommandParse ParseControlCommand(const std::vector<std::string>& arguments);

// One paragraph listing the commands, for error output.
std::string ControlUsage();

}  // namespace gsctl
