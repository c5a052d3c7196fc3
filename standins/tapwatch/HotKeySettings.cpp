#include "HotKeySettings.h"

#include <optional>
#include <string>

#include "HotKeyCode.h"
#include "contract/ProcessContract.h"

namespace tapwatch {
namespace {

// Every open names the 32-bit view, which is the program's on every build.
constexpr REGSAM kView = KEY_WOW64_32KEY;

std::wstring ParentOf(const std::wstring& path) {
  auto cut = path.rfind(L'\\');
  return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut);
}

}  // namespace

std::array<std::uint32_t, 3> HotKeySettings::Read() {
  // Watched before reading: a change that lands between the two is then read again, not lost.
  Watch();
  std::array<std::optional<std::uint32_t>, 3> values;
  HKEY opened = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, contract::HotKeyRegistryKey, 0, KEY_QUERY_VALUE | kView, &opened) ==
      ERROR_SUCCESS) {
    win32base::UniqueRegistryKey key(opened);
    const auto& names = contract::HotKeyValueNames;
    for (std::size_t level = 0; level < values.size(); ++level) {
      DWORD type = REG_NONE, value = 0, size = sizeof value;
      // A longer value (a string, say) does not fit and is refused here like any other kind.
      if (RegQueryValueExW(key.Get(), names[level], nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) ==
              ERROR_SUCCESS &&
          type == REG_DWORD && size == sizeof value)
        values[level] = value;
    }
  }
  return ConfiguredCodes(values);
}

void HotKeySettings::Watch() {
  // Closing a watched key may signal its event, now or a little later: each watch gets an event of its
  // own, so that the end of the old one is not taken for a change.
  watched_.Reset();
  changed_.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!changed_) {
    OutputDebugStringW(
        L"TapWatch32: cannot watch the hot-key codes in the registry; changes to them take "
        L"effect only after a restart\n");
    return;
  }
  // The key's parent, watched with its subtree, sees the key's values change and the key itself come and
  // go. While the parent is missing too, the nearest ancestor that exists is watched for keys appearing
  // below it; its values are not the program's business.
  const std::wstring key = contract::HotKeyRegistryKey;
  const std::wstring parent = ParentOf(key);
  for (std::wstring path = parent; !path.empty(); path = ParentOf(path)) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_NOTIFY | kView, &opened) != ERROR_SUCCESS)
      continue;
    watched_.Reset(opened);
    DWORD filter = REG_NOTIFY_CHANGE_NAME | (path == parent ? REG_NOTIFY_CHANGE_LAST_SET : 0);
    LSTATUS status = RegNotifyChangeKeyValue(opened, TRUE, filter, changed_.Get(), TRUE);
    if (status != ERROR_SUCCESS) {
      watched_.Reset();
      changed_.Reset();
      OutputDebugStringW((L"TapWatch32: cannot watch HKLM\\" + path + L" (error " + std::to_wstring(status) +
                          L"); changes to the hot-key codes take effect only after a restart\n")
                             .c_str());
    }
    return;
  }
  changed_.Reset();
  OutputDebugStringW(L"TapWatch32: no part of the hot-key codes' registry path can be opened\n");
}

}  // namespace tapwatch
