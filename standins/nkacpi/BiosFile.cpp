#include "BiosFile.h"

#include <fstream>
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
  const std::string tooLarge = PathText(path) + " is larger than the " + std::to_string(kLargestBiosFile) +
                               " bytes a BIOS description may have";
  // The size first, so that a huge file is not even opened; the read is bounded as well, since the file
  // may grow in between.
  if (std::uintmax_t size = std::filesystem::file_size(path, code); !code && size > kLargestBiosFile) {
    error = tooLarge;
    return ReadOutcome::kFailed;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot open " + PathText(path) + " for reading";
    return ReadOutcome::kFailed;
  }
  text.clear();
  char chunk[16384];
  while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
    text.append(chunk, static_cast<std::size_t>(in.gcount()));
    if (text.size() > kLargestBiosFile) {
      text.clear();
      error = tooLarge;
      return ReadOutcome::kFailed;
    }
  }
  if (in.bad()) {
    error = "cannot read " + PathText(path);
    return ReadOutcome::kFailed;
  }
  return ReadOutcome::kRead;
}

}  // namespace nkacpi
