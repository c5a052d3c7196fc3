#include "app/OsdSettingsReader.h"

#include <windows.h>

#include <optional>

#include "contract/ProcessContract.h"
#include "framework/Registry.h"
#include "osd/FlashOsdManipulator.h"

namespace {

std::optional<DWORD> ReadDword(HKEY key, const wchar_t* name) {
  DWORD type = REG_NONE;
  DWORD value = 0;
  DWORD size = sizeof value;
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof value)
    return std::nullopt;
  return value;
}

// The program's key, opened only to read, in the same view as the hot-key codes; nothing when absent.
std::optional<DWORD> ReadProgramValue(const wchar_t* name) {
  framework::TRegistry registry(KEY_READ | KEY_WOW64_32KEY);
  registry.RootKey = HKEY_LOCAL_MACHINE;
  if (!registry.OpenKey(contract::HotKeyRegistryKey))
    return std::nullopt;
  return ReadDword(registry.CurrentKey(), name);
}

constexpr DWORD ShortestHold = 500;
constexpr DWORD LongestHold = 10000;

}  // namespace

OsdSettings ReadOsdSettings() {
  OsdSettings settings;
  // The same key and view as the hot-key codes, opened only to read.
  framework::TRegistry registry(KEY_READ | KEY_WOW64_32KEY);
  registry.RootKey = HKEY_LOCAL_MACHINE;
  if (!registry.OpenKey(contract::HotKeyRegistryKey))
    return settings;
  HKEY key = registry.CurrentKey();
  if (std::optional<DWORD> monitor = ReadDword(key, contract::OsdMonitorValueName); monitor && *monitor <= 2)
    settings.monitor = static_cast<OsdMonitorChoice>(*monitor);
  if (std::optional<DWORD> over = ReadDword(key, contract::OsdOverFullScreenValueName); over && *over <= 2)
    settings.overFullScreen = static_cast<OverFullScreen>(*over);
  if (std::optional<DWORD> show = ReadDword(key, contract::ShowOsdValueName); show && *show <= 1)
    settings.showOsd = *show == 1;
  return settings;
}

std::int32_t ReadOsdHoldTime() {
  std::optional<DWORD> hold = ReadProgramValue(contract::OsdHoldMsValueName);
  if (!hold || *hold < ShortestHold || *hold > LongestHold)
    return MovieEndDelay;
  return static_cast<std::int32_t>(*hold);
}
