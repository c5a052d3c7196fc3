#include "app/MessageFilter.h"

namespace {

using ChangeWindowMessageFilterProc = BOOL(WINAPI*)(UINT message, DWORD action);

// Looked up rather than imported: older systems have no such function, and the program must still
// start there.
ChangeWindowMessageFilterProc LookUpChangeWindowMessageFilter() {
  HMODULE user32 = GetModuleHandleA("user32.dll");
  if (!user32)
    return nullptr;
  return reinterpret_cast<ChangeWindowMessageFilterProc>(
      reinterpret_cast<void*>(GetProcAddress(user32, "ChangeWindowMessageFilter")));
}

const ChangeWindowMessageFilterProc ChangeWindowMessageFilterEntry = LookUpChangeWindowMessageFilter();

}  // namespace

BOOL MessageFilterAllow(UINT message, DWORD action) {
  if (!ChangeWindowMessageFilterEntry)
    return TRUE;
  return ChangeWindowMessageFilterEntry(message, action);
}
