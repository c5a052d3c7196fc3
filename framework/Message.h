#pragma once

#include <windows.h>

namespace framework {

// One window message as the forms' dispatch sees it; a handler may set the result.
struct TMessage {
  UINT Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;
};

}  // namespace framework
