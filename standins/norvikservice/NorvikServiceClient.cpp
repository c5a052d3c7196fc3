#include "contract/NorvikServiceLibrary.h"

#include <string>

#include "ServiceConnection.h"
#include "journal/EntryGuard.h"
#include "journal/Journal.h"

namespace {

constexpr journal::EntryReporter kReporter{"NORVIKSERVICE", "svc", false};

std::string Utf8(const wchar_t* text) {
  if (!text || !*text)
    return {};
  int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1)
    return {};
  std::string utf8(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), size, nullptr, nullptr);
  utf8.resize(static_cast<size_t>(size - 1));
  return utf8;
}

std::optional<LRESULT> Send(norvikservice::Request request, HWND window, const wchar_t* clientId) {
  std::wstring id = clientId ? clientId : L"";
  return norvikservice::SendRequest(request, reinterpret_cast<WPARAM>(window), id.data(),
                                    static_cast<DWORD>(id.size() * sizeof(wchar_t)));
}

std::string Subject(HWND window, const wchar_t* clientId) {
  return journal::Hex(reinterpret_cast<UINT_PTR>(window)) + " " + Utf8(clientId);
}

}  // namespace

extern "C" {

// No C++ exception may reach the caller, which may not even be C++: a failure inside reads as "no", and
// says why in the journal and the debugger's output.
NORVIKSERVICE_API int WINAPI NkSysSvr_RegisterNotify(HWND window, const wchar_t* clientId) {
  return journal::GuardEntry<int>(kReporter, "NkSysSvr_RegisterNotify", 0, [&] {
    auto reply = Send(norvikservice::Request::Register, window, clientId);
    bool registered = reply && *reply != 0;
    journal::Write("svc", "register " + Subject(window, clientId) + (registered ? " ok" : " refused"));
    return registered ? 1 : 0;
  });
}

NORVIKSERVICE_API int WINAPI NkSysSvr_UnregisterNotify(HWND window, const wchar_t* clientId) {
  return journal::GuardEntry<int>(kReporter, "NkSysSvr_UnregisterNotify", 0, [&] {
    auto reply = Send(norvikservice::Request::Unregister, window, clientId);
    journal::Write("svc", "unregister " + Subject(window, clientId));
    return reply && *reply != 0 ? 1 : 0;
  });
}
}
