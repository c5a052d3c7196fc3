#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Closes every message box of this process as soon as it appears, recording its caption and text, so
// that code which shows one modally can be tested without blocking. Runs until destroyed.
class MessageBoxCatcher {
 public:
  struct Box {
    std::wstring Caption;
    std::wstring Text;
  };

  MessageBoxCatcher() : watcher_([this] { Watch(); }) {}
  ~MessageBoxCatcher() {
    stop_ = true;
    watcher_.join();
  }

  std::vector<Box> Boxes() {
    std::lock_guard lock(mutex_);
    return boxes_;
  }

 private:
  static std::wstring TextOf(HWND window) {
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return text;
  }

  void Watch() {
    while (!stop_) {
      EnumWindows(CatchOne, reinterpret_cast<LPARAM>(this));
      Sleep(10);
    }
  }

  static BOOL CALLBACK CatchOne(HWND window, LPARAM self) {
    reinterpret_cast<MessageBoxCatcher*>(self)->Catch(window);
    return TRUE;
  }

  void Catch(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (process != GetCurrentProcessId() || std::wstring(className) != L"#32770" || !IsWindowVisible(window))
      return;
    {
      std::lock_guard lock(mutex_);
      for (HWND seen : closing_) {
        if (seen == window)
          return;
      }
      closing_.push_back(window);
      Box box{TextOf(window), {}};
      // The message is the box's one static text that is not its icon.
      for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        GetClassNameW(child, className, 64);
        if (std::wstring(className) == L"Static" && !TextOf(child).empty())
          box.Text = TextOf(child);
      }
      boxes_.push_back(box);
    }
    PostMessageW(window, WM_COMMAND, IDOK, 0);
  }

  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<Box> boxes_;
  std::vector<HWND> closing_;
  std::thread watcher_;
};
