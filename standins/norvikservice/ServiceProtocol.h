#pragma once

// What the client library, the service and its command-line control agree on.

#include <windows.h>

#include <cstdint>

#include "contract/ProcessContract.h"

namespace norvikservice {

// An ordinary hidden top-level window: other processes find it with FindWindow, which cannot see
// message-only windows.
inline constexpr wchar_t kServiceWindowClass[] = L"NkSysSvrWindow";
inline constexpr wchar_t kServiceWindowCaption[] = L"nksyssvr";

// Unprefixed names of kernel objects live in the session's namespace: one service per session.
inline constexpr wchar_t kSingleInstanceMutex[] = L"NkSysSvrSingleInstance";

// Requests reach the service as WM_COPYDATA; dwData names the request.
//   Register, Unregister: wParam is the client window, the data the client id in UTF-16 (no terminator).
//     The reply is 1 when the service accepted (Register) or removed (Unregister) the window.
//   Notify: the data is the 32-bit code; the reply is the number of windows it was posted to.
//   Stop: no data; the reply is 1 and the service ends once the reply is out.
enum class Request : ULONG_PTR { Register = 1, Unregister = 2, Notify = 3, Stop = 4 };

// How registered windows receive notifications.
inline constexpr UINT kNotifyMessage = contract::ServiceNotifyMessage;
inline constexpr WPARAM kNotifyTag = contract::MessageTag;
inline constexpr std::uint32_t kPowerSourceChanged = contract::LevelChangeNotification;

}  // namespace norvikservice
