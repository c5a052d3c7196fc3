#include "framework/Timer.h"

#include "framework/Application.h"

namespace framework {
namespace {
constexpr UINT_PTR kTimerId = 1;
}

TTimer::TTimer(UINT interval, bool enabled) : interval_(interval), enabled_(enabled) {
  window_.Reset(CreateMessageWindow(*this));
  Update();
}

TTimer::~TTimer() {
  if (window_)
    KillTimer(window_.Get(), kTimerId);
}

void TTimer::SetEnabled(bool enabled) {
  if (enabled == enabled_)
    return;
  enabled_ = enabled;
  Update();
}

void TTimer::SetInterval(UINT interval) {
  if (interval == interval_)
    return;
  interval_ = interval;
  Update();
}

void TTimer::Update() {
  // Restarting rather than adjusting: a changed interval counts from now, as the user of it expects.
  KillTimer(window_.Get(), kTimerId);
  if (enabled_ && interval_ > 0)
    SetTimer(window_.Get(), kTimerId, interval_, nullptr);
}

LRESULT TTimer::HandleMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
  if (msg == WM_TIMER && wParam == kTimerId) {
    try {
      if (enabled_ && OnTimer)
        OnTimer(this);
    } catch (...) {
      Application().HandleException();
    }
    return 0;
  }
  return DefWindowProcW(window, msg, wParam, lParam);
}

}  // namespace framework
