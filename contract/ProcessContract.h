#pragma once

// What the processes of the suite know of each other: the windows they look for, the messages they
// send, the registry key they share and the codes in it. Every program and library that talks to
// another includes this, so that a name changed here changes on both sides or breaks the build.
// Portable on purpose (no Windows header): the stand-ins' portable cores use the codes too.

#include <array>
#include <cstdint>

namespace contract {

// The program's hidden main form: the window the service, the hook library and the suite talk to.
inline constexpr wchar_t MainFormClass[] = L"TMainForm";
inline constexpr wchar_t MainFormCaption[] = L"GearShift";
// The on-screen display and the movie player's windows in front of it.
inline constexpr wchar_t OsdFormClass[] = L"TFlashOsdForm";
inline constexpr wchar_t OsdFormCaption[] = L"FlashOsdForm";
inline constexpr wchar_t PlayerWindowClass[] = L"SwfHostPlayer";
// Properties of the OSD window that say where the last showing went, for the control tool: the
// outcome (ShowingShown, ShowingNoPictureFullScreen or ShowingOff; absent before the first showing)
// and the monitor's edges, each a signed 32-bit number in the property's value.
inline constexpr wchar_t LastShowingProperty[] = L"GearShift.LastShowing";
inline constexpr std::array<const wchar_t*, 4> LastMonitorProperties{
    L"GearShift.MonitorLeft", L"GearShift.MonitorTop", L"GearShift.MonitorRight", L"GearShift.MonitorBottom"};
inline constexpr std::uint32_t ShowingShown = 1;
inline constexpr std::uint32_t ShowingNoPictureFullScreen = 2;
inline constexpr std::uint32_t ShowingOff = 3;
// The suite's configuration window, told of every level announced.
inline constexpr wchar_t CompanionClass[] = L"TfrmGearMain";
inline constexpr wchar_t CompanionCaption[] = L"GearMain";

// The messages to the main form, each with the tag in wParam.
inline constexpr std::uint32_t CloseRequestMessage = 0x400;   // WM_USER: from another program of the suite
inline constexpr std::uint32_t ServiceNotifyMessage = 0x408;  // from the system service, the code in lParam
inline constexpr std::uint32_t HotKeyMessage = 0x467;         // from the hook library, the code in lParam
inline constexpr std::uint32_t MessageTag = 0x55;
// The service's notification that the level may have changed (the power source did).
inline constexpr std::uint32_t LevelChangeNotification = 0xA0060000;
// The message to the configuration window, with its fixed wParam and lParam.
inline constexpr std::uint32_t CompanionMessage = 0x7ED;  // WM_USER + 1005
inline constexpr std::uint32_t CompanionWParam = 99;
inline constexpr std::uint32_t CompanionLParam = 99;

// The hot-key codes of levels 0, 1 and 2: values "1", "2" and "3" (32-bit numbers) under this key of
// HKEY_LOCAL_MACHINE, in the 32-bit view; a value that is absent keeps its default.
inline constexpr wchar_t HotKeyRegistryKey[] = L"SOFTWARE\\NORVIK\\TUNEDECK_II\\Gear Shift";
inline constexpr std::array<const wchar_t*, 3> HotKeyValueNames{L"1", L"2", L"3"};
inline constexpr std::array<std::uint32_t, 3> DefaultHotKeyCodes{0x5000041, 0x5000042, 0x5000043};
// Where the OSD shows, beside the hot-key codes under the same key (32-bit numbers, read only).
inline constexpr wchar_t OsdMonitorValueName[] = L"OsdMonitor";
inline constexpr wchar_t OsdOverFullScreenValueName[] = L"OsdOverFullScreen";
inline constexpr wchar_t ShowOsdValueName[] = L"ShowOsd";
// How long the movie stays after its first call-out before it is told to end, in milliseconds.
inline constexpr wchar_t OsdHoldMsValueName[] = L"OsdHoldMs";
// 1: the level in force is shown by an icon in the notification area; anything else, no icon.
inline constexpr wchar_t LevelIconValueName[] = L"LevelIcon";
// The icon's own hidden window (class and caption), the message the shell tells it of the user's
// doings with, and the icon's number among the window's.
inline constexpr wchar_t LevelIconClass[] = L"GearShiftLevelIcon";
inline constexpr wchar_t LevelIconCaption[] = L"Gear Shift";
inline constexpr std::uint32_t LevelIconCallbackMessage = 0x8001;  // WM_APP + 1
inline constexpr std::uint32_t LevelIconId = 1;

}  // namespace contract
