#include "osd/UiaNotifier.h"

#include <uiautomationcore.h>

#include "framework/UniqueHandle.h"

namespace {

// From UI Automation's NotificationKind and NotificationProcessing, which the headers at hand lack.
constexpr int NotificationKindActionCompleted = 2;
constexpr int NotificationProcessingImportantMostRecent = 1;
// Lets a reader tell one level announcement from another and drop the older one still queued.
constexpr wchar_t ActivityId[] = L"GearShift.Level";

template <typename Entry>
Entry LookUp(HMODULE library, const char* name) {
  return reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

}  // namespace

UiaNotifier::UiaNotifier() {
  // From the system folder only: a copy beside the program must not be loaded in its place. Never freed:
  // its objects may be released as late as CoUninitialize.
  static const HMODULE library =
      LoadLibraryExW(L"uiautomationcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!library)
    return;
  raise_ = LookUp<RaiseNotificationEntry>(library, "UiaRaiseNotificationEvent");
  hostProvider_ = LookUp<HostProviderEntry>(library, "UiaHostProviderFromHwnd");
  if (!Available()) {
    raise_ = nullptr;
    hostProvider_ = nullptr;
  }
}

void UiaNotifier::Raise(HWND window, const std::wstring& text) const {
  if (!Available())
    return;
  IRawElementProviderSimple* provider = nullptr;
  if (FAILED(hostProvider_(window, &provider)) || !provider)
    return;
  framework::UniqueBstr display(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
  framework::UniqueBstr activity(SysAllocString(ActivityId));
  if (display && activity)
    raise_(provider, NotificationKindActionCompleted, NotificationProcessingImportantMostRecent,
           display.Get(), activity.Get());
  provider->Release();
}
