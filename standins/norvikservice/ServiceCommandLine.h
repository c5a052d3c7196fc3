#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace norvikservice {

struct ServiceCommand {
  enum class Kind { Run, Notify, Stop };
  Kind kind = Kind::Run;
  std::uint32_t code = 0;  // only for Kind::Notify
};

struct ServiceCommandParse {
  bool ok = false;
  ServiceCommand command;
  std::string error;  // why the arguments were refused, for the user
};

// Reads nksyssvr's arguments (without the program name): none runs the service.
ServiceCommandParse ParseServiceCommand(const std::vector<std::string>& arguments);

std::string ServiceUsage();

}  // namespace norvikservice
