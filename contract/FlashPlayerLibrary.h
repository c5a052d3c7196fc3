#pragma once

// The program's binding of the movie player library swfhost.dll: one player window per movie. The
// library is loaded at run time by its bare name and its entries are looked up by these plain names;
// the prototypes below are the one statement of their types and calling convention, which a player
// library implements.

#include <windows.h>
#include <oaidl.h>

#include <cstdint>

extern "C" {

// Called whenever a movie calls out, on the thread that created its player window. The program
// ignores the four arguments.
typedef void(WINAPI* FlashCalloutProc)(std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t);

// A player window for the movie at moviePath (a full path), placed relative to and owned by parent.
// Null when no player can be made.
HWND WINAPI flash_create(HWND parent, BSTR moviePath);

// Sets the one callback of a player window.
int WINAPI flash_setFlashCallCallbackFunc(HWND player, FlashCalloutProc callback);

// Hands the movie a request: the player's external-interface invoke text, as a BSTR in the VARIANT.
// Non-zero when the movie took it, 0 when it refused it; a "show" or "end" that it took is answered with
// one call-out, one that it refused with none.
int WINAPI flash_callFunction(HWND player, VARIANT request);

// Start and stop the movie's own playback. The program looks them up but never calls them.
int WINAPI flash_play(HWND player);
int WINAPI flash_stop(HWND player);
}

namespace osd {

using FlashCreateFunction = decltype(&flash_create);
using FlashSetCallbackFunction = decltype(&flash_setFlashCallCallbackFunc);
using FlashCallFunctionFunction = decltype(&flash_callFunction);
using FlashPlayFunction = decltype(&flash_play);
using FlashStopFunction = decltype(&flash_stop);

inline constexpr char FlashLibraryName[] = "swfhost.dll";

}  // namespace osd
