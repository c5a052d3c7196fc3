// Puts one OSD on the screen through the layout, as a showing does, and keeps it there for a while so
// that a picture can be taken of it. Prints "shown" once the movie has played its intro.
// osd_preview.exe [label [seconds]]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "WinTestSupport.h"
#include "framework/Application.h"
#include "framework/GdiPlusApi.h"
#include "framework/Text.h"
#include "layout/Layout.h"
#include "osd/FlashOsd.h"

int wmain(int argc, wchar_t** argv) {
  std::string label = argc > 1 ? framework::Narrow(argv[1]) : "Balanced";
  int seconds = argc > 2 ? _wtoi(argv[2]) : 10;
  framework::Application().Initialize();
  GdiplusStartupInput input{1, nullptr, FALSE, FALSE};
  ULONG_PTR gdiplus = 0;
  GdiplusStartup(&gdiplus, &input, nullptr);
  SetDllDirectoryW(wintest::DistDir().c_str());  // the player library is the shipped one

  auto* form = new TFlashOsdForm();  // lives until the process ends, as in the program
  FlashOsdForm = form;
  FlashOsdLayout& layout = FlashOsdLayout::Instance();
  layout.LoadBackground();
  layout.SizeToScreen();
  layout.ShowProfile(0);
  layout.ShowLabel(label.c_str());
  // The movie's first call-out ends its intro: the OSD is at its fullest.
  if (!wintest::WaitUntil([] { return OsdPhase == 7; })) {
    std::fprintf(stderr, "osd_preview: the movie never finished its intro\n");
    return 1;
  }
  std::printf("shown\n");
  std::fflush(stdout);
  wintest::WaitUntil([] { return false; }, std::chrono::seconds(seconds));
  layout.HideOsd();
  GdiplusShutdown(gdiplus);
  return 0;
}
