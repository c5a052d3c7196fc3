#include "osd/FlashPlayer.h"

namespace osd {
namespace {

HMODULE FlashLibrary = nullptr;  // never unloaded: player windows live as long as the process
FlashPlayerEntries Entries;

template <typename Function>
Function LookUp(const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(FlashLibrary, name)));
}

}  // namespace

void LoadFlashLibrary() {
  if (FlashLibrary)
    return;
  FlashLibrary = LoadLibraryA(FlashLibraryName);
  if (!FlashLibrary)
    return;
  Entries.Create = LookUp<FlashCreateFunction>("flash_create");
  Entries.SetCallback = LookUp<FlashSetCallbackFunction>("flash_setFlashCallCallbackFunc");
  Entries.CallFunction = LookUp<FlashCallFunctionFunction>("flash_callFunction");
  Entries.Play = LookUp<FlashPlayFunction>("flash_play");
  Entries.Stop = LookUp<FlashStopFunction>("flash_stop");
}

const FlashPlayerEntries& FlashPlayer() {
  return Entries;
}

bool FlashPlayerComplete() {
  // flash_play and flash_stop are looked up but never called: a library without them plays as well.
  return Entries.Create && Entries.SetCallback && Entries.CallFunction;
}

}  // namespace osd
