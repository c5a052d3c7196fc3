#pragma once

#include <windows.h>

#include "contract/FlashPlayerLibrary.h"

namespace osd {

// The entries of swfhost.dll, once loaded. An entry the library does not have stays null, and nothing
// is ever called through a null entry.
struct FlashPlayerEntries {
  FlashCreateFunction Create = nullptr;
  FlashSetCallbackFunction SetCallback = nullptr;
  FlashCallFunctionFunction CallFunction = nullptr;
  FlashPlayFunction Play = nullptr;
  FlashStopFunction Stop = nullptr;
};

// Loads swfhost.dll by its bare name and looks its five entries up, unless that has succeeded before.
// A failed load leaves everything unset, so the next call tries again; a loaded library stays loaded
// for the life of the process.
void LoadFlashLibrary();

const FlashPlayerEntries& FlashPlayer();

// The library is loaded and has every entry that a showing calls: only then can a movie be created.
bool FlashPlayerComplete();

}  // namespace osd
