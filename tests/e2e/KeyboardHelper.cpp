// kbdhelper.exe: the keyboard as the end-to-end tests need it, from inside Wine, as another program.
//
//   kbdhelper press <chord>...   presses each chord: its keys down in order, then up in reverse order.
//                                A chord is keys joined by '+' (ctrl+alt+a); "*N" after it holds the
//                                last key for N auto-repeated downs before it comes up (ctrl+alt+b*5).
//                                Keys: ctrl alt shift win (left ones), rctrl ralt rshift rwin, a letter
//                                or digit, or a virtual key in hex (0x7b).
//   kbdhelper drop-hooks         removes every hook of the session behind its owner's back, as Windows
//                                does with a low-level hook that once answered too slowly, and prints
//                                "dropped <n>" and the handles.
//   kbdhelper pointer <x> <y>    puts the mouse pointer there through the system, as a user's move
//                                would be known to every program of the desktop (a pointer warped in
//                                X alone may reach Wine late), and prints "pointer <x> <y>" once
//                                GetCursorPos says so.
//   kbdhelper focus              shows a small plain window that has the focus, standing for the user's
//                                work, so that keys pressed from outside Wine (XTest) reach Wine and
//                                its hooks; prints "focus <hwnd>" once it has the focus and runs until
//                                it is closed or killed.
#include <windows.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

std::optional<WORD> KeyNamed(const std::string& name) {
  struct Named {
    const char* name;
    WORD key;
  };
  static const Named named[] = {{"ctrl", VK_LCONTROL}, {"alt", VK_LMENU},      {"shift", VK_LSHIFT},
                                {"win", VK_LWIN},      {"rctrl", VK_RCONTROL}, {"ralt", VK_RMENU},
                                {"rshift", VK_RSHIFT}, {"rwin", VK_RWIN}};
  for (const Named& n : named) {
    if (name == n.name)
      return n.key;
  }
  if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0])))
    return static_cast<WORD>(std::toupper(static_cast<unsigned char>(name[0])));
  if (name.size() > 2 && name.rfind("0x", 0) == 0) {
    char* end = nullptr;
    unsigned long key = std::strtoul(name.c_str() + 2, &end, 16);
    if (*end == '\0' && key > 0 && key < 0xFF)
      return static_cast<WORD>(key);
  }
  return std::nullopt;
}

INPUT KeyInput(WORD key, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return input;
}

// The events of one chord, or the reason it cannot be pressed.
bool ChordInputs(const std::string& chord, std::vector<INPUT>& inputs, std::string& error) {
  std::string keysPart = chord;
  int repeats = 0;
  if (auto star = chord.find('*'); star != std::string::npos) {
    keysPart = chord.substr(0, star);
    repeats = std::atoi(chord.c_str() + star + 1);
    if (repeats <= 0) {
      error = "bad repeat count in '" + chord + "'";
      return false;
    }
  }
  std::vector<WORD> keys;
  for (std::size_t start = 0; start <= keysPart.size();) {
    std::size_t plus = keysPart.find('+', start);
    std::string name = keysPart.substr(start, plus == std::string::npos ? std::string::npos : plus - start);
    std::optional<WORD> key = KeyNamed(name);
    if (!key) {
      error = "unknown key '" + name + "' in '" + chord + "'";
      return false;
    }
    keys.push_back(*key);
    if (plus == std::string::npos)
      break;
    start = plus + 1;
  }
  for (WORD key : keys)
    inputs.push_back(KeyInput(key, false));
  for (int i = 0; i < repeats; ++i)
    inputs.push_back(KeyInput(keys.back(), false));
  for (auto key = keys.rbegin(); key != keys.rend(); ++key)
    inputs.push_back(KeyInput(*key, true));
  return true;
}

int Press(const std::vector<std::string>& chords) {
  std::vector<INPUT> inputs;
  for (const std::string& chord : chords) {
    std::string error;
    if (!ChordInputs(chord, inputs, error)) {
      std::fprintf(stderr, "kbdhelper: %s\n", error.c_str());
      return 2;
    }
  }
  // One event per call, as a keyboard sends them.
  for (INPUT& input : inputs) {
    if (SendInput(1, &input, sizeof input) != 1) {
      std::fprintf(stderr, "kbdhelper: SendInput refused a key event (error %lu)\n", GetLastError());
      return 1;
    }
  }
  return 0;
}

int DropHooks() {
  // Wine numbers user handles from 0x20 in steps of two in their low word and takes a handle without its
  // generation in the high word as any generation, so this reaches every hook there is. Windows lets no
  // process remove another's hook: there this drops nothing.
  std::vector<ULONG_PTR> dropped;
  for (ULONG_PTR handle = 0x20; handle <= 0xFFFF; handle += 2) {
    if (UnhookWindowsHookEx(reinterpret_cast<HHOOK>(handle)))
      dropped.push_back(handle);
  }
  std::printf("dropped %u", static_cast<unsigned>(dropped.size()));
  for (ULONG_PTR handle : dropped)
    std::printf(" 0x%llx", static_cast<unsigned long long>(handle));
  std::printf("\n");
  return 0;
}

LRESULT CALLBACK FocusWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

int Focus() {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = FocusWindowProcedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  // A plain face with no caret or text: nothing in it changes while the screen is watched.
  windowClass.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
  windowClass.lpszClassName = L"KbdHelperFocus";
  if (!RegisterClassW(&windowClass))
    return 1;
  HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"kbdhelper focus", WS_POPUP | WS_BORDER, 40,
                                40, 240, 120, nullptr, nullptr, windowClass.hInstance, nullptr);
  if (!window) {
    std::fprintf(stderr, "kbdhelper: no focus window (error %lu)\n", GetLastError());
    return 1;
  }
  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
  SetFocus(window);
  UpdateWindow(window);
  std::printf("focus 0x%llx\n", static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(window)));
  std::fflush(stdout);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}

int Pointer(const std::string& x, const std::string& y) {
  POINT wanted{std::atoi(x.c_str()), std::atoi(y.c_str())};
  if (!SetCursorPos(wanted.x, wanted.y)) {
    std::fprintf(stderr, "kbdhelper: SetCursorPos failed (error %lu)\n", GetLastError());
    return 1;
  }
  POINT now{};
  for (int look = 0; look < 200; ++look) {
    if (GetCursorPos(&now) && now.x == wanted.x && now.y == wanted.y) {
      std::printf("pointer %ld %ld\n", now.x, now.y);
      return 0;
    }
    Sleep(10);
  }
  std::fprintf(stderr, "kbdhelper: the pointer is at %ld,%ld, not %ld,%ld\n", now.x, now.y, wanted.x,
               wanted.y);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  if (arguments.size() >= 2 && arguments[0] == "press")
    return Press({arguments.begin() + 1, arguments.end()});
  if (arguments.size() == 1 && arguments[0] == "drop-hooks")
    return DropHooks();
  if (arguments.size() == 1 && arguments[0] == "focus")
    return Focus();
  if (arguments.size() == 3 && arguments[0] == "pointer")
    return Pointer(arguments[1], arguments[2]);
  std::fprintf(stderr,
               "usage: kbdhelper press <chord>... | kbdhelper drop-hooks | kbdhelper pointer <x> <y> | "
               "kbdhelper focus\n");
  return 2;
}
