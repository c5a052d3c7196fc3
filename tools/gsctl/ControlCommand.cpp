#include "ControlCommand.h"

#include "cmdline/NumberArgument.h"

namespace gsctl {
namespace {

ControlCommandParse Refuse(std::string error) {
  ControlCommandParse result;
  result.error = std::move(error);
  return result;
}

ControlCommandParse Post(std::uint32_t message, std::uint32_t wParam, std::uint32_t lParam) {
  ControlCommandParse result;
  result.ok = true;
  result.command.kind = ControlCommand::Kind::Post;
  result.command.post = {message, wParam, lParam};
  return result;
}

// Checks the argument count of a command before any of its numbers is read.
bool CountIs(const std::vector<std::string>& arguments, size_t expected, std::string& error) {
  if (arguments.size() == expected)
    return true;
  error = "'" + arguments[0] + "' takes " + std::to_string(expected - 1) + " argument(s), got " +
          std::to_string(arguments.size() - 1);
  return false;
}

bool ReadNumber(const std::string& text, const char* what, std::uint32_t& value, std::string& error) {
  auto number = cmdline::ParseNumber32(text);
  if (!number) {
    error = std::string("bad ") + what + " '" + text + "': expected a 32-bit number, decimal or 0x hex";
    return false;
  }
  value = *number;
  return true;
}

}  // namespace

std::string ControlUsage() {
  return "usage: gsctl status | hotkey <code> | notify <code> | close [--wait] | send <msg> <wparam> "
         "<lparam>\n"
         "numbers are decimal or 0x hex";
}

ControlCommandParse ParseControlCommand(const std::vector<std::string>& arguments) {
  if (arguments.empty())
    return Refuse("no command given");

  const std::string& name = arguments[0];
  std::string error;
  if (name == "status") {
    if (!CountIs(arguments, 1, error))
      return Refuse(error);
    ControlCommandParse result;
    result.ok = true;
    return result;
  }
  if (name == "close") {
    if (arguments.size() == 2 && arguments[1] == "--wait") {
      ControlCommandParse result = Post(kCloseRequestMessage, kTag, 0);
      result.command.waitForExit = true;
      return result;
    }
    if (!CountIs(arguments, 1, error))
      return Refuse(error);
    return Post(kCloseRequestMessage, kTag, 0);
  }
  if (name == "hotkey" || name == "notify") {
    std::uint32_t code = 0;
    if (!CountIs(arguments, 2, error) || !ReadNumber(arguments[1], "code", code, error))
      return Refuse(error);
    return Post(name == "hotkey" ? kHotKeyMessage : kNotifyMessage, kTag, code);
  }
  if (name == "send") {
    std::uint32_t message = 0, wParam = 0, lParam = 0;
    if (!CountIs(arguments, 4, error) || !ReadNumber(arguments[1], "message", message, error) ||
        !ReadNumber(arguments[2], "wparam", wParam, error) ||
        !ReadNumber(arguments[3], "lparam", lParam, error))
      return Refuse(error);
    return Post(message, wParam, lParam);
  }
  return Refuse("unknown command '" + name + "'");
}

}  // namespace gsctl
