#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "contract/FlashPlayerLibrary.h"

// One player window of the movie player library: where it sits relative to its parent, its size and
// its two visibility wishes. Wrappers and their windows live until the process ends.
class TTransFlash {
 public:
  // Readies the wrapper for the movie at path and appends it to FlashList. The name is not kept.
  static TTransFlash* Create(TTransFlash* wrapper, HWND parent, const std::wstring& name, BSTR path);

  BOOL SetPosition(int x, int y);
  BOOL SetSize(int width, int height);
  BOOL SetBounds(int x, int y, int width, int height);
  // Moves the player by the stored offsets from where its parent is now.
  BOOL Reposition();
  BOOL SetVisible(bool visible);
  BOOL ListHide();
  BOOL ListRestore();
  // Shown only when the owner wants it and no whole-list hiding is in force.
  BOOL ApplyVisibility();
  void SetCallback(FlashCalloutProc callback);
  int CallFunction(BSTR request);

  std::wstring Name;
  HWND PlayerWindow = nullptr;
  HWND ParentWindow = nullptr;
  std::int32_t OffsetX = 0;
  std::int32_t OffsetY = 0;
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  bool ListHidden = false;
  bool Visible = false;
};

// Every wrapper ever created, in creation order, so that all players can be hidden or restored at once.
extern std::vector<TTransFlash*> FlashList;

inline constexpr int FlashOpReposition = 1;
inline constexpr int FlashOpListHide = 2;
inline constexpr int FlashOpListRestore = 3;

void ForEachFlash(int op);
void HideAllFlashes();
void RestoreAllFlashes();
