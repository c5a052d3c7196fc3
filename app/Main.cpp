#include "app/Main.h"

#include <utility>

#include "app/ClientId.h"
#include "app/Director.h"
#include "app/MessageFilter.h"
#include "framework/Application.h"
#include "win32base/GdiPlusApi.h"
#include "framework/MessageBox.h"
#include "contract/NorvikServiceLibrary.h"

TMainForm* MainForm = nullptr;

namespace {

// GDI+ version 1, no debug callback, its background thread and external codecs allowed.
const GdiplusStartupInput GdiplusInput{1, nullptr, FALSE, FALSE};
ULONG_PTR GdiplusToken = 0;

const framework::TFormDescription MainFormDescription{
    .Caption = contract::MainFormCaption,
    .Left = 0,
    .Top = 0,
    .ClientWidth = 418,
    .ClientHeight = 282,
    .Color = COLOR_BTNFACE,
    .Font = {L"Tahoma", -11},
    .PixelsPerInch = 96,
    .BorderStyle = framework::TBorderStyle::Sizeable,
};

const framework::TButtonDescription HotKeyButtonDescription{
    .Caption = L"Hot Key", .Left = 335, .Top = 249, .Width = 75, .Height = 25, .TabOrder = 0};

}  // namespace

TMainForm::TMainForm()
    : TForm(contract::MainFormClass, MainFormDescription),
      RegisterTimer(RegisterRetryInterval, false),
      HotKeyButton(*this, HotKeyButtonDescription) {
  RegisterTimer.OnTimer = [this](framework::TObject* sender) { OnRegisterTimer(sender); };
  HotKeyButton.OnClick = [this](framework::TObject* sender) { HotKeyButtonClick(sender); };
  OnDestroy = [this](framework::TObject* sender) { FormDestroy(sender); };
  OnEndSession = [this](framework::TObject* sender) { FormEndSession(sender); };

  LevelText.clear();
  GdiplusStartup(&GdiplusToken, &GdiplusInput, nullptr);

  // The service may not be up yet (the program usually starts with the session): keep trying.
  Registered = false;
  TryRegister();
  if (!Registered)
    RegisterTimer.SetEnabled(true);

  if (!FindLevelItem()) {
    // The box blocks start-up until it is dismissed; start-up then finishes and the loop ends at once.
    framework::ShowMessage(UnsupportedModelMessage);
    framework::Application().Terminate();
  }

  MessageFilterAllow(HotKeyMessage, MSGFLT_ADD);
}

void TMainForm::TryRegister() {
  Registered = NkSysSvr_RegisterNotify(Handle(), ClientIdW) != 0;
}

void TMainForm::FormDestroy(framework::TObject*) {
  LevelIcon.Remove();
  GdiplusShutdown(GdiplusToken);
  Unregister();
}

void TMainForm::FormEndSession(framework::TObject*) {
  // No hot key is delivered to a program on its way out.
  Director::ReleaseHook();
  Unregister();
  LevelIcon.CloseMenu();
}

void TMainForm::Unregister() {
  // Marked first: the call waits for the service, and the session may end inside that wait.
  if (std::exchange(unregistered_, true))
    return;
  // Also when no registration ever succeeded: the service may have seen one this form cannot know of.
  NkSysSvr_UnregisterNotify(Handle(), ClientIdW);
}

void TMainForm::OnRegisterTimer(framework::TObject*) {
  TryRegister();
  RegisterTimer.SetEnabled(!Registered);
}

void TMainForm::HotKeyButtonClick(framework::TObject*) {
  // The test path: exactly what the keyboard hook's first default hot key would cause.
  framework::TMessage message{HotKeyMessage, MessageTag, FirstDefaultHotKeyCode, 0};
  OnServiceNotify(message);
  OnHotKeyMessage(message);
}

void TMainForm::StartResident() {
  ShowWindow(framework::Application().Handle(), SW_HIDE);
  Director::Instance().Reset();
  LevelIcon.Start(*this);
}

void TMainForm::Dispatch(framework::TMessage& message) {
  switch (message.Msg) {
    case CloseRequestMessage:
      // Only the low byte is compared: senders of the suite put other bits above the tag.
      if ((message.WParam & 0xFF) == MessageTag) {
        OnCloseRequest(message);
        return;
      }
      break;
    case ServiceNotifyMessage:
      if (message.WParam == MessageTag) {
        OnServiceNotify(message);
        LevelIcon.Refresh(*this);
        return;
      }
      break;
    case HotKeyMessage:
      if (message.WParam == MessageTag) {
        OnHotKeyMessage(message);
        LevelIcon.Refresh(*this);
        return;
      }
      break;
  }
  TForm::Dispatch(message);
}

void TMainForm::OnCloseRequest(framework::TMessage&) {
  LevelIcon.CloseMenu();
  // This form itself, not MainForm: a close request can arrive while the unsupported-model box of the
  // constructor is open, before MainForm is assigned.
  Close();
}

void TMainForm::OnServiceNotify(framework::TMessage& message) {
  // A notification that arrives while start-up still runs (a message box can pump messages) finds
  // nothing ready to announce with: it is dropped.
  if (!framework::Application().Running())
    return;
  bool handled = false;
  Director::Instance().OnNotify(static_cast<std::uint32_t>(message.LParam), handled);
  if (!handled)
    TForm::Dispatch(message);
}

void TMainForm::OnHotKeyMessage(framework::TMessage& message) {
  // The hot-key message is never passed on to default handling; before the message loop runs it is
  // dropped like a notification.
  if (!framework::Application().Running())
    return;
  Director::Instance().OnHotKey(static_cast<std::uint32_t>(message.LParam));
}
