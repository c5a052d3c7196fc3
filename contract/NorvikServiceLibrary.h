#pragma once

// The program's binding of the system service's client library, NORVIKSERVICE.DLL: a window
// registers to receive the service's notifications as message 0x408 with wParam 0x55 and the
// notification code in lParam. The program imports both entries statically by their plain names
// (NorvikService.def beside this header); the stand-in library implements this header.

#include <windows.h>

#ifdef NORVIKSERVICE_BUILDING
#define NORVIKSERVICE_API __declspec(dllexport)
#else
#define NORVIKSERVICE_API __declspec(dllimport)
#endif

extern "C" {

// Non-zero when the running service accepted the window; zero when no service runs or it refused.
NORVIKSERVICE_API int WINAPI NkSysSvr_RegisterNotify(HWND window, const wchar_t* clientId);

// Ends the window's registration. Safe to call when the window was never registered or no service runs.
NORVIKSERVICE_API int WINAPI NkSysSvr_UnregisterNotify(HWND window, const wchar_t* clientId);
}
