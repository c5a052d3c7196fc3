#include "osd/OsdAccessible.h"

#include <new>

namespace {

bool IsSelf(const VARIANT& child) {
  return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

}  // namespace

OsdAccessible* OsdAccessible::Create(HWND window) {
  Microsoft::WRL::ComPtr<IAccessible> own;
  if (FAILED(CreateStdAccessibleObject(window, OBJID_CLIENT, __uuidof(IAccessible),
                                       reinterpret_cast<void**>(own.GetAddressOf()))) ||
      !own)
    return nullptr;
  return new (std::nothrow) OsdAccessible(std::move(own));
}

HRESULT OsdAccessible::QueryInterface(REFIID riid, void** object) {
  if (!object)
    return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDispatch || riid == __uuidof(IAccessible)) {
    *object = static_cast<IAccessible*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG OsdAccessible::AddRef() {
  return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG OsdAccessible::Release() {
  LONG left = InterlockedDecrement(&references_);
  if (left == 0)
    delete this;
  return static_cast<ULONG>(left);
}

// Late binding would reach the system object's own name and role through its type information, not
// ours: readers call the interface directly, and a script is told that there is nothing to bind to.
HRESULT OsdAccessible::GetTypeInfoCount(UINT* count) {
  if (!count)
    return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT OsdAccessible::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info)
    *info = nullptr;
  return E_NOTIMPL;
}

HRESULT OsdAccessible::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
  return E_NOTIMPL;
}

HRESULT OsdAccessible::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
  return E_NOTIMPL;
}

HRESULT OsdAccessible::get_accParent(IDispatch** parent) {
  return own_->get_accParent(parent);
}

HRESULT OsdAccessible::get_accChildCount(LONG* count) {
  return own_->get_accChildCount(count);
}

HRESULT OsdAccessible::get_accChild(VARIANT child, IDispatch** object) {
  return own_->get_accChild(child, object);
}

HRESULT OsdAccessible::get_accName(VARIANT child, BSTR* name) {
  if (!IsSelf(child))
    return own_->get_accName(child, name);
  if (!name)
    return E_POINTER;
  // Not the window's caption: that names the window for the program's own tools, and says nothing.
  if (name_.empty()) {
    *name = nullptr;
    return S_FALSE;
  }
  *name = SysAllocStringLen(name_.data(), static_cast<UINT>(name_.size()));
  return *name ? S_OK : E_OUTOFMEMORY;
}

HRESULT OsdAccessible::get_accValue(VARIANT child, BSTR* value) {
  return own_->get_accValue(child, value);
}

HRESULT OsdAccessible::get_accDescription(VARIANT child, BSTR* description) {
  return own_->get_accDescription(child, description);
}

HRESULT OsdAccessible::get_accRole(VARIANT child, VARIANT* role) {
  if (!IsSelf(child))
    return own_->get_accRole(child, role);
  if (!role)
    return E_POINTER;
  // A reader speaks an alert's name when the alert is raised, from whichever window has the focus.
  VariantInit(role);
  role->vt = VT_I4;
  role->lVal = ROLE_SYSTEM_ALERT;
  return S_OK;
}

HRESULT OsdAccessible::get_accState(VARIANT child, VARIANT* state) {
  HRESULT result = own_->get_accState(child, state);
  if (!IsSelf(child) || name_.empty() || result != S_OK || !state || state->vt != VT_I4)
    return result;
  // Without a picture the OSD stays hidden while a reader reads its announcement back, and readers pass
  // over objects that say they are invisible: while it has something to say, it says what a shown alert
  // would.
  state->lVal &= ~static_cast<LONG>(STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN);
  return result;
}

HRESULT OsdAccessible::get_accHelp(VARIANT child, BSTR* help) {
  return own_->get_accHelp(child, help);
}

HRESULT OsdAccessible::get_accHelpTopic(BSTR* helpFile, VARIANT child, LONG* topic) {
  return own_->get_accHelpTopic(helpFile, child, topic);
}

HRESULT OsdAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
  return own_->get_accKeyboardShortcut(child, shortcut);
}

HRESULT OsdAccessible::get_accFocus(VARIANT* child) {
  return own_->get_accFocus(child);
}

HRESULT OsdAccessible::get_accSelection(VARIANT* children) {
  return own_->get_accSelection(children);
}

HRESULT OsdAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
  return own_->get_accDefaultAction(child, action);
}

HRESULT OsdAccessible::accSelect(LONG flags, VARIANT child) {
  return own_->accSelect(flags, child);
}

HRESULT OsdAccessible::accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) {
  return own_->accLocation(left, top, width, height, child);
}

HRESULT OsdAccessible::accNavigate(LONG direction, VARIANT start, VARIANT* end) {
  return own_->accNavigate(direction, start, end);
}

HRESULT OsdAccessible::accHitTest(LONG left, LONG top, VARIANT* child) {
  return own_->accHitTest(left, top, child);
}

HRESULT OsdAccessible::accDoDefaultAction(VARIANT child) {
  return own_->accDoDefaultAction(child);
}

HRESULT OsdAccessible::put_accName(VARIANT child, BSTR name) {
  return own_->put_accName(child, name);
}

HRESULT OsdAccessible::put_accValue(VARIANT child, BSTR value) {
  return own_->put_accValue(child, value);
}
