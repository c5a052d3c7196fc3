#include "ServiceWindow.h"

#include <algorithm>
#include <cstring>

#include "ServiceProtocol.h"
#include "journal/Journal.h"
#include "win32base/OwnedWindow.h"

namespace norvikservice {

bool ServiceWindow::Create(HINSTANCE instance) {
  WNDCLASSEXW windowClass = WindowClass(kServiceWindowClass, instance);
  if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    return false;
  // Top-level (not message-only) so that clients can find it and power broadcasts reach it.
  return CreateWindowExW(0, kServiceWindowClass, kServiceWindowCaption, WS_OVERLAPPED, 0, 0, 0, 0, nullptr,
                         nullptr, instance, this) != nullptr;
}

LRESULT ServiceWindow::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  // A request that fails (out of memory, say) is refused; the service keeps running.
  return win32base::OwnedWindowMessage(
      window_, window, message, wParam, lParam, [&] { return Dispatch(message, wParam, lParam); },
      [] { return LRESULT{0}; });
}

LRESULT ServiceWindow::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COPYDATA:
      return OnRequest(reinterpret_cast<HWND>(wParam), *reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case WM_POWERBROADCAST:
      if (wParam == PBT_APMPOWERSTATUSCHANGE)
        NotifyAll(kPowerSourceChanged);
      return TRUE;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window_.Get(), message, wParam, lParam);
}

LRESULT ServiceWindow::OnRequest(HWND client, const COPYDATASTRUCT& request) {
  switch (static_cast<Request>(request.dwData)) {
    case Request::Register:
    case Request::Unregister: {
      std::wstring id(static_cast<const wchar_t*>(request.lpData), request.cbData / sizeof(wchar_t));
      if (static_cast<Request>(request.dwData) == Request::Register)
        return Register(client, std::move(id)) ? 1 : 0;
      return Unregister(client, id) ? 1 : 0;
    }
    case Request::Notify: {
      if (request.cbData != sizeof(std::uint32_t))
        return 0;
      std::uint32_t code = 0;
      std::memcpy(&code, request.lpData, sizeof code);
      return static_cast<LRESULT>(NotifyAll(code));
    }
    case Request::Stop:
      // Posted, so the requester gets its reply before the window goes.
      PostMessageW(window_.Get(), WM_CLOSE, 0, 0);
      return 1;
  }
  return 0;
}

bool ServiceWindow::Register(HWND client, std::wstring id) {
  if (!IsWindow(client) || id.empty())
    return false;
  // One registration per window: registering again only renames it, so it is never notified twice.
  auto known =
      std::find_if(clients_.begin(), clients_.end(), [&](const Client& c) { return c.window == client; });
  if (known != clients_.end())
    known->id = std::move(id);
  else
    clients_.push_back({client, std::move(id)});
  return true;
}

bool ServiceWindow::Unregister(HWND client, const std::wstring& id) {
  auto removed = std::erase_if(clients_, [&](const Client& c) { return c.window == client && c.id == id; });
  return removed > 0;
}

unsigned ServiceWindow::NotifyAll(std::uint32_t code) {
  // A window handle of a client that is gone may be reused by an unrelated window later; dropping it at
  // once keeps the service from ever posting to a stranger.
  std::erase_if(clients_, [](const Client& c) { return !IsWindow(c.window); });
  unsigned reached = 0;
  for (const Client& client : clients_) {
    if (PostMessageW(client.window, kNotifyMessage, kNotifyTag, static_cast<LPARAM>(code))) {
      journal::Write("svc", "notify " + journal::Hex(reinterpret_cast<UINT_PTR>(client.window)) + " " +
                                journal::Hex(code));
      ++reached;
    }
  }
  return reached;
}

}  // namespace norvikservice
