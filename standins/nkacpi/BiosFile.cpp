#include "BiosFile.h"

#include <fstream>
#include <iterator>
#include <system_error>

namespace nkacpi {

std::string PathText(const std::filesystem::path& path) {
  std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

std::filesystem::path TemporaryFileFor(const std::filesystem::path& file, std::uint32_t serial) {
  std::filesystem::path temporary = file;
  temporary += "." + std::to_string(ThisProcessId()) + "-" + std::to_string(serial) + ".tmp";
  return temporary;
}

ReadOutcome ReadWholeFile(const std::filesystem::path& path, std::string& text, std::string& error) {
  std::error_code code;
  if (!std::filesystem::exists(path, code))
    return code ? (error = "cannot reach " + PathText(path) + ": " + code.message(), ReadOutcome::kFailed)
                : ReadOutcome::kMissing;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot open " + PathText(path) + " for reading";
    return ReadOutcome::kFailed;
  }
  text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (in.bad()) {
    error = "cannot read " + PathText(path);
    return ReadOutcome::kFailed;
  }
  return ReadOutcome::kRead;
}

}  // namespace nkacpi
