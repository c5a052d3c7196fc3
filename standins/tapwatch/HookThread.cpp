#include "HookThread.h"

#include <windows.h>
#include <wtsapi32.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "HookWatchdog.h"
#include "HotKeySettings.h"
#include "PressTracker.h"
#include "contract/ProcessContract.h"
#include "journal/Journal.h"
#include "journal/JournalWriter.h"
#include "win32base/OwnedWindow.h"
#include "win32base/BaseWindow.h"
#include "win32base/UniqueHandle.h"
#include "win32base/WindowLifeMessages.h"

namespace tapwatch {
namespace {

// Where a press goes: the program's hidden main form.
constexpr const wchar_t* kMainFormClass = contract::MainFormClass;
constexpr const wchar_t* kMainFormCaption = contract::MainFormCaption;
constexpr UINT kHotKeyMessage = contract::HotKeyMessage;
constexpr WPARAM kHotKeyTag = contract::MessageTag;

// The hook procedure hands each press to its own thread's window with this; wParam 1 asks for the mask
// keystroke, lParam is the code.
constexpr UINT kPressMessage = WM_APP + 1;
constexpr wchar_t kWindowClass[] = L"TapWatchMonitor";

// Keyboard raw input: generic desktop page, keyboard usage.
constexpr USHORT kUsagePage = 1, kKeyboardUsage = 6;

constexpr DWORD kStartLimitMs = 10000;
constexpr DWORD kStopLimitMs = 5000;

using win32base::UniqueHook;

void Complain(const std::wstring& text) {
  OutputDebugStringW((L"TapWatch32: " + text + L"\n").c_str());
}

std::wstring ErrorText(DWORD error) {
  return L" (error " + std::to_wstring(error) + L")";
}

HMODULE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

std::uint32_t ModifiersHeldNow() {
  auto down = [](int key) { return (GetAsyncKeyState(key) & 0x8000) != 0; };
  std::uint32_t modifiers = 0;
  if (down(VK_CONTROL))
    modifiers |= ModCtrl;
  if (down(VK_SHIFT))
    modifiers |= ModShift;
  if (down(VK_MENU))
    modifiers |= ModAlt;
  if (down(VK_LWIN) || down(VK_RWIN))
    modifiers |= ModWin;
  return modifiers;
}

// The whole of one hooked life, on the hook thread: its window, the hook, the raw-input watch on it and
// the registry watch, from Start to the destructor. Its journal lines go to the writer it is given.
class HookThread : private win32base::BaseWindow<HookThread> {
 public:
  HookThread(HANDLE stop, journal::Writer& journal) : stop_(stop), module_(ThisModule()), journal_(journal) {}
  HookThread(const HookThread&) = delete;
  HookThread& operator=(const HookThread&) = delete;
  ~HookThread();

  // False, with the reason given to the debugger, when there can be no hook.
  bool Start();
  // Until the stop event is set.
  void Run();

 private:
  friend class win32base::BaseWindow<HookThread>;

  static LRESULT CALLBACK KeyboardProcedure(int code, WPARAM wParam, LPARAM lParam) noexcept;
  LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

  bool OnKey(const KBDLLHOOKSTRUCT& key) noexcept;
  LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
  void OnRawInput(HRAWINPUT input) noexcept;
  void Deliver(std::uint32_t code, bool mask);
  bool InstallHook() noexcept;
  void Reinstall(const wchar_t* why);
  void LoadCodes();
  // False once the thread is asked to quit.
  bool Pump();

  // The hook procedure is given no object: this is its way back, set and read on the hook thread only.
  static HookThread* active_;

  HANDLE stop_;
  HMODULE module_;
  journal::Writer& journal_;
  win32base::UniqueWindow window_;
  UniqueHook hook_;
  bool classRegistered_ = false;
  bool rawInput_ = false;
  bool sessionNotices_ = false;
  PressTracker tracker_;
  HookWatchdog watchdog_;
  HotKeySettings settings_;
};

HookThread* HookThread::active_ = nullptr;

std::uint64_t Now() {
  return GetTickCount64();
}

bool HookThread::Start() {
  LoadCodes();

  WNDCLASSEXW windowClass = WindowClass(kWindowClass, module_);
  classRegistered_ = RegisterClassExW(&windowClass) != 0;
  // An ordinary hidden top-level window rather than a message-only one: the power broadcast that
  // announces a resume goes to top-level windows only.
  if (!CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                       nullptr, module_, this)) {
    Complain(L"cannot create the hook's window" + ErrorText(GetLastError()) + L"; no hot keys");
    return false;
  }

  active_ = this;
  if (!InstallHook()) {
    Complain(L"cannot install the keyboard hook" + ErrorText(GetLastError()) + L"; no hot keys");
    return false;
  }
  journal_.Write("hook", "hook");

  // After the hook, so that no key pressed between the two looks like one the hook missed. Raw input is
  // registered per process; the program itself takes none.
  RAWINPUTDEVICE keyboard{kUsagePage, kKeyboardUsage, RIDEV_INPUTSINK, window_.Get()};
  rawInput_ = RegisterRawInputDevices(&keyboard, 1, sizeof keyboard) != FALSE;
  if (!rawInput_)
    Complain(L"no raw keyboard input" + ErrorText(GetLastError()) +
             L"; a hook the system drops is not noticed until the next resume or unlock");
  sessionNotices_ = WTSRegisterSessionNotification(window_.Get(), NOTIFY_FOR_THIS_SESSION) != FALSE;
  if (!sessionNotices_)
    Complain(L"no session notifications" + ErrorText(GetLastError()) +
             L"; the hook is not renewed after an unlock");
  return true;
}

HookThread::~HookThread() {
  if (hook_) {
    hook_.Reset();
    journal_.Write("hook", "unhook");
  }
  active_ = nullptr;
  if (rawInput_) {
    RAWINPUTDEVICE keyboard{kUsagePage, kKeyboardUsage, RIDEV_REMOVE, nullptr};
    RegisterRawInputDevices(&keyboard, 1, sizeof keyboard);
  }
  if (sessionNotices_)
    WTSUnRegisterSessionNotification(window_.Get());
  window_.Reset();
  // The class names this library's window procedure: it must not outlive a library that is unloaded.
  if (classRegistered_)
    UnregisterClassW(kWindowClass, module_);
}

void HookThread::Run() {
  for (;;) {
    HANDLE handles[2] = {stop_, settings_.ChangeEvent()};
    DWORD count = handles[1] ? 2 : 1;
    std::optional<std::uint64_t> check = watchdog_.NextCheckIn(Now());
    DWORD timeout =
        check ? static_cast<DWORD>(std::min<std::uint64_t>(*check, HookWatchdog::kGraceMs)) : INFINITE;
    DWORD woke = MsgWaitForMultipleObjectsEx(count, handles, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (woke == WAIT_OBJECT_0)
      return;
    if (woke == WAIT_FAILED) {
      Complain(L"the hook thread cannot wait" + ErrorText(GetLastError()) + L"; the hook is removed");
      return;
    }
    if (count == 2 && woke == WAIT_OBJECT_0 + 1)
      LoadCodes();
    if (!Pump())
      return;
    if (watchdog_.HookMissed(Now()))
      Reinstall(L"raw input reported keys that the hook did not see");
  }
}

bool HookThread::Pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT)
      return false;
    // Nothing else takes this thread's messages: no hook is needed to drop the forged ones.
    win32base::DropPostedWindowLifeMessage(message);
    DispatchMessageW(&message);
  }
  return true;
}

void HookThread::LoadCodes() {
  tracker_.SetCodes(settings_.Read());
}

bool HookThread::InstallHook() noexcept {
  HHOOK fresh = SetWindowsHookExW(WH_KEYBOARD_LL, KeyboardProcedure, module_, 0);
  if (!fresh)
    return false;
  // The new hook first, then the old one goes: no key falls between them.
  hook_.Reset(fresh);
  tracker_.Restart(ModifiersHeldNow());
  watchdog_.Forget();
  return true;
}

void HookThread::Reinstall(const wchar_t* why) {
  if (!InstallHook()) {
    Complain(std::wstring(L"cannot install the keyboard hook again") + ErrorText(GetLastError()) + L" (" +
             why + L"); trying again on the next key");
    watchdog_.Forget();
    return;
  }
  journal_.Write("hook", "rehook");
}

LRESULT CALLBACK HookThread::KeyboardProcedure(int code, WPARAM wParam, LPARAM lParam) noexcept {
  if (code == HC_ACTION && active_ && active_->OnKey(*reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam)))
    return 1;
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

bool HookThread::OnKey(const KBDLLHOOKSTRUCT& key) noexcept {
  // The minimum: match and post. No journal, no registry, nothing that can wait: Windows drops a hook
  // that keeps the desktop's keys waiting too long.
  bool up = (key.flags & LLKHF_UP) != 0;
  watchdog_.HookSaw({key.vkCode, key.scanCode, (key.flags & LLKHF_EXTENDED) != 0, up}, Now());
  KeyReaction reaction = tracker_.OnKey({key.vkCode, key.scanCode, up});
  if (reaction.deliver)
    PostMessageW(window_.Get(), kPressMessage, reaction.mask ? 1 : 0, static_cast<LPARAM>(*reaction.deliver));
  return reaction.swallow;
}

LRESULT HookThread::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  // Only a journal line or a debug text can fail (out of memory); the hook goes on regardless.
  return win32base::OwnedWindowMessage(
      window_, window, message, wParam, lParam, [&] { return Dispatch(message, wParam, lParam); },
      [] { return LRESULT{0}; });
}

LRESULT HookThread::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INPUT:
      OnRawInput(reinterpret_cast<HRAWINPUT>(lParam));
      break;  // default handling frees the input
    case kPressMessage:
      Deliver(static_cast<std::uint32_t>(lParam), wParam != 0);
      return 0;
    case WM_POWERBROADCAST:
      // A sleep is exactly when a hook gets dropped, and no key may come to tell.
      if (wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND)
        Reinstall(L"after a resume");
      return TRUE;
    case WM_WTSSESSION_CHANGE:
      if (wParam == WTS_SESSION_UNLOCK)
        Reinstall(L"after an unlock");
      return 0;
  }
  return DefWindowProcW(window_.Get(), message, wParam, lParam);
}

void HookThread::OnRawInput(HRAWINPUT handle) noexcept {
  RAWINPUT input{};
  UINT size = sizeof input;
  if (GetRawInputData(handle, RID_INPUT, &input, &size, sizeof(RAWINPUTHEADER)) == static_cast<UINT>(-1) ||
      input.header.dwType != RIM_TYPEKEYBOARD)
    return;
  const RAWKEYBOARD& key = input.data.keyboard;
  watchdog_.RawSaw({key.VKey, key.MakeCode, (key.Flags & RI_KEY_E0) != 0, (key.Flags & RI_KEY_BREAK) != 0},
                   Now());
}

void HookThread::Deliver(std::uint32_t code, bool mask) {
  if (mask) {
    // The press was swallowed, so the shell would see Win or Alt go down and up alone; a keystroke that
    // means nothing, while the modifier is still held, keeps the Start menu and the menu bar shut.
    INPUT keystroke[2]{};
    for (INPUT& input : keystroke) {
      input.type = INPUT_KEYBOARD;
      input.ki.wVk = static_cast<WORD>(vk::Unassigned);
    }
    keystroke[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, keystroke, sizeof(INPUT));
  }
  std::string hex = journal::Hex(code);
  HWND target = FindWindowW(kMainFormClass, kMainFormCaption);
  if (target) {
    // Stamped and queued before the post: whatever the program does with the code is journalled later
    // than this, so the journal's times put the cause before its effects. A post that fails after it
    // (the window went meanwhile) is told to the debugger below.
    journal_.Write("hook", "deliver " + hex);
    if (PostMessageW(target, kHotKeyMessage, kHotKeyTag, static_cast<LPARAM>(code)))
      return;
  }
  Complain(L"hot key " + std::wstring(hex.begin(), hex.end()) +
           L" pressed, but GearShift's main window cannot be reached" + ErrorText(GetLastError()));
}

// What the thread needs to start; shared, so that a caller that stops waiting leaves nothing dangling.
struct StartState {
  win32base::UniqueKernelHandle ready{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  HANDLE stop = nullptr;
  HMODULE pinned = nullptr;
  std::atomic<bool> hooked{false};
};

void RunHookThread(const std::shared_ptr<StartState>& state) noexcept {
  try {
    // Outlives the hook, whose last line is its unhook: the writer is drained and joined here, on the
    // way out of the thread, before the thread lets go of the library.
    journal::Writer journal;
    HookThread thread(state->stop, journal);
    state->hooked = thread.Start();
    SetEvent(state->ready.Get());
    if (state->hooked)
      thread.Run();
  } catch (...) {
    Complain(L"the hook thread failed; no hot keys");
  }
  // Also when starting failed half-way: the caller is never left waiting for its limit.
  SetEvent(state->ready.Get());
}

DWORD WINAPI ThreadMain(void* parameter) {
  HMODULE pinned = nullptr;
  {
    std::unique_ptr<std::shared_ptr<StartState>> state(static_cast<std::shared_ptr<StartState>*>(parameter));
    pinned = (*state)->pinned;
    RunHookThread(*state);
  }
  // The thread held the library loaded while it ran: a host that frees it meanwhile cannot pull the code
  // out from under the hook.
  FreeLibraryAndExitThread(pinned, 0);
}

struct Service {
  std::mutex lock;
  win32base::UniqueKernelHandle thread;
  win32base::UniqueKernelHandle stop;
};

// Never destroyed: process exit must not wait for a thread that the system has already ended.
Service& TheService() {
  static auto* const service = new Service();
  return *service;
}

}  // namespace

bool StartHookThread() {
  try {
    Service& service = TheService();
    std::lock_guard<std::mutex> guard(service.lock);
    if (service.thread) {
      if (WaitForSingleObject(service.thread.Get(), 0) == WAIT_TIMEOUT)
        return true;
      service.thread.Reset();
      service.stop.Reset();
    }
    win32base::UniqueKernelHandle stop(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    auto state = std::make_shared<StartState>();
    if (!stop || !state->ready) {
      Complain(L"cannot start the hook thread" + ErrorText(GetLastError()) + L"; no hot keys");
      return false;
    }
    state->stop = stop.Get();
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&ThreadMain),
                       &state->pinned);
    auto parameter = std::make_unique<std::shared_ptr<StartState>>(state);
    win32base::UniqueKernelHandle thread(CreateThread(nullptr, 0, ThreadMain, parameter.get(), 0, nullptr));
    if (!thread) {
      Complain(L"cannot start the hook thread" + ErrorText(GetLastError()) + L"; no hot keys");
      FreeLibrary(state->pinned);
      return false;
    }
    parameter.release();  // the thread's now
    service.thread = std::move(thread);
    service.stop = std::move(stop);
    if (WaitForSingleObject(state->ready.Get(), kStartLimitMs) != WAIT_OBJECT_0) {
      Complain(L"the hook thread did not start in time; hot keys may come later or not at all");
      return false;
    }
    return state->hooked;
  } catch (...) {
    Complain(L"cannot start the hook thread; no hot keys");
    return false;
  }
}

void StopHookThread() {
  Service& service = TheService();
  std::lock_guard<std::mutex> guard(service.lock);
  if (!service.thread)
    return;
  SetEvent(service.stop.Get());
  if (WaitForSingleObject(service.thread.Get(), kStopLimitMs) != WAIT_OBJECT_0) {
    // Left as it is: its handles stay open, since it may still be using them.
    Complain(L"the hook thread did not end in time");
    return;
  }
  service.thread.Reset();
  service.stop.Reset();
}

}  // namespace tapwatch
