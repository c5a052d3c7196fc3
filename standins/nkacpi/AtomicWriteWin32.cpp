#include <windows.h>

#include "BiosFile.h"
#include "win32base/UniqueHandle.h"

namespace nkacpi {
namespace {

std::string LastErrorText() {
  return "Windows error " + std::to_string(GetLastError());
}

}  // namespace

unsigned long ThisProcessId() {
  return GetCurrentProcessId();
}

bool WriteFileAtomically(const std::filesystem::path& path, const std::filesystem::path& temporaryFile,
                         std::string_view text, std::string& error) {
  std::wstring temporary = temporaryFile.wstring();
  {
    win32base::UniqueFileHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
      error = "cannot create " + PathText(temporary) + ": " + LastErrorText();
      return false;
    }
    DWORD written = 0;
    bool complete = WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                    written == text.size();
    // The new text must be on disk before the name points at it.
    if (!complete || !FlushFileBuffers(file.Get())) {
      error = "cannot write " + PathText(temporary) + ": " + LastErrorText();
      file.Reset();
      DeleteFileW(temporary.c_str());
      return false;
    }
  }
  if (!MoveFileExW(temporary.c_str(), path.wstring().c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = "cannot replace " + PathText(path) + ": " + LastErrorText();
    DeleteFileW(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace nkacpi
