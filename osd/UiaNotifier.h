#pragma once

#include <windows.h>

#include <string>

#include "framework/UniqueHandle.h"

struct IRawElementProviderSimple;

// UI Automation's notification of a window, for the readers that listen to UI Automation alone. The
// entries came with Windows 10 1709 and are looked up when the notifier is made: where the system lacks
// them (an older Windows, Wine 8), Raise does nothing.
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

  framework::UniqueModule library_;
  RaiseNotificationEntry raise_ = nullptr;
  HostProviderEntry hostProvider_ = nullptr;
};
