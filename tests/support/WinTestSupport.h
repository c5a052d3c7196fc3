#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>

namespace wintest {

// The shipped program folder, as a Windows path that Wine maps onto the build tree.
inline std::wstring DistDir() {
  std::string narrow = GS_DIST_DIR_WIN;
  return std::wstring(narrow.begin(), narrow.end());
}

inline std::wstring DistFile(const std::wstring& name) {
  return DistDir() + L"\\" + name;
}

// Dispatches every message waiting for this thread's windows.
inline void PumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// Pumps messages until the condition holds or the deadline passes; returns the condition's last value.
inline bool WaitUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds deadline = std::chrono::seconds(20)) {
  auto end = std::chrono::steady_clock::now() + deadline;
  for (;;) {
    PumpMessages();
    if (condition())
      return true;
    if (std::chrono::steady_clock::now() >= end)
      return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

}  // namespace wintest
