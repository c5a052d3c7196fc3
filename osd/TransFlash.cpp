#include "osd/TransFlash.h"

#include "osd/FlashPlayer.h"

std::vector<TTransFlash*> FlashList;

TTransFlash* TTransFlash::Create(TTransFlash* wrapper, HWND parent, const std::wstring&, BSTR path) {
  wrapper->Name.clear();
  osd::LoadFlashLibrary();
  wrapper->OffsetY = 0;
  wrapper->OffsetX = 0;
  wrapper->ListHidden = false;
  wrapper->Visible = false;
  wrapper->ParentWindow = parent;
  const auto& player = osd::FlashPlayer();
  wrapper->PlayerWindow = player.Create ? player.Create(parent, path) : nullptr;
  FlashList.push_back(wrapper);
  return wrapper;
}

BOOL TTransFlash::SetPosition(int x, int y) {
  OffsetX = x;
  OffsetY = y;
  return Reposition();
}

BOOL TTransFlash::SetSize(int width, int height) {
  Width = width;
  Height = height;
  return SetWindowPos(PlayerWindow, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL TTransFlash::SetBounds(int x, int y, int width, int height) {
  SetPosition(x, y);
  return SetSize(width, height);
}

BOOL TTransFlash::Reposition() {
  // The offsets count from where the parent is at this moment; a later move of the parent is not
  // followed until the next call.
  RECT parent{};
  GetWindowRect(ParentWindow, &parent);
  return SetWindowPos(PlayerWindow, nullptr, parent.left + OffsetX, parent.top + OffsetY, 0, 0,
                      SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL TTransFlash::SetVisible(bool visible) {
  Visible = visible;
  return ApplyVisibility();
}

BOOL TTransFlash::ListHide() {
  ListHidden = true;
  return ApplyVisibility();
}

BOOL TTransFlash::ListRestore() {
  ListHidden = false;
  return ApplyVisibility();
}

BOOL TTransFlash::ApplyVisibility() {
  // A player library need not refuse the activation itself, and a window placed or shown without
  // SWP_NOACTIVATE takes it: the program in front (a game, say) would lose the foreground and may
  // minimise. The OSD is never activated, its players no more than its form.
  UINT flags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;
  if (ListHidden)
    flags |= SWP_HIDEWINDOW;
  else
    flags |= Visible ? SWP_SHOWWINDOW : SWP_HIDEWINDOW;
  return SetWindowPos(PlayerWindow, nullptr, 0, 0, 0, 0, flags);
}

void TTransFlash::SetCallback(FlashCalloutProc callback) {
  const auto& player = osd::FlashPlayer();
  if (player.SetCallback)
    player.SetCallback(PlayerWindow, callback);
}

int TTransFlash::CallFunction(BSTR request) {
  const auto& player = osd::FlashPlayer();
  if (!player.CallFunction)
    return 0;
  // The platform's own VARIANT: on i686 its 16 bytes carry the BSTR in bytes 8..11.
  VARIANT block;
  VariantInit(&block);
  block.vt = VT_BSTR;
  block.bstrVal = request;
  return player.CallFunction(PlayerWindow, block);
}

void ForEachFlash(int op) {
  // The length is read again before each step.
  for (size_t i = 0; i < FlashList.size(); ++i) {
    TTransFlash* flash = FlashList[i];
    switch (op) {
      case FlashOpReposition:
        flash->Reposition();
        break;
      case FlashOpListHide:
        flash->ListHide();
        break;
      case FlashOpListRestore:
        flash->ListRestore();
        break;
      default:
        break;
    }
  }
}

void HideAllFlashes() {
  ForEachFlash(FlashOpListHide);
}

void RestoreAllFlashes() {
  ForEachFlash(FlashOpListRestore);
}
