#pragma once

#include <windows.h>

#include <optional>

#include "ServiceProtocol.h"

namespace norvikservice {

// The running service's window in this session, or null.
HWND FindServiceWindow();

// Sends one request and returns the service's reply; nothing when no service runs or it does not answer
// in time. A hung service must never hang its caller, so the wait is bounded.
std::optional<LRESULT> SendRequest(Request request, WPARAM wParam, const void* data, DWORD size);

}  // namespace norvikservice
