#pragma once

#include <memory>

class TMainForm;
namespace tray {
class LevelNotifyIcon;
}

// The level's icon in the notification area, kept in step with the level in force while the user has
// it on (the program key's "LevelIcon" value 1). Off, it costs one registry read per showing: no icon,
// no shell library, no call to the BIOS. The icon acts only through the main form's own messages, as
// the keyboard hook, the service and the suite do.
class LevelIconLink {
 public:
  LevelIconLink();
  ~LevelIconLink();
  LevelIconLink(const LevelIconLink&) = delete;
  LevelIconLink& operator=(const LevelIconLink&) = delete;

  // Once the level item is known: the icon, if wanted, with the level read now.
  void Start(TMainForm& form);
  // After a hot key or a notification has been handled: the value read again, and the icon made,
  // dropped or brought to the level the form last read.
  void Refresh(TMainForm& form);
  // The program is asked to end: an open menu closes, so that its loop does not hold the end up.
  void CloseMenu();
  // The program ends: the icon leaves the notification area.
  void Remove();

 private:
  std::unique_ptr<tray::LevelNotifyIcon> icon_;
  bool reported_ = false;
};

// Whether the user wants the icon: the value 1, and nothing else.
bool ReadLevelIconSetting();
