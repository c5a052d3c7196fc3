#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "app/LevelIconLink.h"
#include "bios/BiosItem.h"
#include "contract/ProcessContract.h"
#include "framework/Button.h"
#include "framework/Form.h"
#include "framework/Timer.h"

// The window messages the outside world sends to the main form. Each carries the tag in wParam.
inline constexpr UINT CloseRequestMessage =
    contract::CloseRequestMessage;  // from another program of the suite
inline constexpr UINT ServiceNotifyMessage = contract::ServiceNotifyMessage;  // from the system service
inline constexpr UINT HotKeyMessage = contract::HotKeyMessage;  // from the keyboard hook library
inline constexpr WPARAM MessageTag = contract::MessageTag;
inline constexpr UINT RegisterRetryInterval = 2500;                                // milliseconds
inline constexpr LPARAM FirstDefaultHotKeyCode = contract::DefaultHotKeyCodes[0];  // Ctrl+Alt+A
// The level is the value index of the first item of this BIOS group whose number within it is 1.
inline constexpr std::uint32_t LevelGroup = 0x0F;
inline constexpr std::uint32_t LevelItemNumber = 0x0001;
// Passed with every level written; the ACPI library gives it no other meaning to the program.
inline constexpr std::uint32_t LevelWriteMode = 3;
inline constexpr char UnsupportedModelMessage[] = "This Model does not Support Gear Shift!";

// The program's hidden main window: the one window the service, the keyboard hook and the suite talk
// to. It is never shown.
class TMainForm : public framework::TForm {
 public:
  TMainForm();

  framework::TTimer RegisterTimer;
  framework::TButton HotKeyButton;
  bool Registered = false;
  std::unique_ptr<bios::BiosItemA> LevelItem;  // null on a model without the level item
  std::string LevelText;
  // The value index that the last GetLevelText read, which its text names.
  std::uint32_t LevelIndex = 0;
  // The level's icon in the notification area, when the user has it on.
  LevelIconLink LevelIcon;

  void FormDestroy(framework::TObject* sender);
  // The session ends: the hot keys stop and the service forgets the form before the process may be
  // ended. The form itself stays until the message loop has ended.
  void FormEndSession(framework::TObject* sender);
  void OnRegisterTimer(framework::TObject* sender);
  void HotKeyButtonClick(framework::TObject* sender);
  // The last step of start-up, once both forms exist.
  void StartResident();
  // Looks the level item up in the BIOS; false when this model has none.
  bool FindLevelItem();
  // Writes the level's index when the item has it; anything out of range is left unwritten.
  void SetLevel(std::uint32_t index);
  // The text of the level in force as the BIOS reports it now, valid until the next call.
  const char* GetLevelText();

 protected:
  void Dispatch(framework::TMessage& message) override;

 private:
  void OnCloseRequest(framework::TMessage& message);
  void OnServiceNotify(framework::TMessage& message);
  void OnHotKeyMessage(framework::TMessage& message);
  void TryRegister();
  // Once, whichever of the session's end and the form's destruction comes first.
  void Unregister();

  bool unregistered_ = false;
};

extern TMainForm* MainForm;
