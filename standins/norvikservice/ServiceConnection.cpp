#include "ServiceConnection.h"

namespace norvikservice {
namespace {

constexpr UINT kReplyTimeoutMs = 1000;

}  // namespace

HWND FindServiceWindow() {
  return FindWindowW(kServiceWindowClass, kServiceWindowCaption);
}

std::optional<LRESULT> SendRequest(Request request, WPARAM wParam, const void* data, DWORD size) {
  HWND service = FindServiceWindow();
  if (!service)
    return std::nullopt;
  COPYDATASTRUCT copy{};
  copy.dwData = static_cast<ULONG_PTR>(request);
  copy.cbData = size;
  copy.lpData = const_cast<void*>(data);
  DWORD_PTR reply = 0;
  if (!SendMessageTimeoutW(service, WM_COPYDATA, wParam, reinterpret_cast<LPARAM>(&copy), SMTO_ABORTIFHUNG,
                           kReplyTimeoutMs, &reply))
    return std::nullopt;
  return static_cast<LRESULT>(reply);
}

}  // namespace norvikservice
