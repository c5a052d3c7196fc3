#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "ServiceCommandLine.h"
#include "ServiceConnection.h"
#include "ServiceWindow.h"
#include "journal/Journal.h"
#include "win32base/MessageLoop.h"
#include "win32base/UniqueHandle.h"
#include "win32base/WindowLifeGuard.h"

namespace {

constexpr const char* kNoService = "nksyssvr: no service is running in this session";

int RunService() {
  win32base::UniqueKernelHandle running(CreateMutexW(nullptr, FALSE, norvikservice::kSingleInstanceMutex));
  if (running && GetLastError() == ERROR_ALREADY_EXISTS) {
    std::fprintf(stderr, "nksyssvr: the service is already running in this session\n");
    return 1;
  }
  if (!running) {
    std::fprintf(stderr, "nksyssvr: cannot create the single-instance mutex (error %lu)\n", GetLastError());
    return 1;
  }

  win32base::WindowLifeGuard lifeGuard;
  norvikservice::ServiceWindow service;
  if (!service.Create(GetModuleHandleW(nullptr))) {
    std::fprintf(stderr, "nksyssvr: cannot create the service window (error %lu)\n", GetLastError());
    return 1;
  }
  journal::Write("svc", "start");

  win32base::RunMessageLoop();
  return 0;
}

int Notify(std::uint32_t code) {
  auto reached = norvikservice::SendRequest(norvikservice::Request::Notify, 0, &code, sizeof code);
  if (!reached) {
    std::fprintf(stderr, "%s\n", kNoService);
    return 1;
  }
  return 0;
}

int Stop() {
  if (!norvikservice::SendRequest(norvikservice::Request::Stop, 0, nullptr, 0)) {
    std::fprintf(stderr, "%s\n", kNoService);
    return 1;
  }
  // Callers go on to start a new service or check that none runs: return only once it is gone.
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (norvikservice::FindServiceWindow()) {
    if (std::chrono::steady_clock::now() >= deadline) {
      std::fprintf(stderr, "nksyssvr: the service accepted the stop request but is still running\n");
      return 1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  norvikservice::ServiceCommandParse parse = norvikservice::ParseServiceCommand(arguments);
  if (!parse.ok) {
    std::fprintf(stderr, "nksyssvr: %s\n%s\n", parse.error.c_str(), norvikservice::ServiceUsage().c_str());
    return 1;
  }
  switch (parse.command.kind) {
    case norvikservice::ServiceCommand::Kind::Run:
      return RunService();
    case norvikservice::ServiceCommand::Kind::Notify:
      return Notify(parse.command.code);
    case norvikservice::ServiceCommand::Kind::Stop:
      return Stop();
  }
  return 1;
}
