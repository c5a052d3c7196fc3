#include "UserBiosCopy.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include "BiosFile.h"

namespace nkacpi {
namespace {

std::wstring EnvironmentValue(const wchar_t* name) {
  DWORD needed = GetEnvironmentVariableW(name, nullptr, 0);
  if (needed == 0)
    return {};
  std::wstring value(needed, L'\0');
  DWORD written = GetEnvironmentVariableW(name, value.data(), needed);
  value.resize(written < needed ? written : 0);
  return value;
}

std::wstring LocalAppData() {
  PWSTR folder = nullptr;
  std::wstring path;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_CREATE, nullptr, &folder)))
    path = folder;
  CoTaskMemFree(folder);
  // A session without a profile folder of its own may still name one.
  return path.empty() ? EnvironmentValue(L"LOCALAPPDATA") : path;
}

std::string ErrorText(DWORD error) {
  return "Windows error " + std::to_string(error);
}

// Copies the shipped file to a name of this process's, which then takes the copy's name unless another
// process made the copy first: no reader ever sees half a copy, and a copy once made is never replaced.
bool Seed(const std::filesystem::path& shipped, const std::filesystem::path& copy, std::string& error) {
  std::filesystem::path temporary = TemporaryFileFor(copy, 0);
  if (!CopyFileW(shipped.c_str(), temporary.c_str(), FALSE)) {
    error =
        "cannot copy " + PathText(shipped) + " to " + PathText(temporary) + ": " + ErrorText(GetLastError());
    return false;
  }
  // The shipped file may carry the read-only attribute of an installed folder; the copy must not.
  SetFileAttributesW(temporary.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (MoveFileExW(temporary.c_str(), copy.c_str(), MOVEFILE_WRITE_THROUGH))
    return true;
  DWORD failure = GetLastError();
  DeleteFileW(temporary.c_str());
  if (failure == ERROR_ALREADY_EXISTS || failure == ERROR_FILE_EXISTS)
    return true;
  error = "cannot make " + PathText(copy) + ": " + ErrorText(failure);
  return false;
}

}  // namespace

std::filesystem::path UserBiosCopyPath() {
  std::wstring folder = LocalAppData();
  if (folder.empty())
    return {};
  return std::filesystem::path(folder) / L"GearShift" / L"bios.txt";
}

std::filesystem::path ChooseBiosFile(const std::filesystem::path& shipped,
                                     const std::function<void(const std::string&)>& problem) {
  std::wstring chosen = EnvironmentValue(L"NKACPI_BIOS");
  if (!chosen.empty())
    return chosen;
  std::filesystem::path copy = UserBiosCopyPath();
  if (copy.empty()) {
    problem("no local application data folder for the user's copy of " + PathText(shipped) +
            "; serving the shipped file, which writes may not reach");
    return shipped;
  }
  if (GetFileAttributesW(copy.c_str()) != INVALID_FILE_ATTRIBUTES)
    return copy;
  // Without a shipped file there is nothing to copy: the machine has no groups, and says where it looked.
  if (GetFileAttributesW(shipped.c_str()) == INVALID_FILE_ATTRIBUTES)
    return shipped;
  std::string error;
  if (!CreateDirectoryW(copy.parent_path().c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
    error = "cannot make " + PathText(copy.parent_path()) + ": " + ErrorText(GetLastError());
  else if (Seed(shipped, copy, error))
    return copy;
  problem(error + "; serving the shipped " + PathText(shipped) + ", which writes may not reach");
  return shipped;
}

}  // namespace nkacpi
