#pragma once

#include <stdexcept>
#include <string>

namespace framework {

// The exception the application's standard report shows with its message.
class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
  std::string Message() const { return what(); }
};

}  // namespace framework
