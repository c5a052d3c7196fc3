#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "BiosFile.h"

namespace nkacpi {

unsigned long ThisProcessId() {
  return static_cast<unsigned long>(::getpid());
}

bool WriteFileAtomically(const std::filesystem::path& path, const std::filesystem::path& temporaryFile,
                         std::string_view text, std::string& error) {
  std::string temporary = temporaryFile.string();
  int file = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (file < 0) {
    error = "cannot create " + temporary + ": " + std::strerror(errno);
    return false;
  }
  std::size_t written = 0;
  while (written < text.size()) {
    ssize_t now = ::write(file, text.data() + written, text.size() - written);
    if (now < 0 && errno == EINTR)
      continue;
    if (now <= 0) {
      error = "cannot write " + temporary + ": " + std::strerror(errno);
      ::close(file);
      ::unlink(temporary.c_str());
      return false;
    }
    written += static_cast<std::size_t>(now);
  }
  // The new text must be on disk before the name points at it.
  bool synced = ::fsync(file) == 0;
  int syncError = errno;
  ::close(file);
  if (!synced || std::rename(temporary.c_str(), path.c_str()) != 0) {
    error = "cannot replace " + PathText(path) + ": " + std::strerror(synced ? errno : syncError);
    ::unlink(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace nkacpi
