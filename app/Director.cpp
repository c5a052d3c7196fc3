// The Director's life and state. Its routing of codes is in DirectorRouting.cpp: the OSD and the
// showings reach the Director only through the handlers it gives them, and have no business with the
// level item behind the routing.
#include "app/Director.h"

#include <optional>
#include <string>
#include <utility>

#include "contract/TapWatchLibrary.h"
#include "framework/Application.h"
#include "framework/Handler.h"
#include "framework/Text.h"
#include "osd/FlashOsd.h"
#include "osd/FlashOsdManipulator.h"

namespace {

TapWatchEntry Hook = nullptr;
TapWatchEntry Unhook = nullptr;

}  // namespace

Director& Director::Instance() {
  static auto* const director = new Director();  // kept for the life of the process
  return *director;
}

Director::Director() {
  // An 8-bit path, as the hook library has always been loaded: a folder the system code page cannot
  // spell leaves the program without its hook, and it runs on. Its look-alike in the code page would
  // name another folder, whose library must not be taken for ours.
  std::optional<std::string> path =
      framework::NarrowExactly(framework::TApplication::ExeFolder() + TapWatchLibraryFile);
  HMODULE library = path ? LoadLibraryA(path->c_str()) : nullptr;  // never freed: the hook lives in it
  if (library) {
    Hook =
        reinterpret_cast<TapWatchEntry>(reinterpret_cast<void*>(GetProcAddress(library, TapWatchHookName)));
    Unhook =
        reinterpret_cast<TapWatchEntry>(reinterpret_cast<void*>(GetProcAddress(library, TapWatchUnhookName)));
  }
  if (Hook)
    Hook();
  Busy = false;
}

Director::~Director() {
  ReleaseHook();
}

void Director::ReleaseHook() {
  // Once: the library's thread is gone after the first call.
  if (TapWatchEntry unhook = std::exchange(Unhook, nullptr))
    unhook();
}

void Director::Reset() {
  Busy = false;
  FlashClass0Manipulator::Instance().OnShowingEnded =
      framework::MakeHandler<Director, &Director::ClearBusy>(*this);
  FlashOsdForm->OnOsdTimedOut = framework::MakeHandler<Director, &Director::OsdTimedOut>(*this);
  FlashOsdWindowManipulator::Instance().Prepare();
}

void Director::ClearBusy() {
  Busy = false;
}

void Director::OsdTimedOut() {}
