// Plays a foreign process that found the main-thread channel of another: posts the channel's
// registered message, with each lParam given, to every channel window of the process given.
//   channel_poster.exe <process id> <lparam> [<lparam> ...]
// Exit code: the number of windows posted to.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: channel_poster <process id> <lparam>...\n");
    return 100;
  }
  DWORD target = static_cast<DWORD>(std::strtoul(argv[1], nullptr, 0));
  UINT message = RegisterWindowMessageW(L"GearShiftMainThreadTask");
  int posted = 0;
  for (HWND window = FindWindowExW(HWND_MESSAGE, nullptr, L"GearShiftMainThread", nullptr); window;
       window = FindWindowExW(HWND_MESSAGE, window, L"GearShiftMainThread", nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != target)
      continue;
    for (int i = 2; i < argc; ++i) {
      auto lParam = static_cast<LPARAM>(std::strtoull(argv[i], nullptr, 0));
      if (!PostMessageW(window, message, 0, lParam))
        std::fprintf(stderr, "PostMessage failed: %lu\n", GetLastError());
    }
    ++posted;
  }
  if (posted == 0)
    std::fprintf(stderr, "no channel window of process %lu\n", target);
  return posted;
}
