#include "ServiceCommandLine.h"

#include "cmdline/NumberArgument.h"

namespace norvikservice {
namespace {

ServiceCommandParse Accept(ServiceCommand::Kind kind, std::uint32_t code = 0) {
  ServiceCommandParse result;
  result.ok = true;
  result.command = {kind, code};
  return result;
}

ServiceCommandParse Refuse(std::string error) {
  ServiceCommandParse result;
  result.error = std::move(error);
  return result;
}

}  // namespace

std::string ServiceUsage() {
  return "usage: nksyssvr            run the service until stopped\n"
         "       nksyssvr notify <code>  send the code (decimal or 0x hex) to every registered window\n"
         "       nksyssvr stop           end the running service";
}

ServiceCommandParse ParseServiceCommand(const std::vector<std::string>& arguments) {
  if (arguments.empty())
    return Accept(ServiceCommand::Kind::Run);

  const std::string& name = arguments[0];
  if (name == "stop") {
    if (arguments.size() != 1)
      return Refuse("'stop' takes no arguments");
    return Accept(ServiceCommand::Kind::Stop);
  }
  if (name == "notify") {
    if (arguments.size() != 2)
      return Refuse("'notify' takes exactly one code");
    auto code = cmdline::ParseNumber32(arguments[1]);
    if (!code)
      return Refuse("bad code '" + arguments[1] + "': expected a 32-bit number, decimal or 0x hex");
    return Accept(ServiceCommand::Kind::Notify, *code);
  }
  return Refuse("unknown command '" + name + "'");
}

}  // namespace norvikservice
