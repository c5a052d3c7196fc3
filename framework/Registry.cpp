#include "framework/Registry.h"

#include "framework/Exception.h"
#include "framework/Text.h"

namespace framework {

TRegistry::TRegistry(REGSAM access) : access_(access) {}

bool TRegistry::OpenKey(const std::wstring& path) {
  CloseKey();
  HKEY key = nullptr;
  if (RegOpenKeyExW(RootKey, path.c_str(), 0, access_, &key) != ERROR_SUCCESS)
    return false;
  key_.Reset(key);
  return true;
}

void TRegistry::CloseKey() {
  key_.Reset();
}

bool TRegistry::ValueExists(const std::wstring& name) const {
  return key_ &&
         RegQueryValueExW(key_.Get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

std::int32_t TRegistry::ReadInteger(const std::wstring& name) const {
  DWORD type = REG_NONE;
  DWORD data = 0;
  DWORD size = sizeof(data);
  LSTATUS status = ERROR_INVALID_HANDLE;
  if (key_)
    status =
        RegQueryValueExW(key_.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data), &size);
  // More data than a DWORD holds is the wrong type just as well, whatever type it claims.
  if (status == ERROR_MORE_DATA || (status == ERROR_SUCCESS && (type != REG_DWORD || size != sizeof(data))))
    throw Exception("Invalid data type for '" + Narrow(name) + "'");
  if (status != ERROR_SUCCESS)
    throw Exception("Cannot read value '" + Narrow(name) + "'");
  return static_cast<std::int32_t>(data);
}

}  // namespace framework
