#include "osd/OsdAnnouncer.h"

namespace {

// UI Automation's LiveSetting property and its Assertive value, spelled out: the headers at hand lack
// them, and the property's GUID is all that IAccPropServices needs.
constexpr GUID LiveSettingProperty = {
    0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};
constexpr LONG LiveSettingAssertive = 2;
// EVENT_OBJECT_LIVEREGIONCHANGED, which the headers give only to programs for Windows 8 and later; an
// older system passes it on like any other event number.
constexpr DWORD EventLiveRegionChanged = 0x8019;

// The object id of WM_GETOBJECT is 32 bits, whatever the width of lParam.
LONG ObjectIdOf(LPARAM lParam) {
  return static_cast<LONG>(static_cast<DWORD>(lParam));
}

}  // namespace

OsdAnnouncer::~OsdAnnouncer() {
  Detach();
}

void OsdAnnouncer::Attach(HWND window) {
  window_ = window;
  if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                              reinterpret_cast<void**>(properties_.GetAddressOf()))) ||
      !properties_)
    return;
  VARIANT assertive;
  VariantInit(&assertive);
  assertive.vt = VT_I4;
  assertive.lVal = LiveSettingAssertive;
  if (FAILED(properties_->SetHwndProp(window_, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                      LiveSettingProperty, assertive)))
    properties_.Reset();  // nothing was set, so there is nothing to clear
}

void OsdAnnouncer::Detach() {
  if (properties_) {
    MSAAPROPID marked = LiveSettingProperty;
    properties_->ClearHwndProps(window_, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &marked, 1);
    properties_.Reset();
  }
  if (accessible_) {
    // A reader may still hold it: its calls must not reach a window or a form that is gone.
    CoDisconnectObject(accessible_.Get(), 0);
    accessible_.Reset();
  }
  window_ = nullptr;
}

void OsdAnnouncer::Announce(const std::wstring& text) {
  name_ = text;
  // A reader takes the events later, from its own process, and reads the name back then: what is
  // announced with nothing on the screen has no hiding to wait for, and keeps its name until the next.
  withoutPicture_ = !window_ || !IsWindowVisible(window_);
  if (accessible_)
    accessible_->SetName(name_);
  if (!window_ || name_.empty())
    return;
  // Out of context, both reach a reader as posted events: it reads the name back through
  // WM_GETOBJECT once it takes them, and nothing here waits for it.
  NotifyWinEvent(EventLiveRegionChanged, window_, OBJID_CLIENT, CHILDID_SELF);
  NotifyWinEvent(EVENT_SYSTEM_ALERT, window_, OBJID_CLIENT, CHILDID_SELF);
  uia_.Raise(window_, name_);
}

void OsdAnnouncer::Silence() {
  if (withoutPicture_)
    return;
  name_.clear();
  if (accessible_)
    accessible_->SetName(name_);
}

bool OsdAnnouncer::AnswerGetObject(WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (!window_ || ObjectIdOf(lParam) != OBJID_CLIENT)
    return false;
  if (!accessible_) {
    accessible_.Attach(OsdAccessible::Create(window_));
    if (!accessible_)
      return false;
    accessible_->SetName(name_);
  }
  LRESULT answer = LresultFromObject(__uuidof(IAccessible), wParam, accessible_.Get());
  // A failure is a negative HRESULT; the system's own object serves the reader then.
  if (FAILED(static_cast<HRESULT>(answer)))
    return false;
  result = answer;
  return true;
}
