// srlistener.exe: listens as a screen reader of the older interface does, in a process of its own.
//
//   srlistener       hooks the WinEvents that readers speak from a window without the focus (an alert
//                    and a live region's change), out of context, for every process; prints "ready"
//                    once hooked, then one line per event as it comes:
//                      <alert|liveregion> <process id> <hwnd hex> <role> <state hex> <name>
//                    with the object read back through AccessibleObjectFromEvent at once, its role as a
//                    number (-1 when it gave none), its state bits (0xffffffff when it gave none) and
//                    its name in UTF-8 (the rest of the line, empty when it has none). Runs until it is
//                    ended, at most two minutes.
#include <windows.h>
#include <oleacc.h>

#include <cstdio>
#include <string>

namespace {

constexpr DWORD kEventLiveRegionChanged = 0x8019;  // EVENT_OBJECT_LIVEREGIONCHANGED
constexpr UINT kLifetime = 120000;                 // milliseconds

std::string Utf8(const wchar_t* text, UINT length) {
  if (!text || length == 0)
    return {};
  int size = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), utf8.data(), size, nullptr, nullptr);
  return utf8;
}

void Print(const std::string& line) {
  std::fputs((line + "\n").c_str(), stdout);
  std::fflush(stdout);
}

void CALLBACK OnEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG objectId, LONG childId, DWORD,
                      DWORD) noexcept {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  std::string name;
  long role = -1;
  unsigned long state = 0xffffffffUL;
  IAccessible* object = nullptr;
  VARIANT child;
  VariantInit(&child);
  if (SUCCEEDED(AccessibleObjectFromEvent(window, objectId, childId, &object, &child)) && object) {
    BSTR text = nullptr;
    if (object->get_accName(child, &text) == S_OK && text) {
      name = Utf8(text, SysStringLen(text));
      SysFreeString(text);
    }
    VARIANT answer;
    VariantInit(&answer);
    if (object->get_accRole(child, &answer) == S_OK && answer.vt == VT_I4)
      role = answer.lVal;
    VariantClear(&answer);
    if (object->get_accState(child, &answer) == S_OK && answer.vt == VT_I4)
      state = static_cast<unsigned long>(answer.lVal);
    VariantClear(&answer);
    object->Release();
  }
  VariantClear(&child);
  char head[128];
  std::snprintf(head, sizeof head, "%s %lu 0x%llx %ld 0x%lx ",
                event == EVENT_SYSTEM_ALERT ? "alert" : "liveregion", process,
                static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(window)), role, state);
  Print(head + name);
}

}  // namespace

int main() {
  // Single-threaded, as a reader's thread is: the objects read back are proxies whose calls reach the
  // other process while this one pumps its messages.
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
    std::fprintf(stderr, "srlistener: no COM apartment\n");
    return 1;
  }
  HWINEVENTHOOK alert =
      SetWinEventHook(EVENT_SYSTEM_ALERT, EVENT_SYSTEM_ALERT, nullptr, OnEvent, 0, 0, WINEVENT_OUTOFCONTEXT);
  HWINEVENTHOOK live = SetWinEventHook(kEventLiveRegionChanged, kEventLiveRegionChanged, nullptr, OnEvent, 0,
                                       0, WINEVENT_OUTOFCONTEXT);
  if (!alert || !live) {
    std::fprintf(stderr, "srlistener: SetWinEventHook failed (error %lu)\n", GetLastError());
    return 1;
  }
  Print("ready");
  SetTimer(nullptr, 0, kLifetime, nullptr);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (message.message == WM_TIMER && !message.hwnd)
      break;
    DispatchMessageW(&message);
  }
  UnhookWinEvent(live);
  UnhookWinEvent(alert);
  CoUninitialize();
  return 0;
}
