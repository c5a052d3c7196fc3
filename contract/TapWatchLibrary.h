#pragma once

// The program's binding of the keyboard hook library, TapWatch32.dll, loaded from the program's folder
// and bound by name at run time. Hook starts delivering the configured hot keys to the main form as
// message 0x467 with wParam 0x55 and the code in lParam; Unhook stops it, and the library's own thread
// with it. Neither takes arguments or returns anything the program uses.

#include <windows.h>

using TapWatchEntry = void(WINAPI*)();

inline constexpr wchar_t TapWatchLibraryFile[] = L"TapWatch32.dll";
inline constexpr char TapWatchHookName[] = "Hook";
inline constexpr char TapWatchUnhookName[] = "Unhook";
