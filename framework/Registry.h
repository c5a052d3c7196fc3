#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "framework/Object.h"
#include "framework/UniqueHandle.h"

namespace framework {

// Reads values of one registry key at a time, opened below RootKey with the access given at
// construction (KEY_WOW64_32KEY there picks the 32-bit view on every build).
class TRegistry : public TObject {
 public:
  explicit TRegistry(REGSAM access = KEY_READ);

  // Opens an existing key below RootKey, closing the open one first; never creates it. False when the
  // key cannot be opened (then no key is open).
  bool OpenKey(const std::wstring& path);
  void CloseKey();
  HKEY CurrentKey() const { return key_.Get(); }

  // False as well when no key is open.
  bool ValueExists(const std::wstring& name) const;
  // The REG_DWORD value. A value that cannot be read, or holds anything but a DWORD, throws Exception
  // naming the value.
  std::int32_t ReadInteger(const std::wstring& name) const;

  HKEY RootKey = HKEY_CURRENT_USER;

 private:
  REGSAM access_;
  UniqueRegistryKey key_;
};

}  // namespace framework
