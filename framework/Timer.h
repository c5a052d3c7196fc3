#pragma once

#include <windows.h>

#include "framework/Object.h"
#include "framework/UniqueHandle.h"
#include "framework/WindowHost.h"

namespace framework {

// A window timer of the thread that creates it: OnTimer runs inside that thread's message dispatch,
// every Interval milliseconds while Enabled.
class TTimer : public TObject, private WindowHost {
 public:
  explicit TTimer(UINT interval = 1000, bool enabled = true);
  ~TTimer() override;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  UINT Interval() const { return interval_; }
  void SetInterval(UINT interval);

  TNotifyEvent OnTimer;

 private:
  void Update();
  LRESULT HandleMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) noexcept override;

  UniqueWindow window_;
  UINT interval_;
  bool enabled_;
};

}  // namespace framework
