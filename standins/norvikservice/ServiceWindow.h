#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "win32base/BaseWindow.h"
#include "win32base/UniqueHandle.h"

namespace norvikservice {

// The service itself: a hidden top-level window that keeps the registered client windows and posts
// notifications to them. It lives on the thread that runs the message loop.
class ServiceWindow : private win32base::BaseWindow<ServiceWindow> {
 public:
  ServiceWindow() = default;
  ServiceWindow(const ServiceWindow&) = delete;
  ServiceWindow& operator=(const ServiceWindow&) = delete;

  // Creates the window; false (with GetLastError set) when Windows refuses.
  bool Create(HINSTANCE instance);

  // Posts the notification to every registered window that still exists, forgetting the others.
  // Returns the number of windows it reached.
  unsigned NotifyAll(std::uint32_t code);

 private:
  struct Client {
    HWND window;
    std::wstring id;
  };

  friend class win32base::BaseWindow<ServiceWindow>;

  LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
  LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnRequest(HWND client, const COPYDATASTRUCT& request);
  bool Register(HWND client, std::wstring id);
  bool Unregister(HWND client, const std::wstring& id);

  win32base::UniqueWindow window_;
  std::vector<Client> clients_;
};

}  // namespace norvikservice
