#include <windows.h>

#include "app/ClearOnExit.h"
#include "app/Director.h"
#include "app/Main.h"
#include "app/OsdSettingsReader.h"
#include "framework/Application.h"
#include "framework/Registry.h"
#include "osd/FlashOsdManipulator.h"
#include "osd/ScreenSurvey.h"

void Director::OnHotKey(std::uint32_t code) {
  // Also dropped while a hot key or a notification is being handled: inside its waits (the message to
  // the configuration window, a BIOS item's message box) another may be sent to us, and a showing
  // started there would run inside the one under way.
  if (Busy || Announcing)
    return;
  std::array<std::uint32_t, 3> codes = HotKeyCodes();
  std::uint32_t level = 0;
  while (level < codes.size() && codes[level] != code)
    ++level;
  if (level == codes.size())
    return;
  Announcing = true;
  ClearOnExit announcing(Announcing);
  MainForm->SetLevel(level);
  const OsdPlacement placement = PlaceShowing();
  FlashOsdWindowManipulator::Instance().FitToScreen(placement);
  Busy = true;
  // Until the showing has started, whatever ends this early must not leave every later hot key dropped;
  // once it has, its own end clears Busy. A showing without a picture is over once it is announced.
  ClearOnExit busy(Busy);
  // The level in force, read back: a write that had no effect announces the level that still holds.
  const char* text = MainForm->GetLevelText();
  // The session may have ended inside the item's message box: nothing new goes on the screen then.
  if (framework::Application().Terminated())
    return;
  if (placement.outcome == ShowingOutcome::Shown) {
    FlashClass0Manipulator::Instance().HoldTime = ReadOsdHoldTime();
    FlashClass0Manipulator::Instance().Show(text, 0, 0);
    busy.Keep();
  } else {
    FlashClass0Manipulator::Instance().AnnounceWithoutPicture(text);
  }
  NotifyCompanionWindow();
}

void Director::OnNotify(std::uint32_t code, bool& handled) {
  handled = true;
  if (code != LevelChangeNotification) {
    handled = false;
    return;
  }
  // One that arrives while a hot key or a notification is being handled (sent back by the configuration
  // window, say) announces the level whose showing is already under way: it is dropped.
  if (Announcing)
    return;
  Announcing = true;
  ClearOnExit announcing(Announcing);
  NotifyCompanionWindow();
  // The session may have ended while the configuration window was answering.
  if (framework::Application().Terminated())
    return;
  const OsdPlacement placement = PlaceShowing();
  FlashOsdWindowManipulator::Instance().FitToScreen(placement);
  const char* text = MainForm->GetLevelText();
  if (framework::Application().Terminated())
    return;
  if (placement.outcome == ShowingOutcome::Shown) {
    FlashClass0Manipulator::Instance().HoldTime = ReadOsdHoldTime();
    FlashClass0Manipulator::Instance().Show(text, 0, 0);
  } else {
    FlashClass0Manipulator::Instance().AnnounceWithoutPicture(text);
  }
}

OsdPlacement PlaceShowing() {
  const OsdSettings settings = ReadOsdSettings();
  return DecideOsdPlacement(settings, SurveyScreen(settings));
}

std::array<std::uint32_t, 3> HotKeyCodes() {
  std::array<std::uint32_t, 3> codes = contract::DefaultHotKeyCodes;
  // Read only, and in the 32-bit program's view on every build: a standard user may read the key but
  // not open it for writing, and the suite keeps it in that view.
  framework::TRegistry registry(KEY_READ | KEY_WOW64_32KEY);
  registry.RootKey = HKEY_LOCAL_MACHINE;
  if (!registry.OpenKey(contract::HotKeyRegistryKey))
    return codes;
  for (std::size_t level = 0; level < codes.size(); ++level) {
    const wchar_t* name = contract::HotKeyValueNames[level];
    if (registry.ValueExists(name))
      codes[level] = static_cast<std::uint32_t>(registry.ReadInteger(name));
  }
  return codes;
}

void NotifyCompanionWindow() {
  HWND companion = FindWindowW(contract::CompanionClass, contract::CompanionCaption);
  if (!companion)
    return;
  // Sent and waited for, but a companion that has stopped answering does not hang the program.
  DWORD_PTR reply = 0;
  SendMessageTimeoutA(companion, CompanionMessage, CompanionWParam, CompanionLParam,
                      SMTO_NORMAL | SMTO_ABORTIFHUNG, CompanionReplyTimeout, &reply);
}
