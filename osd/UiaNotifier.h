#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>

struct IRawElementProviderSimple;

// UI Automation's notification of a window, for the readers that listen to UI Automation alone. The
// entries came with Windows 10 1709 and are looked up once: where the system lacks them (an older
// Windows, Wine 8), Raise does nothing. Their library stays loaded for the life of the process, as
// every library looked up at run time does: the COM objects it hands out may outlive any one user of
// it, up to the apartment's end.
class UiaNotifier {
 public:
  UiaNotifier();

  bool Available() const { return raise_ && hostProvider_; }
  // Asks the readers to speak text now, for the window, ahead of what they had queued of it before.
  void Raise(HWND window, const std::wstring& text) const;

 private:
  using RaiseNotificationEntry = HRESULT(WINAPI*)(IRawElementProviderSimple* provider, int kind,
                                                  int processing, BSTR displayString, BSTR activityId);
  using HostProviderEntry = HRESULT(WINAPI*)(HWND window, IRawElementProviderSimple** provider);

  RaiseNotificationEntry raise_ = nullptr;
  HostProviderEntry hostProvider_ = nullptr;
};
